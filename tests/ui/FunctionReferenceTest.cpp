// The function reference dialog and the context menu entry that opens it.

#include "ui/uExpressionCompleter.h"
#include "ui/uExpressionHelp.h"
#include "ui/uFunctionReference.h"
#include "ui/uOpenUrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace {

class TFunctionReference : public testing::Test {
 protected:
  void SetUp() override {
    // No test opens a browser: addresses are recorded instead.
    PreviousOpen = SetOpenUrl([this](const QUrl& Url) {
      Opened.push_back(Url.toString().toStdString());
      return true;
    });
    Target.setText("1+*2");
    Target.setCursorPosition(2);
  }
  void TearDown() override { SetOpenUrl(PreviousOpen); }

  // Shows Dialog and waits until it has the focus, as a dialog the user opened has.
  static void ShowActive(QDialog& Dialog) {
    Dialog.show();
    Dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
  }

  // The rows of the list: a library, or "  " and a function's calls under it; hidden rows left out.
  static QStringList VisibleRows(const QTreeWidget* List) {
    QStringList rows;
    for (int l = 0; l < List->topLevelItemCount(); ++l) {
      const QTreeWidgetItem* library = List->topLevelItem(l);
      if (library->isHidden())
        continue;
      rows.append(library->text(0));
      for (int f = 0; f < library->childCount(); ++f)
        if (!library->child(f)->isHidden())
          rows.append("  " + library->child(f)->text(0));
    }
    return rows;
  }

  QLineEdit Target;
  std::vector<std::string> Opened;

 private:
  TOpenUrl PreviousOpen;
};

TEST_F(TFunctionReference, GroupsEveryFunctionByItsLibrary) {
  TfFunctionReference dialog(&Target);
  const QTreeWidget* list = dialog.FunctionList();
  QStringList libraries;
  int functions = 0;
  for (int l = 0; l < list->topLevelItemCount(); ++l) {
    libraries.append(list->topLevelItem(l)->text(0));
    functions += list->topLevelItem(l)->childCount();
  }
  EXPECT_EQ(libraries, QStringList({"Variable", "Conditional Tests", "Arithmetic", "Physics",
                                    "Logic", "Goniometic", "Statistics", "Chess"}));
  EXPECT_EQ(functions, 73);
  EXPECT_EQ(dialog.ShownNames().size(), 73);
  EXPECT_EQ(dialog.Chosen()->Name, "x") << "the first function is chosen";
}

TEST_F(TFunctionReference, TheSearchNarrowsTheList) {
  TfFunctionReference dialog(&Target);
  ShowActive(dialog);
  const struct {
    QString Search;
    QStringList Rows;
  } cases[] = {
      {"sqr", {"Arithmetic", "  sqr(x)", "  sqrt(x)"}},
      {"SQRT", {"Arithmetic", "  sqrt(x)"}},
      {"root", {"Arithmetic", "  sqrt(x)"}},
      {"exponent", {"Arithmetic", "  power(Base; Exponent)", "  log(Base; Exponent)", "  exp(x)"}},
      {"light", {"Physics", "  C"}},
      {"chess",
       {"Chess", "  Elo(x; y; \u2026)", "  ArcElo(x; y; \u2026)", "  EloC(x; y; \u2026)",
        "  EloDif(x; y; \u2026)", "  EloPerfo(x; y; \u2026)"}},
      {"cosh", {"Goniometic", "  Cosh(x)", "  ArcCosh(x)"}},
      {"zzz", {}},
  };
  for (const auto& c : cases) {
    QTest::keyClick(dialog.SearchEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog.SearchEdit(), c.Search);
    EXPECT_EQ(VisibleRows(dialog.FunctionList()), c.Rows) << c.Search.toStdString();
    if (c.Rows.isEmpty()) {
      EXPECT_EQ(dialog.Chosen(), nullptr);
      EXPECT_EQ(dialog.Details()->text(), QString("No function matches."));
    } else {
      ASSERT_NE(dialog.Chosen(), nullptr) << c.Search.toStdString();
      EXPECT_EQ("  " + QString::fromStdString(CallsText(*dialog.Chosen())), c.Rows[1])
          << "the first function shown is chosen";
    }
  }
}

