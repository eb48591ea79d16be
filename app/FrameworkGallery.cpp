// framework-gallery: one window with what the window framework draws, once with the background
// texture option set and once without: a form with a gradient background, buttons in every state,
// labels with each bevel, a colour border, a shadow, a rotation and a blend, a label without a
// colour, and segment displays. Built with the project for developers and reviewers, not
// installed.
//
//   framework-gallery                       shows the window
//   framework-gallery --screenshot FILE     shows it, writes it as a PNG once painted, and ends
//
// Its glyph comes from Graphics/Images beside the program, where the build puts it.

#include "app/uStartup.h"
#include "app/uWidgetStartup.h"
#include "env/uCommon.h"
#include "ui/uDButton.h"
#include "ui/uDForm.h"
#include "ui/uDLabel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <clocale>
#include <cstdio>
#include <exception>
#include <functional>

namespace {

// Sets the texture option for every event of the widgets it watches, their paints and the
// rebuilding of their backgrounds: the two halves of the window show the two settings side by
// side.
class TTextureSetting : public QObject {
 public:
  TTextureSetting(bool On, QObject* Parent) : QObject(Parent), On_(On) {}

  // Watches Widget and everything in it.
  void Watch(QWidget* Widget) {
    Widget->installEventFilter(this);
    for (QWidget* child : Widget->findChildren<QWidget*>())
      child->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    GlobalParams[goWindowBackgroundTexture].Bool = On_;
    return QObject::eventFilter(Watched, Event);
  }

