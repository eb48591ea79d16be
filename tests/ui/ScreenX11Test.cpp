// The display modes on an X server of the test's own (Xvfb): the test adds modes to the server's
// output through XRandR, and the framework lists them, keeps their rates in the registry,
// switches to one and back, lets a full-screen form switch, and puts the start-up mode back when
// a process that switched ends at exit or by a signal. The test never runs on any other display:
// it needs BMI_OWN_X_SERVER, set to the display that the CTest command started for it.

#include "platform/uDisplayModes.h"
#include "platform/uRegistry.h"
#include "ui/uDForm.h"
#include "ui/uScreen.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Xlib defines macros (None, Bool, Status) that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

extern char** environ;

namespace {

bool OnOwnServer() {
  const char* own = std::getenv("BMI_OWN_X_SERVER");
  const char* display = std::getenv("DISPLAY");
  return own && display && *own && std::strcmp(own, display) == 0;
}

// The test's own connection to the server, which adds the modes and keeps them while it lives.
class TServer {
 public:
  TServer() : Display_(XOpenDisplay(nullptr)) {
    if (!Display_)
      return;
    Root_ = DefaultRootWindow(Display_);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(Display_, Root_);
    for (int i = 0; resources && i < resources->noutput && !Crtc_; ++i)
      if (XRROutputInfo* info = XRRGetOutputInfo(Display_, resources, resources->outputs[i])) {
        if (info->crtc) {
          Output_ = resources->outputs[i];
          Crtc_ = info->crtc;
          OutputName_.assign(info->name, static_cast<std::size_t>(info->nameLen));
        }
        XRRFreeOutputInfo(info);
      }
    if (resources)
      XRRFreeScreenResources(resources);
  }
  ~TServer() {
    if (Display_)
      XCloseDisplay(Display_);
  }
  TServer(const TServer&) = delete;
  TServer& operator=(const TServer&) = delete;

  bool Ready() const { return Display_ && Crtc_; }

  // Adds a mode of Width x Height whose totals and dot clock give Rate Hz to the output.
  void AddMode(int Width, int Height, unsigned long DotClock, int HTotal, int VTotal) {
    const std::string name = std::to_string(Width) + "x" + std::to_string(Height) + "_test";
    XRRModeInfo mode{};
    mode.width = static_cast<unsigned>(Width);
    mode.height = static_cast<unsigned>(Height);
    mode.dotClock = DotClock;
    mode.hSyncStart = static_cast<unsigned>(Width + 24);
    mode.hSyncEnd = static_cast<unsigned>(Width + 160);
    mode.hTotal = static_cast<unsigned>(HTotal);
    mode.vSyncStart = static_cast<unsigned>(Height + 3);
    mode.vSyncEnd = static_cast<unsigned>(Height + 9);
    mode.vTotal = static_cast<unsigned>(VTotal);
    mode.name = const_cast<char*>(name.c_str());
    mode.nameLength = static_cast<unsigned>(name.size());
    const RRMode id = XRRCreateMode(Display_, Root_, &mode);
    XRRAddOutputMode(Display_, Output_, id);
    XSync(Display_, False);
  }

  // The size the output shows now, as "WxH", and the screen's size.
  std::string Shown() {
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(Display_, Root_);
    std::string text = "?";
    if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(Display_, resources, Crtc_)) {
      text = std::to_string(crtc->width) + "x" + std::to_string(crtc->height);
      XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    XWindowAttributes root{};
    XGetWindowAttributes(Display_, Root_, &root);
    return text + " on " + std::to_string(root.width) + "x" + std::to_string(root.height);
  }

  const std::string& OutputName() const { return OutputName_; }

 private:
  Display* Display_;
  Window Root_ = 0;
  RROutput Output_ = 0;
  RRCrtc Crtc_ = 0;
  std::string OutputName_;
};

std::string Read(const std::string& Key, const std::string& Name) {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(Key))
    return "<no key>";
  return registry.ReadString(Name);
}

