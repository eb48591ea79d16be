// The display settings through XRandR 1.2: the modes of one output and the switch of its CRTC,
// with the screen resized to hold what the CRTCs show.

#include "platform/uDisplayModes.h"
#include "platform/uRegistry.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// The refresh rate of a mode from its dot clock and totals, rounded to whole Hz; 0 when a total
// is 0.
int RateOf(const XRRModeInfo& Mode) {
  if (Mode.hTotal == 0 || Mode.vTotal == 0)
    return 0;
  double rate = static_cast<double>(Mode.dotClock) /
                (static_cast<double>(Mode.hTotal) * static_cast<double>(Mode.vTotal));
  if (Mode.modeFlags & RR_DoubleScan)
    rate /= 2;
  if (Mode.modeFlags & RR_Interlace)
    rate *= 2;
  return static_cast<int>(std::lround(rate));
}

bool Sideways(Rotation Value) {
  return (Value & (RR_Rotate_90 | RR_Rotate_270)) != 0;
}

// Collects the X errors of the requests made while it lives, instead of Xlib's default of ending
// the program.
class TErrorTrap {
 public:
  TErrorTrap() : Previous_(XSetErrorHandler(Handler)) { Failed = false; }
  ~TErrorTrap() { XSetErrorHandler(Previous_); }
  TErrorTrap(const TErrorTrap&) = delete;
  TErrorTrap& operator=(const TErrorTrap&) = delete;

  static inline bool Failed = false;

 private:
  static int Handler(Display*, XErrorEvent*) {
    Failed = true;
    return 0;
  }
  int (*Previous_)(Display*, XErrorEvent*);
};

struct TXMode {
  RRMode Id = 0;
  int Width = 0; // as shown, rotation applied
  int Height = 0;
  int Rate = 0;
};

// What a CRTC shows: enough to show it again.
struct TCrtcState {
  RRMode Mode = 0;
  int X = 0;
  int Y = 0;
  Rotation Rotate = RR_Rotate_0;
  std::vector<RROutput> Outputs;
};

class TXRandRModes final : public TDisplayModes {
 public:
  TXRandRModes(Display* Connection, std::string Name, bool HasPrimary)
      : Display_(Connection), Name_(std::move(Name)), Root_(DefaultRootWindow(Connection)),
        HasPrimary_(HasPrimary) {
    int count = 0;
    const int depth = DefaultDepth(Connection, DefaultScreen(Connection));
    if (XPixmapFormatValues* formats = XListPixmapFormats(Connection, &count)) {
      for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
          Bits_ = formats[i].bits_per_pixel;
      XFree(formats);
    }
  }

  ~TXRandRModes() override {
    RestoreOriginal();
    if (RestoreDisplay_)
      XCloseDisplay(RestoreDisplay_);
    XCloseDisplay(Display_);
  }