 private:
  bool On_;
};

constexpr int PanelWidth = 380;
constexpr int PanelHeight = 560;

TDButton* Button(QWidget* Parent, const QString& Name, const QString& Caption, int X, int Y,
                 int Width = 75, int Height = 25) {
  auto* button = new TDButton(Parent, Name, Caption);
  button->setGeometry(X, Y, Width, Height);
  return button;
}

TDLabel* Label(QWidget* Parent, const QString& Caption, int X, int Y, int Width, int Height) {
  auto* label = new TDLabel(Parent, {}, Caption);
  label->setGeometry(X, Y, Width, Height);
  label->SetAlignment(taCenter);
  return label;
}

// A label showing Text on a segment display of Format, sized to fit it.
TDLabel* Display(QWidget* Parent, const QString& Format, const QString& Text, int X, int Y,
                 const std::function<void(TDispl&)>& Setup) {
  TDispl displ;
  displ.SetEnabled(true);
  displ.SetFormat(Format);
  Setup(displ);
  int width = 0, height = 0;
  displ.Measure(width, height);
  // The bevel, one pixel more and the display's own margin of 2 on every side.
  auto* label = Label(Parent, Text, X, Y, width + 10, height + 10);
  label->SetColor(0x101010);
  label->SetBevelOuter(bvLowered);
  label->SetDispl(displ);
  return label;
}

// One half of the window: a form of its own inside the window.
TDForm* Panel(QWidget* Window, const QString& Title, int X) {
  auto* panel = new TDForm(Window);
  panel->setWindowFlags(Qt::Widget);
  panel->setGeometry(X, 10, PanelWidth, PanelHeight);
  panel->SetBackground(baGradient);

  TDLabel* title = Label(panel, Title, 10, 6, PanelWidth - 20, 26);
  title->SetColor(clNone);
  title->SetBevelOuter(bvNone);
  QFont titleFont = title->font();
  titleFont.setPixelSize(16);
  titleFont.setBold(true);
  title->setFont(titleFont);

  // Buttons: the states, the arrows, a glyph and a caption too long for its button.
  int y = 40;
  Button(panel, "ButtonNormal", "/", 10, y);
  TDButton* standard = Button(panel, "ButtonDefault", "/", 95, y);
  standard->SetDefault(true);
  Button(panel, "ButtonCancel", "/", 180, y)->SetCancel(true);
  TDButton* both = Button(panel, "ButtonBoth", "Default+Cancel", 265, y, 105);
  both->SetDefault(true);
  both->SetCancel(true);
  y += 35;
  Button(panel, "ButtonDisabled", "/", 10, y)->setEnabled(false);
  TDButton* up = Button(panel, "ButtonAutoUp", "Auto up", 95, y);
  up->SetAutoChange(true);
  TDButton* down = Button(panel, "ButtonAutoDown", "Auto down", 180, y);
  down->SetAutoChange(true);
  down->SetDown(true);
  Button(panel, "ButtonGlyph", "/", 265, y, 105);
  y += 35;
  const char* arrows[] = {"Up", "Left", "Down", "Right"};
  for (int i = 0; i < 4; ++i) {
    TDButton* arrow = Button(panel, QString("ButtonArrow%1").arg(i), {}, 10 + 35 * i, y, 28, 25);
    // Arrow captions are taken after the creation rules, which would add an accelerator.
    arrow->ensurePolished();
    arrow->SetCaption(arrows[i]);
  }
  Button(panel, "ButtonLong", "A caption far too long", 160, y, 80);
  TDButton* small = Button(panel, "ButtonSmall", "S", 255, y + 2, 22, 22);
  small->setToolTip("Small: square corners");
  Button(panel, "ButtonPressed", "Pressed", 290, y, 80)->SetDown(true);

  // Labels: the bevels, a colour border, a shadow, a rotation, a blend and no colour.
  y += 45;
  const std::pair<TBevelCut, const char*> bevels[] = {
      {bvNone, "None"}, {bvLowered, "Lowered"}, {bvRaised, "Raised"}, {bvSpace, "Space"}};
  for (int i = 0; i < 4; ++i) {
    TDLabel* bevel = Label(panel, bevels[i].second, 10 + 90 * i, y, 80, 44);
    bevel->SetBevelOuter(bevels[i].first);
    bevel->SetBevelWidth(2);
  }
  y += 54;
  TDLabel* border = Label(panel, "Border", 10, y, 80, 44);
  border->SetColor(0x3070C0);
  border->SetBorderWidth(4);
  border->SetBevelInner(bvLowered);
  TDLabel* shadow = Label(panel, "Shadow", 100, y, 80, 44);
  QFont big = shadow->font();
  big.setPixelSize(15);
  big.setBold(true);
  shadow->setFont(big);
  shadow->SetFontShadow(2);
  TDLabel* blend = Label(panel, "Blend", 190, y, 80, 44);
  blend->setFont(big);
  blend->SetColor(0x40A0E0);
  blend->SetFontEffect(ef08);
  TDLabel* none = Label(panel, "No colour", 280, y, 90, 44);
  none->SetColor(clNone);
  none->setFont(big);
  y += 54;
  TDLabel* rotated = Label(panel, "Rotated", 10, y, 100, 100);
  rotated->setFont(big);
  rotated->SetColor(0x60C060);
  rotated->SetFontAngle(128);
  rotated->SetBorderStyle(bsSingle);
  TDLabel* wrapped = Label(panel, "A caption that wraps over lines", 120, y, 120, 100);
  wrapped->SetWordWrap(true);
  wrapped->SetBevelOuter(bvLowered);
  wrapped->SetColor(0xE0E0E0);

  // Segment displays: a clock, letters and a number with its decimal separator.
  y += 110;
  Display(panel, "88:88", "12:34", 10, y, [](TDispl& Displ) {
    Displ.SetSize(4);
    Displ.SetColorA(0x2020FF);
    Displ.SetColorD(0x200030);
  });
  Display(panel, "8888.88", "-273.15", 190, y + 8, [](TDispl& Displ) {
    Displ.SetSize(3);
    Displ.SetColorA(0x00B0FF);
    Displ.SetColorD(clNone);
  });
  Display(panel, "XXXXX", "HELLO", 10, y + 80, [](TDispl& Displ) {
    Displ.SetSizeX(14);
    Displ.SetSizeY(16);
    Displ.SetSpaceSX(2);
    Displ.SetSpaceSY(2);
    Displ.SetSizeT(3);
    Displ.SetSpacing(8);
    Displ.SetColorA(0x40FF40);
    Displ.SetColorD(0x0C200C);
  });
  return panel;
}

// Shows the window's picture in FILE once it is painted, then ends the program.
void ScreenshotWhenPainted(QWidget& Window, const QString& File, int Tries = 100) {
  QTimer::singleShot(100, &Window, [&Window, File, Tries] {
    const QImage shot =
        Window.screen()->grabWindow(Window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    // Mapped but not painted yet: a picture of one colour.
    bool painted = false;
    for (int y = 0; y < shot.height() && !painted; y += 7)
      for (int x = 0; x < shot.width() && !painted; x += 7)
        painted = shot.pixel(x, y) != shot.pixel(0, 0);
    if (painted && shot.size() == Window.size()) {
      const bool saved = shot.save(File, "PNG");
      if (!saved)
        std::fprintf(stderr, "framework-gallery: cannot write %s\n", qPrintable(File));
      QCoreApplication::exit(saved ? 0 : 1);
    } else if (Tries > 0) {
      ScreenshotWhenPainted(Window, File, Tries - 1);
    } else {
      std::fprintf(stderr, "framework-gallery: the window was never painted\n");
      QCoreApplication::exit(1);
    }
  });
}

} // namespace

int main(int argc, char** argv) {
  try {
    TFrameworkScope framework;
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("framework-gallery");
    QApplication::setApplicationDisplayName("Framework Gallery");
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows what the window framework draws.");
    parser.addHelpOption();
    const QCommandLineOption screenshot("screenshot", "Writes the window as a PNG and ends.",
                                        "FILE");
    parser.addOption(screenshot);
    parser.process(application);
    TWidgetFrameworkScope widgets;

    TDForm window(nullptr, "fGallery");
    window.SetCaption("Framework Gallery");
    window.resize(2 * PanelWidth + 30, PanelHeight + 20);
    auto* textured = new TTextureSetting(true, &window);
    auto* plain = new TTextureSetting(false, &window);
    textured->Watch(&window);
    TDForm* left = Panel(&window, "Texture on", 10);
    textured->Watch(left);
    plain->Watch(Panel(&window, "Texture off", PanelWidth + 20));
    // The focused button of the active window is the default one now: it shows the focus bar.
    left->findChild<TDButton*>("ButtonNormal")->setFocus();
    window.show();
    window.activateWindow();
    if (parser.isSet(screenshot))
      ScreenshotWhenPainted(window, parser.value(screenshot));
    return QApplication::exec();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "framework-gallery: %s\n", error.what());
    return 1;
  }
}
