#include "ui/uTranslateComponents.h"

#include "text/uTranslate.h"
#include "ui/uLabeledEdit.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>
#include <set>
#include <string>

namespace {

QString TranslateText(const QString& Text) {
  if (Text.isEmpty())
    return Text;
  return QString::fromStdString(Translate(Text.toStdString()));
}

// Sets a text through Set when its translation differs, so that no change is signalled for
// nothing.
template <class TSet>
void Apply(const QString& Text, TSet&& Set) {
  const QString translated = TranslateText(Text);
  if (translated != Text)
    Set(translated);
}

// One translation run: what it has translated, so that nothing is translated twice.
class TTranslation {
 public:
  void Form(QWidget* Form);
  void Menu(QWidget* Menu);

 private:
  void Children(QObject* Parent);
  void Component(QWidget* Widget);

  std::set<const QObject*> Done_;
};

void TTranslation::Form(QWidget* Form) {
  if (!Form || !Done_.insert(Form).second)
    return;
  if (Form->objectName() != QLatin1String("fMain"))
    Apply(Form->windowTitle(), [Form](const QString& Text) { Form->setWindowTitle(Text); });
  Apply(Form->toolTip(), [Form](const QString& Text) { Form->setToolTip(Text); });
  Children(Form);
}

void TTranslation::Menu(QWidget* Menu) {
  if (!Menu || !Done_.insert(Menu).second)
    return;
  for (QAction* action : Menu->actions()) {
    if (!Done_.insert(action).second)
      continue;
    if (!action->isSeparator())
      Apply(action->text(), [action](const QString& Text) { action->setText(Text); });
    if (QMenu* sub = action->menu())
      this->Menu(sub);
  }
}

void TTranslation::Children(QObject* Parent) {
  for (QObject* child : Parent->children())
    if (auto* widget = qobject_cast<QWidget*>(child))
      Component(widget);
}

void TTranslation::Component(QWidget* Widget) {
  if (auto* menu = qobject_cast<QMenu*>(Widget))
    return Menu(menu);
  if (auto* bar = qobject_cast<QMenuBar*>(Widget))
    return Menu(bar);
  if (Widget->isWindow() &&
      (Widget->windowType() == Qt::Window || Widget->windowType() == Qt::Dialog))
    return Form(Widget);
  if (auto* label = qobject_cast<QLabel*>(Widget)) {
    // The label of a labelled edit is the edit's part; the edit translates it.
    if (auto* edit = qobject_cast<TLabeledEdit*>(label->buddy());
        edit && edit->EditLabel() == label)
      Widget = edit;
  }
  if (!Done_.insert(Widget).second)
    return;
  Apply(Widget->toolTip(), [Widget](const QString& Text) { Widget->setToolTip(Text); });
  if (auto* edit = qobject_cast<TLabeledEdit*>(Widget)) {
    QLabel* label = edit->EditLabel();
    if (Done_.insert(label).second)
      Apply(label->text(), [label](const QString& Text) { label->setText(Text); });
    return;
  }
  if (auto* label = qobject_cast<QLabel*>(Widget)) {
    Apply(label->text(), [label](const QString& Text) { label->setText(Text); });
    return;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(Widget)) {
    Apply(button->text(), [button](const QString& Text) { button->setText(Text); });
    return;
  }
  if (auto* combo = qobject_cast<QComboBox*>(Widget)) {
    const int selected = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i)
      Apply(combo->itemText(i), [combo, i](const QString& Text) { combo->setItemText(i, Text); });
    combo->setCurrentIndex(selected);
    return;
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(Widget)) {
    for (int i = 0; i < tabs->count(); ++i)
      Apply(tabs->tabText(i), [tabs, i](const QString& Text) { tabs->setTabText(i, Text); });
  }
  // The framework's own controls publish their text as the property "Caption".
  if (const QVariant caption = Widget->property("Caption"); caption.typeId() == QMetaType::QString)
    Apply(caption.toString(),
          [Widget](const QString& Text) { Widget->setProperty("Caption", Text); });
  // A container: what it holds belongs to the form too.
  Children(Widget);
}

} // namespace

void TranslateComponents(QWidget* Form) {
  TTranslation().Form(Form);
}

void TranslateMenu(QMenu* Menu) {
  TTranslation().Menu(Menu);
}

void TranslateMenu(QMenuBar* Menu) {
  TTranslation().Menu(Menu);
}
