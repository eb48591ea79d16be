#include "EnvTestSupport.h"
#include "env/uDictionary.h"
#include "env/uTranslateComponents.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <filesystem>
#include <string>

namespace {

class TTranslateComponentsTest : public TEnvTest {
 protected:
  TTranslateComponentsTest() {
    ExeDir = Folder.Path().string() + "/";
    std::filesystem::create_directory(Folder / "Languages");
    // "Once" changes again each time it is translated, so a text translated twice shows.
    WriteWholeFile(Folder / "Languages" / "French.csv",
                   "Close,Fermer\nOpen,Ouvrir\nFile,Fichier\nHint,Astuce\nPage,Feuille\n"
                   "Item,Article\nForm,Fenetre\nOnce,Once more\n");
    InstallDictionary({"French"}, "French");
  }
  ~TTranslateComponentsTest() override { RemoveDictionary(); }
};

TEST_F(TTranslateComponentsTest, EveryKindOfTextOfAFormIsTranslatedOnce) {
  QWidget form;
  form.setObjectName("fDialog");
  form.setWindowTitle("Form");
  auto* label = new QLabel("Open", &form);
  label->setToolTip("Hint");
  auto* edit = new TLabeledEdit(&form);
  edit->EditLabel()->setText("Once");
  edit->setText("Close"); // what the user typed is no caption
  auto* button = new QPushButton("&Close", &form);
  auto* combo = new QComboBox(&form);
  combo->addItems({"Item", "Open", "Other"});
  combo->setCurrentIndex(2);
  auto* tabs = new QTabWidget(&form);
  auto* page = new QWidget;
  auto* inner = new QLabel("Close", page);
  tabs->addTab(page, "Page");
  auto* bar = new QMenuBar(&form);
  QMenu* file = bar->addMenu("&File");
  QAction* open = file->addAction("Open");
  file->addSeparator();
  QMenu* sub = file->addMenu("Close");
  QAction* once = sub->addAction("Once");
  auto* context = new QMenu(&form);
  context->addAction(once); // one item in two menus
  auto* dialog = new QDialog(&form);
  dialog->setWindowTitle("Form");
  auto* dialogButton = new QPushButton("Open", dialog);

  TranslateComponents(&form);

  EXPECT_EQ(form.windowTitle(), "Fenetre");
  EXPECT_EQ(label->text(), "Ouvrir");
  EXPECT_EQ(label->toolTip(), "Astuce");
  EXPECT_EQ(edit->EditLabel()->text(), "Once more");
  EXPECT_EQ(edit->text(), "Close");
  EXPECT_EQ(button->text(), "Fermer");
  EXPECT_EQ(combo->itemText(0), "Article");
  EXPECT_EQ(combo->itemText(1), "Ouvrir");
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(tabs->tabText(0), "Feuille");
  EXPECT_EQ(inner->text(), "Fermer");
  EXPECT_EQ(file->menuAction()->text(), "Fichier");
  EXPECT_EQ(open->text(), "Ouvrir");
  EXPECT_EQ(sub->menuAction()->text(), "Fermer");
  EXPECT_EQ(once->text(), "Once more");
  EXPECT_EQ(dialog->windowTitle(), "Fenetre");
  EXPECT_EQ(dialogButton->text(), "Ouvrir");
}

TEST_F(TTranslateComponentsTest, TheMainFormKeepsItsTitle) {
  QWidget form;
  form.setObjectName("fMain");
  form.setWindowTitle("Form");
  auto* button = new QPushButton("Close", &form);
  TranslateComponents(&form);
  EXPECT_EQ(form.windowTitle(), "Form");
  EXPECT_EQ(button->text(), "Fermer");
}

TEST_F(TTranslateComponentsTest, AMenuThatHoldsItselfIsTranslatedOnce) {
  QMenu menu;
  QAction* open = menu.addAction("Once");
  menu.addMenu(&menu);
  TranslateMenu(&menu);
  EXPECT_EQ(open->text(), "Once more");
}

} // namespace
