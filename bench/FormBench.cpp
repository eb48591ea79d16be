// The framework's form and buttons beside Qt's own widgets, repainted side by side in one run:
//   - a 640 x 480 TDForm with the textured gradient background and 20 TDButtons, against a
//     QDialog of the same size with 20 QPushButtons painted by Qt's Fusion style;
//   - one 75 x 23 TDButton against one QPushButton, repainted as it is, and pressed and released
//     in turn so that each repaint draws the face anew.
// Each iteration is a synchronous repaint() of a shown window on Qt's offscreen platform: the
// widgets paint into the window's backing store as they do on screen. After Google Benchmark's
// table the program prints each case's times and how many times faster the framework is.

#include "app/uStartup.h"
#include "app/uWidgetStartup.h"
#include "bench/BenchRatios.h"
#include "env/uCommon.h"
#include "ui/uDButton.h"
#include "ui/uDForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <memory>
#include <vector>

namespace {

constexpr int FormWidth = 640, FormHeight = 480, ButtonCount = 20;

// Where the i-th of the 20 buttons goes: four columns of five.
QRect ButtonPlace(int I) {
  return QRect(40 + (I % 4) * 150, 40 + (I / 4) * 80, 75, 25);
}

QString ButtonCaption(int I) {
  return QString("Button %1").arg(I + 1);
}

void Shown(QWidget& Window) {
  Window.show();
  if (!QTest::qWaitForWindowExposed(&Window))
    std::fprintf(stderr, "the window was not exposed\n");
}

void Framework_Form640x480With20Buttons(benchmark::State& State) {
  GlobalParams[goWindowBackgroundTexture].Bool = true;
  TDForm form;
  form.resize(FormWidth, FormHeight);
  form.SetBackground(baGradient);
  std::vector<std::unique_ptr<TDButton>> buttons;
  for (int i = 0; i < ButtonCount; ++i) {
    buttons.push_back(std::make_unique<TDButton>(&form, QString(), ButtonCaption(i)));
    buttons.back()->setGeometry(ButtonPlace(i));
  }
  Shown(form);
  for (auto _ : State)
    form.repaint();
}

void Qt_Form640x480With20Buttons(benchmark::State& State) {
  QDialog form;
  form.resize(FormWidth, FormHeight);
  std::vector<std::unique_ptr<QPushButton>> buttons;
  for (int i = 0; i < ButtonCount; ++i) {
    buttons.push_back(std::make_unique<QPushButton>(ButtonCaption(i), &form));
    buttons.back()->setGeometry(ButtonPlace(i));
  }
  Shown(form);
  for (auto _ : State)
    form.repaint();
}

// One button in a window of its own size, repainted alone; with Toggle, pressed and released in
// turn, so that every repaint draws the face anew.
template <class TButton>
void ButtonRepaint(benchmark::State& State, bool Toggle = false) {
  GlobalParams[goWindowBackgroundTexture].Bool = true;
  QWidget window;
  window.resize(75, 23);
  TButton button(&window);
  button.setText("&OK");
  button.setGeometry(0, 0, 75, 23);
  Shown(window);
  for (auto _ : State) {
    if (Toggle)
      button.setDown(!button.isDown());
    button.repaint();
  }
}

void Framework_Button75x23(benchmark::State& State) {
  ButtonRepaint<TDButton>(State);
}

void Qt_Button75x23(benchmark::State& State) {
  ButtonRepaint<QPushButton>(State);
}

void Framework_Button75x23Pressed(benchmark::State& State) {
  ButtonRepaint<TDButton>(State, true);
}

void Qt_Button75x23Pressed(benchmark::State& State) {
  ButtonRepaint<QPushButton>(State, true);
}

BENCHMARK(Framework_Form640x480With20Buttons)->Name("Framework/form 640x480, 20 buttons");
BENCHMARK(Qt_Form640x480With20Buttons)->Name("Qt/form 640x480, 20 buttons");
BENCHMARK(Framework_Button75x23)->Name("Framework/button 75x23");
BENCHMARK(Qt_Button75x23)->Name("Qt/button 75x23");
BENCHMARK(Framework_Button75x23Pressed)->Name("Framework/button 75x23 pressed and released");
BENCHMARK(Qt_Button75x23Pressed)->Name("Qt/button 75x23 pressed and released");

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TFrameworkScope framework;
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  TWidgetFrameworkScope widgets;
  return RunWithRatios(argc, argv, "Framework", "Qt");
}