class TScreenX11 : public testing::Test {
 protected:
  void SetUp() override {
    if (!OnOwnServer())
      GTEST_SKIP() << "runs only on the X server its CTest command starts";
    ASSERT_TRUE(Server.Ready());
    ASSERT_NE(DisplayModes(), nullptr) << "XRandR is installed on X11";
    Server.AddMode(1024, 768, 65000000, 1344, 806); // 60 Hz
    Server.AddMode(800, 600, 49500000, 1056, 625);  // 75 Hz
    ClearRegistry();
    ResetScreenModes();
  }
  void TearDown() override {
    ClearRegistry();
    ResetScreenModes();
  }

  TServer Server;
};

// Runs this test binary's test Name in a child with BMI_SCREEN_CHILD=How; returns its wait
// status.
int RunChild(const std::string& Name, const std::string& How) {
  std::vector<std::string> arguments = {"/proc/self/exe", "--gtest_filter=" + Name};
  std::vector<std::string> environment = {"BMI_SCREEN_CHILD=" + How};
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, "BMI_SCREEN_CHILD=", 17) != 0)
      environment.emplace_back(*entry);
  std::vector<char*> argv, envp;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  for (std::string& entry : environment)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv.data(), envp.data()) != 0)
    return -1;
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

} // namespace

TEST_F(TScreenX11, ListsTheServersModesAndKeepsTheirRatesInTheRegistry) {
  ReadScreenModes();
  const TScreenState& state = ScreenState();
  EXPECT_EQ(state.DriverIndex, 0);
  EXPECT_EQ(state.DriverDesc.rfind(Server.OutputName() + " (", 0), 0U) << state.DriverDesc;
  std::vector<std::string> modes;
  for (const TScreenModeEx& mode : state.Modes)
    modes.push_back(std::to_string(mode.Width) + "x" + std::to_string(mode.Height) + "x" +
                    std::to_string(mode.Bits));
  EXPECT_EQ(modes, (std::vector<std::string>{"800x600x32", "1024x768x32", "1280x1024x32"}));
  EXPECT_EQ(Read(DisplayModeKey(0, 32, 800, 600), ""), "75");
  EXPECT_EQ(Read(DisplayModeKey(0, 32, 800, 600), "RefreshRate"), "75");
  EXPECT_EQ(Read(DisplayModeKey(0, 32, 1024, 768), ""), "60");
  EXPECT_EQ(state.Modes[0].RefreshRate, 75);
  EXPECT_EQ(state.StartMode.Width, 1280);
  EXPECT_EQ(state.StartMode.Height, 1024);
  EXPECT_EQ(state.StartMode.Bits, 32);
}

TEST_F(TScreenX11, AnotherDriverKeyBringsUpTheDriverForm) {
  {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(DisplayDriverKey(4), true));
    ASSERT_TRUE(registry.WriteString("DriverDesc", "Second card"));
  }
  QStringList lines;
  QTimer::singleShot(0, [&lines] {
    auto* form = qobject_cast<TfScreen*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    for (int i = 0; i < form->ComboBoxDriver->count(); ++i)
      lines << form->ComboBoxDriver->itemText(i);
    form->accept(); // the first line, selected from the start
  });
  ReadScreenModes();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].startsWith(QString::fromStdString("0: " + Server.OutputName() + " (")))
      << lines[0].toStdString();
  EXPECT_EQ(lines[1], "4: Second card");
  EXPECT_EQ(ScreenState().DriverIndex, 0);
  EXPECT_EQ(ScreenState().Modes[0].RefreshRate, 75) << "the rates of the chosen driver's keys";
}

