#pragma once

// Translation of Qt forms: every user-visible text of a form and of what it holds passes through
// Translate. Nothing changes while no dictionary is installed.

class QMenu;
class QMenuBar;
class QWidget;

// Translates Form and everything in it: the form's title (unless the form is named "fMain"),
// then, depth first in creation order, every widget's tool tip; the text of labels, buttons and
// menu items (TranslateMenu), the label of each labelled edit, the titles of tab pages, the
// items of combo boxes (the selected item stays selected) and the property "Caption" of the
// framework's controls. A window inside the form is
// translated as a form of its own. Each text is translated once.
void TranslateComponents(QWidget* Form);

// Translates the texts of every item of Menu and, recursively, of its submenus; separators have
// none. Each menu is visited once, so a menu that holds itself ends the recursion.
void TranslateMenu(QMenu* Menu);
void TranslateMenu(QMenuBar* Menu);
