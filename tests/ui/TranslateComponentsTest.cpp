#include "env/EnvTestSupport.h"
#include "env/uDictionary.h"
#include "ui/uDLabel.h"
#include "ui/uLabeledEdit.h"
#include "ui/uTranslateComponents.h"

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

namespace {

class TTranslateComponentsTest : public TEnvTest {
 protected:
  TTranslateComponentsTest() {
    ExeDir = Folder.Path().string() + "/";
    std::filesystem::create_directory(Folder / "Languages");
    // "Once" changes again each time it is translated, so a text translated twice shows.
    WriteWholeFile(Folder / "Languages" / "French.csv",
                   "Close,Fermer\nOpen,Ouvrir\nFile,Fichier\nHint,Astuce\nPage,Feuille\n"
                   "Form,Fenetre\nOnce,Once more\n");
    EXPECT_TRUE(InstallDictionary({"French"}, "French"));
  }
  ~TTranslateComponentsTest() override { RemoveDictionary(); }
};

TEST_F(TTranslateComponentsTest, EveryKindOfTextOfAFormIsTranslatedOnce) {
  QWidget form;
  form.setWindowTitle("Form");
  auto* label = new QLabel("Open", &form);
  label->setToolTip("Hint");
  auto* edit = new TLabeledEdit(&form);
  edit->EditLabel()->setText("Once");
  auto* button = new QPushButton("&Close", &form);
  auto* combo = new QComboBox(&form);
  combo->addItems({"Once", "Open"});
  combo->setCurrentIndex(1);
  auto* tabs = new QTabWidget(&form);
  auto* page = new QWidget;
  auto* inner = new QLabel("Close", page);
  tabs->addTab(page, "Page");
  auto* bar = new QMenuBar(&form);
  QMenu* file = bar->addMenu("&File");
  QAction* once = file->addMenu("Close")->addAction("Once");
  (new QMenu(&form))->addAction(once); // one item in two menus
  auto* dialog = new QDialog(&form);
  dialog->setObjectName("fMain"); // the main form keeps its title
  dialog->setWindowTitle("Form");
  auto* dialogButton = new QPushButton("Open", dialog);
  auto* framework = new TDLabel(&form, "LabelProbe", "Close");

  TranslateComponents(&form);

  EXPECT_EQ(form.windowTitle(), "Fenetre");
  EXPECT_EQ(label->text(), "Ouvrir");
  EXPECT_EQ(label->toolTip(), "Astuce");
  EXPECT_EQ(edit->EditLabel()->text(), "Once more");
  EXPECT_EQ(button->text(), "Fermer");
  EXPECT_EQ(combo->itemText(0), "Once more");
  EXPECT_EQ(combo->itemText(1), "Ouvrir");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(tabs->tabText(0), "Feuille");
  EXPECT_EQ(inner->text(), "Fermer");
  EXPECT_EQ(file->menuAction()->text(), "Fichier");
  EXPECT_EQ(once->text(), "Once more");
  EXPECT_EQ(dialog->windowTitle(), "Form");
  EXPECT_EQ(dialogButton->text(), "Ouvrir");
  EXPECT_EQ(framework->Caption(), "Fermer");
}

TEST_F(TTranslateComponentsTest, AMenuThatHoldsItselfEndsTheRecursion) {
  QMenu menu;
  QAction* once = menu.addAction("Once");
  menu.addMenu(&menu);
  TranslateMenu(&menu);
  EXPECT_EQ(once->text(), "Once more");
}

} // namespace