TEST_F(TFunctionReference, EnterInsertsTheChosenFunctionAtTheCursor) {
  TfFunctionReference dialog(&Target);
  ShowActive(dialog);
  QTest::keyClicks(dialog.SearchEdit(), "sq");
  QTest::keyClick(dialog.SearchEdit(), Qt::Key_Down);
  EXPECT_EQ(dialog.Chosen()->Name, "sqrt");
  QTest::keyClick(dialog.SearchEdit(), Qt::Key_Return);
  EXPECT_EQ(Target.text(), QString("1+sqrt(*2"));
  EXPECT_EQ(Target.cursorPosition(), 7);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TFunctionReference, EnterWithNothingChosenInsertsNothing) {
  TfFunctionReference dialog(&Target);
  ShowActive(dialog);
  QTest::keyClicks(dialog.SearchEdit(), "zzz");
  QTest::keyClick(dialog.SearchEdit(), Qt::Key_Return);
  EXPECT_EQ(Target.text(), QString("1+*2"));
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(TFunctionReference, ADoubleClickInsertsAConstantAsItsName) {
  TfFunctionReference dialog(&Target);
  ShowActive(dialog);
  QTest::keyClicks(dialog.SearchEdit(), "PI");
  QTreeWidget* list = dialog.FunctionList();
  const QTreeWidgetItem* pi = list->currentItem();
  ASSERT_EQ(pi->text(0), QString("PI"));
  const QPoint at = list->visualItemRect(pi).center();
  // A double click is a click and a second press within the interval.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(Target.text(), QString("1+PI*2"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(TFunctionReference, DetailsShowTheDescriptionAndOpenTheLinkThroughTheHook) {
  TfFunctionReference dialog(&Target);
  ShowActive(dialog);
  QTest::keyClicks(dialog.SearchEdit(), "elodif");
  const QString details = dialog.Details()->text();
  EXPECT_TRUE(details.contains("EloDif(x; y; \u2026)")) << details.toStdString();
  EXPECT_TRUE(details.contains("Return elo difference (Coef.; Your elo;")) << details.toStdString();
  EXPECT_TRUE(details.contains("href=\"https://en.wikipedia.org/wiki/Elo_rating_system\""))
      << details.toStdString();
  // The link taken by keyboard, as a user without a mouse takes it.
  dialog.Details()->setFocus();
  QTest::keyClick(dialog.Details(), Qt::Key_Tab);
  QTest::keyClick(dialog.Details(), Qt::Key_Return);
  EXPECT_EQ(Opened, std::vector<std::string>{"https://en.wikipedia.org/wiki/Elo_rating_system"});

  QTest::keyClick(dialog.SearchEdit(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(dialog.SearchEdit(), "variancecoef");
  EXPECT_FALSE(dialog.Details()->text().contains("href")) << "a function without link";
}

// Runs Step on the widget of type T once it has opened as the active popup or modal dialog.
template <class T>
void WhenOpen(std::function<void(T*)> Step) {
  auto* timer = new QTimer(qApp); // deleted by itself below
  QObject::connect(timer, &QTimer::timeout, [timer, Step] {
    QWidget* open = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                      : QApplication::activeModalWidget();
    if (T* widget = qobject_cast<T*>(open)) {
      timer->stop();
      timer->deleteLater();
      Step(widget);
    }
  });
  timer->start(10);
}

TEST_F(TFunctionReference, TheContextMenuOpensTheReferenceForTheField) {
  QWidget window;
  auto* edit = new QLineEdit(&window); // owned by the window
  edit->setText("2*");
  InstallExpressionHelp(edit);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QStringList entries;
  WhenOpen<QMenu>([&](QMenu* menu) {
    for (QAction* action : menu->actions())
      if (!action->isSeparator())
        entries.append(action->text());
    WhenOpen<TfFunctionReference>([](TfFunctionReference* dialog) {
      QTest::keyClicks(dialog->SearchEdit(), "sqrt");
      QTest::keyClick(dialog->SearchEdit(), Qt::Key_Return);
    });
    menu->setActiveAction(menu->actions().last());
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          edit->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(edit, &event);

  EXPECT_EQ(entries.last(), QString("Insert Function\u2026"));
  EXPECT_GT(entries.size(), 1) << "the standard entries stay";
  EXPECT_EQ(edit->text(), QString("2*sqrt("));
  EXPECT_NE(ExpressionCompleter(edit), nullptr);
}

} // namespace