  // Reads the output, its CRTC and its modes; false when there is no output showing anything.
  bool Refresh() {
    // An output or mode that goes away meanwhile makes an error, not the end of the program.
    const TErrorTrap trap;
    Modes_.clear();
    Crtc_ = 0;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(Display_, Root_);
    if (!resources)
      return false;
    ConfigTime_ = resources->configTimestamp;
    // The primary output is known from XRandR 1.3 on.
    const RROutput primary = HasPrimary_ ? XRRGetOutputPrimary(Display_, Root_) : 0;
    std::vector<RROutput> candidates;
    if (primary)
      candidates.push_back(primary);
    for (int i = 0; i < resources->noutput; ++i)
      candidates.push_back(resources->outputs[i]);
    for (RROutput output : candidates) {
      XRROutputInfo* info = XRRGetOutputInfo(Display_, resources, output);
      if (!info)
        continue;
      if (info->crtc && info->connection != RR_Disconnected) {
        Output_ = output;
        Crtc_ = info->crtc;
        OutputName_.assign(info->name, static_cast<std::size_t>(info->nameLen));
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(Display_, resources, Crtc_);
        if (crtc) {
          Shown_ = {crtc->mode, crtc->x, crtc->y, crtc->rotation,
                    std::vector<RROutput>(crtc->outputs, crtc->outputs + crtc->noutput)};
          ShownWidth_ = static_cast<int>(crtc->width);
          ShownHeight_ = static_cast<int>(crtc->height);
          XRRFreeCrtcInfo(crtc);
        }
        for (int m = 0; m < info->nmode; ++m)
          for (int i = 0; i < resources->nmode; ++i)
            if (resources->modes[i].id == info->modes[m]) {
              const XRRModeInfo& mode = resources->modes[i];
              TXMode listed{mode.id, static_cast<int>(mode.width), static_cast<int>(mode.height),
                            RateOf(mode)};
              if (Sideways(Shown_.Rotate))
                std::swap(listed.Width, listed.Height);
              Modes_.push_back(listed);
            }
        XRRFreeOutputInfo(info);
        break;
      }
      XRRFreeOutputInfo(info);
    }
    OtherCrtcs_.clear();
    for (int i = 0; i < resources->ncrtc; ++i) {
      if (resources->crtcs[i] == Crtc_)
        continue;
      if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(Display_, resources, resources->crtcs[i])) {
        if (crtc->mode)
          OtherCrtcs_.push_back(
              {crtc->x + static_cast<int>(crtc->width), crtc->y + static_cast<int>(crtc->height)});
        XRRFreeCrtcInfo(crtc);
      }
    }
    XRRFreeScreenResources(resources);
    return Crtc_ != 0;
  }

  bool EnumSetting(int Index, TDisplaySetting& Setting) override {
    if (Index == 0)
      Refresh();
    if (Index < 0 || Index >= static_cast<int>(Modes_.size()))
      return false;
    const TXMode& mode = Modes_[static_cast<std::size_t>(Index)];
    Setting = {mode.Width, mode.Height, Bits_, mode.Rate};
    return true;
  }

  TDisplaySetting Current() override {
    if (!Refresh())
      return {DisplayWidth(Display_, DefaultScreen(Display_)),
              DisplayHeight(Display_, DefaultScreen(Display_)), Bits_, 0};
    int rate = 0;
    for (const TXMode& mode : Modes_)
      if (mode.Id == Shown_.Mode)
        rate = mode.Rate;
    return {ShownWidth_, ShownHeight_, Bits_, rate};
  }

  void PublishDriver() override {
    if (!Refresh())
      return;
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(DisplayDriverKey(0), true))
      return;
    const char* vendor = ServerVendor(Display_);
    (void)registry.WriteString("DriverDesc", OutputName_ + " (" + (vendor ? vendor : "X") + ")");
    // Per size: every rate offered, ascending, and the rate in use (of the mode shown, or of the
    // first mode the output lists in that size).
    struct TSize {
      std::vector<int> Rates;
      int Rate = 0;
    };
    std::map<std::pair<int, int>, TSize> sizes;
    for (const TXMode& mode : Modes_) {
      TSize& size = sizes[{mode.Width, mode.Height}];
      if (mode.Rate > 0 &&
          std::find(size.Rates.begin(), size.Rates.end(), mode.Rate) == size.Rates.end())
        size.Rates.push_back(mode.Rate);
      if (size.Rate == 0 || mode.Id == Shown_.Mode)
        size.Rate = mode.Rate;
    }
    for (auto& [extent, size] : sizes) {
      std::sort(size.Rates.begin(), size.Rates.end());
      std::string list;
      for (int rate : size.Rates)
        list += (list.empty() ? "" : ",") + std::to_string(rate);
      if (!registry.OpenKey(DisplayModeKey(0, Bits_, extent.first, extent.second), true))
        continue;
      (void)registry.WriteString("", list);
      if (size.Rate > 0)
        (void)registry.WriteString("RefreshRate", std::to_string(size.Rate));
    }
    registry.CloseKey();
  }

  bool Change(const TDisplaySetting& Setting, bool) override {
    if (!Refresh() || Setting.Bits != Bits_)
      return false;
    // The rate of the driver's mode key; without one, the first mode of the size.
    int wanted = 0;
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(DisplayModeKey(0, Bits_, Setting.Width, Setting.Height)))
      wanted = std::atoi(registry.ReadString("RefreshRate").c_str());
    const TXMode* chosen = nullptr;
    for (const TXMode& mode : Modes_)
      if (mode.Width == Setting.Width && mode.Height == Setting.Height &&
          (!chosen ||
           (wanted > 0 && std::abs(mode.Rate - wanted) < std::abs(chosen->Rate - wanted))))
        chosen = &mode;
    if (!chosen)
      return false;
    if (chosen->Id == Shown_.Mode)
      return true;
    const TCrtcState before = Shown_;
    const int beforeWidth = ScreenWidth(), beforeHeight = ScreenHeight();
    if (!Changed_) {
      Original_ = before;
      OriginalWidth_ = beforeWidth;
      OriginalHeight_ = beforeHeight;
      OriginalMmWidth_ = DisplayWidthMM(Display_, DefaultScreen(Display_));
      OriginalMmHeight_ = DisplayHeightMM(Display_, DefaultScreen(Display_));
    }
    // The screen holds every CRTC; the one switched is the only one that changes.
    int width = Shown_.X + chosen->Width, height = Shown_.Y + chosen->Height;
    for (const auto& [right, bottom] : OtherCrtcs_) {
      width = std::max(width, right);
      height = std::max(height, bottom);
    }
    TCrtcState next = Shown_;
    next.Mode = chosen->Id;
    if (!Apply(Display_, next, beforeWidth, beforeHeight, width, height))
      return false;
    if (!Changed_) {
      Changed_ = true;
      // A second connection for the restore, which may run from a signal handler while the first
      // is inside a request.
      RestoreDisplay_ = XOpenDisplay(Name_.empty() ? nullptr : Name_.c_str());
      if (RestoreDisplay_) {
        int event = 0, error = 0;
        XRRQueryExtension(RestoreDisplay_, &event, &error);
      }
      GuardDisplayModes();
    }
    LastWidth_ = width;
    LastHeight_ = height;
    return true;
  }

  void RestoreOriginal() noexcept override {
    if (!Changed_)
      return;
    Changed_ = false;
    Display* connection = RestoreDisplay_ ? RestoreDisplay_ : Display_;
    Apply(connection, Original_, LastWidth_, LastHeight_, OriginalWidth_, OriginalHeight_);
  }

 private:
  int ScreenWidth() {
    XWindowAttributes attributes{};
    XGetWindowAttributes(Display_, Root_, &attributes);
    return attributes.width;
  }
  int ScreenHeight() {
    XWindowAttributes attributes{};
    XGetWindowAttributes(Display_, Root_, &attributes);
    return attributes.height;
  }

  // Shows State on the CRTC with the screen going from FromWidth x FromHeight to Width x Height:
  // grown first where the mode needs more room, shrunk after. It allocates nothing, so that it
  // may run in a signal handler.
  bool Apply(Display* Connection, const TCrtcState& State, int FromWidth, int FromHeight, int Width,
             int Height) {
    const TErrorTrap trap;
    const Window root = DefaultRootWindow(Connection);
    // The screen keeps the pixel density it had before the first change.
    const auto millimetres = [](int Pixels, int OriginalPixels, int OriginalMm) {
      return OriginalPixels > 0 && OriginalMm > 0
                 ? std::max(1, Pixels * OriginalMm / OriginalPixels)
                 : std::max(1, Pixels / 4);
    };
    XGrabServer(Connection);
    const int growWidth = std::max(FromWidth, Width), growHeight = std::max(FromHeight, Height);
    if (growWidth != FromWidth || growHeight != FromHeight)
      XRRSetScreenSize(Connection, root, growWidth, growHeight,
                       millimetres(growWidth, OriginalWidth_, OriginalMmWidth_),
                       millimetres(growHeight, OriginalHeight_, OriginalMmHeight_));
    // The request takes nothing from the resources but their configuration time.
    XRRScreenResources resources{};
    resources.configTimestamp = ConfigTime_;
    const Status status = XRRSetCrtcConfig(
        Connection, &resources, Crtc_, CurrentTime, State.X, State.Y, State.Mode, State.Rotate,
        const_cast<RROutput*>(State.Outputs.data()), static_cast<int>(State.Outputs.size()));
    if (status == RRSetConfigSuccess && (Width != growWidth || Height != growHeight))
      XRRSetScreenSize(Connection, root, Width, Height,
                       millimetres(Width, OriginalWidth_, OriginalMmWidth_),
                       millimetres(Height, OriginalHeight_, OriginalMmHeight_));
    XUngrabServer(Connection);
    XSync(Connection, False);
    return status == RRSetConfigSuccess && !TErrorTrap::Failed;
  }

  Display* Display_;
  std::string Name_;
  Window Root_;
  bool HasPrimary_;
  int Bits_ = 0;
  Time ConfigTime_ = 0;
  RROutput Output_ = 0;
  RRCrtc Crtc_ = 0;
  std::string OutputName_;
  std::vector<TXMode> Modes_;
  TCrtcState Shown_;
  int ShownWidth_ = 0;
  int ShownHeight_ = 0;
  std::vector<std::pair<int, int>> OtherCrtcs_; // right and bottom edges of the other CRTCs

  bool Changed_ = false;
  TCrtcState Original_;
  int OriginalWidth_ = 0;
  int OriginalHeight_ = 0;
  int OriginalMmWidth_ = 0;
  int OriginalMmHeight_ = 0;
  int LastWidth_ = 0;
  int LastHeight_ = 0;
  Display* RestoreDisplay_ = nullptr;
};

} // namespace

std::unique_ptr<TDisplayModes> CreateXRandRModes(const char* DisplayName) {
  Display* connection = XOpenDisplay(DisplayName);
  if (!connection)
    return nullptr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(connection, &event, &error) ||
      !XRRQueryVersion(connection, &major, &minor) || major < 1 || (major == 1 && minor < 2)) {
    XCloseDisplay(connection);
    return nullptr;
  }
  return std::make_unique<TXRandRModes>(connection, DisplayName ? DisplayName : "",
                                        major > 1 || minor >= 3);
}