TEST_F(TScreenX11, SwitchesToAnAddedModeAndBack) {
  ReadScreenModes();
  ASSERT_EQ(Server.Shown(), "1280x1024 on 1280x1024");
  EXPECT_TRUE(SetScreenMode({1024, 768, 32, 0}, false, false, false, false, true));
  EXPECT_EQ(Server.Shown(), "1024x768 on 1024x768");
  EXPECT_FALSE(ScreenModeChanging);
  EXPECT_TRUE(SetScreenMode({800, 600, 32, 75}, false, false, false, false, true));
  EXPECT_EQ(Server.Shown(), "800x600 on 800x600");
  EXPECT_TRUE(RestoreStartMode());
  EXPECT_EQ(Server.Shown(), "1280x1024 on 1280x1024");
  EXPECT_EQ(ScreenState().History.size(), 3U);
}

TEST_F(TScreenX11, AFullScreenFormWithChangeModeSwitchesAndGoesBack) {
  TDForm form;
  form.resize(200, 100);
  form.show();
  form.FullScreenMode = {800, 600, 32, 0};
  form.SetChangeMode(true);
  form.SetFullScreen(true);
  EXPECT_EQ(Server.Shown(), "800x600 on 800x600");
  // The form covers the monitor in its new size once Qt has heard of it.
  EXPECT_TRUE(QTest::qWaitFor([&form] { return form.geometry() == QRect(0, 0, 800, 600); }))
      << form.width() << "x" << form.height();
  form.SetFullScreen(false);
  EXPECT_EQ(Server.Shown(), "1280x1024 on 1280x1024");
  form.SetFullScreen(true);
  EXPECT_EQ(Server.Shown(), "800x600 on 800x600");
  // Turning ChangeMode off while in full screen goes back at once; full screen stays.
  form.SetChangeMode(false);
  EXPECT_EQ(Server.Shown(), "1280x1024 on 1280x1024");
  EXPECT_TRUE(form.FullScreen());
  EXPECT_TRUE(QTest::qWaitFor([&form] { return form.geometry() == QRect(0, 0, 1280, 1024); }))
      << form.width() << "x" << form.height();
}

TEST_F(TScreenX11, AProcessThatEndsPutsTheModeBack) {
  struct TCase {
    const char* How;
    int Signal; // 0: a normal exit
  };
  const TCase cases[] = {
      {"exit", 0},
      {"SIGINT", SIGINT},
      {"SIGTERM", SIGTERM},
      {"SIGABRT", SIGABRT},
#ifndef __SANITIZE_ADDRESS__
      // AddressSanitizer keeps SIGSEGV for its own report.
      {"SIGSEGV", SIGSEGV},
#endif
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.How);
    const int status = RunChild("TScreenX11Child.SwitchesAndEnds", c.How);
    if (c.Signal == 0) {
      ASSERT_TRUE(WIFEXITED(status)) << status;
      EXPECT_EQ(WEXITSTATUS(status), 0);
    } else {
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_EQ(WTERMSIG(status), c.Signal);
    }
    EXPECT_EQ(Server.Shown(), "1280x1024 on 1280x1024");
  }
}

// The child of the test above: switches to the mode its parent added, checks it, and ends as
// told.
TEST(TScreenX11Child, SwitchesAndEnds) {
  const char* how = std::getenv("BMI_SCREEN_CHILD");
  if (!how || !OnOwnServer())
    GTEST_SKIP() << "runs as the child of AProcessThatEndsPutsTheModeBack";
  TServer server;
  ASSERT_NE(DisplayModes(), nullptr);
  ASSERT_TRUE(DisplayModes()->Change({1024, 768, 32, 0}, false));
  ASSERT_EQ(server.Shown(), "1024x768 on 1024x768");
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const std::string way = how;
  if (way == "exit")
    std::exit(0);
  std::raise(way == "SIGINT"    ? SIGINT
             : way == "SIGTERM" ? SIGTERM
             : way == "SIGABRT" ? SIGABRT
                                : SIGSEGV);
  FAIL() << "the signal ends the process";
}
