// The framework bitmap beside pixman and Qt's raster engine on the same 1920 x 1080 buffers:
// fills, blends, blits, the style-12 gradient, area-averaging resizing and rotation, with memcpy
// of the same buffer as the physical limit; and LoadFromFile of 4000 x 3000 pictures beside
// QImage::load. After Google Benchmark's table it prints each case's figures and how many times
// faster TDBitmap is than each peer.

#include "app/uStartup.h"
#include "ui/uDBitmap.h"

#include <benchmark/benchmark.h>
#include <pixman.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int W = 1920, H = 1080;

// The sides of a comparison, in the order they are printed.
const std::vector<std::string> Sides = {"TDBitmap", "pixman", "Qt", "memcpy"};

// Random pixels, the same for every run.
void Noise(TDBitmap& Bitmap, int Width, int Height, unsigned Seed) {
  Bitmap.SetSize(Width, Height, clBlack);
  std::mt19937 random(Seed);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      *Bitmap.PixelAddress(x, y) = random() & 0x00FFFFFF;
}

// The buffers every case works on: a target and a source picture.
struct TBuffers {
  TDBitmap Target, Source;
  TBuffers() {
    Noise(Target, W, H, 1);
    Noise(Source, W, H, 2);
  }
};

TBuffers& Buffers() {
  static TBuffers buffers;
  return buffers;
}

// A pixman image over a bitmap's own pixels.
pixman_image_t* PixmanOver(const TDBitmap& Bitmap) {
  return pixman_image_create_bits(PIXMAN_x8r8g8b8, Bitmap.Width(), Bitmap.Height(),
                                  reinterpret_cast<std::uint32_t*>(Bitmap.TopRow()),
                                  static_cast<int>(Bitmap.RowSize()));
}

// A QImage over a bitmap's own pixels, so that Qt draws into the same memory.
QImage QtOver(const TDBitmap& Bitmap) {
  return QImage(Bitmap.TopRow(), Bitmap.Width(), Bitmap.Height(),
                static_cast<qsizetype>(Bitmap.RowSize()), QImage::Format_RGB32);
}

void Pixels(benchmark::State& State, std::int64_t PerIteration) {
  State.counters["Gpixel/s"] = benchmark::Counter(static_cast<double>(PerIteration) *
                                                      static_cast<double>(State.iterations()) / 1e9,
                                                  benchmark::Counter::kIsRate);
}

// memcpy of the whole buffer: the physical limit of every case that writes it.

void Memcpy_Buffer(benchmark::State& State) {
  TBuffers& b = Buffers();
  const std::size_t bytes = std::size_t(b.Target.RowSize()) * H;
  for (auto _ : State) {
    std::memcpy(b.Target.TopRow(), b.Source.TopRow(), bytes);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

// Bar.

void BarCase(benchmark::State& State, TEffect Effect) {
  TBuffers& b = Buffers();
  for (auto _ : State) {
    b.Target.Bar(RGBColor(40, 90, 200), Effect);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void PixmanFill(benchmark::State& State, pixman_op_t Op, std::uint16_t Alpha) {
  TBuffers& b = Buffers();
  pixman_image_t* target = PixmanOver(b.Target);
  // Premultiplied: 40, 90, 200 at Alpha.
  const auto scale = [&](int Value) {
    return static_cast<std::uint16_t>(Value * 257 * Alpha / 0xFFFF);
  };
  const pixman_color_t color = {scale(200), scale(90), scale(40), Alpha};
  const pixman_rectangle16_t rect = {0, 0, W, H};
  for (auto _ : State) {
    pixman_image_fill_rectangles(Op, target, &color, 1, &rect);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(target);
  Pixels(State, std::int64_t{W} * H);
}

void QtFill(benchmark::State& State, QPainter::CompositionMode Mode, int Alpha) {
  TBuffers& b = Buffers();
  QImage target = QtOver(b.Target);
  QPainter painter(&target);
  painter.setCompositionMode(Mode);
  for (auto _ : State) {
    painter.fillRect(0, 0, W, H, QColor(40, 90, 200, Alpha));
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void TDBitmap_Bar_ef16(benchmark::State& State) {
  BarCase(State, ef16);
}
void pixman_Bar_ef16(benchmark::State& State) {
  PixmanFill(State, PIXMAN_OP_SRC, 0xFFFF);
}
void Qt_Bar_ef16(benchmark::State& State) {
  QtFill(State, QPainter::CompositionMode_Source, 255);
}
void TDBitmap_Bar_ef08(benchmark::State& State) {
  BarCase(State, ef08);
}
void pixman_Bar_ef08(benchmark::State& State) {
  PixmanFill(State, PIXMAN_OP_OVER, 0x8080);
}
void Qt_Bar_ef08(benchmark::State& State) {
  QtFill(State, QPainter::CompositionMode_SourceOver, 128);
}
void TDBitmap_Bar_efAdd(benchmark::State& State) {
  BarCase(State, efAdd);
}
void pixman_Bar_efAdd(benchmark::State& State) {
  PixmanFill(State, PIXMAN_OP_ADD, 0xFFFF);
}
void Qt_Bar_efAdd(benchmark::State& State) {
  QtFill(State, QPainter::CompositionMode_Plus, 255);
}

// DrawBitmap.

void DrawCase(benchmark::State& State, TEffect Effect) {
  TBuffers& b = Buffers();
  for (auto _ : State) {
    b.Target.DrawBitmap(0, 0, b.Source, Effect);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void PixmanComposite(benchmark::State& State, pixman_op_t Op, bool HalfMask) {
  TBuffers& b = Buffers();
  pixman_image_t* target = PixmanOver(b.Target);
  pixman_image_t* source = PixmanOver(b.Source);
  const pixman_color_t half = {0, 0, 0, 0x8080};
  pixman_image_t* mask = HalfMask ? pixman_image_create_solid_fill(&half) : nullptr;
  for (auto _ : State) {
    pixman_image_composite32(Op, source, mask, target, 0, 0, 0, 0, 0, 0, W, H);
    benchmark::ClobberMemory();
  }
  if (mask)
    pixman_image_unref(mask);
  pixman_image_unref(source);
  pixman_image_unref(target);
  Pixels(State, std::int64_t{W} * H);
}

void QtDraw(benchmark::State& State, qreal Opacity) {
  TBuffers& b = Buffers();
  QImage target = QtOver(b.Target);
  const QImage source = QtOver(b.Source);
  QPainter painter(&target);
  painter.setCompositionMode(Opacity < 1 ? QPainter::CompositionMode_SourceOver
                                         : QPainter::CompositionMode_Source);
  painter.setOpacity(Opacity);
  for (auto _ : State) {
    painter.drawImage(0, 0, source);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void TDBitmap_DrawBitmap_ef16(benchmark::State& State) {
  DrawCase(State, ef16);
}
void pixman_DrawBitmap_ef16(benchmark::State& State) {
  PixmanComposite(State, PIXMAN_OP_SRC, false);
}
void Qt_DrawBitmap_ef16(benchmark::State& State) {
  QtDraw(State, 1);
}
void TDBitmap_DrawBitmap_ef08(benchmark::State& State) {
  DrawCase(State, ef08);
}
void pixman_DrawBitmap_ef08(benchmark::State& State) {
  PixmanComposite(State, PIXMAN_OP_OVER, true);
}
void Qt_DrawBitmap_ef08(benchmark::State& State) {
  QtDraw(State, 0.5);
}

// Gradient style 12 beside a two-colour linear gradient.

void TDBitmap_Gradient_style12(benchmark::State& State) {
  TBuffers& b = Buffers();
  const std::array<TColor, 4> colors = {RGBColor(200, 220, 240), RGBColor(40, 60, 80),
                                        RGBColor(200, 220, 240), RGBColor(40, 60, 80)};
  for (auto _ : State) {
    b.Target.Gradient(nullptr, 0, ef16, colors, 12);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void pixman_Gradient_style12(benchmark::State& State) {
  TBuffers& b = Buffers();
  pixman_image_t* target = PixmanOver(b.Target);
  const pixman_point_fixed_t from = {0, 0}, to = {pixman_int_to_fixed(W), pixman_int_to_fixed(H)};
  const pixman_gradient_stop_t stops[2] = {{0, {0xF0F0, 0xDCDC, 0xC8C8, 0xFFFF}},
                                           {pixman_fixed_1, {0x5050, 0x3C3C, 0x2828, 0xFFFF}}};
  pixman_image_t* gradient = pixman_image_create_linear_gradient(&from, &to, stops, 2);
  for (auto _ : State) {
    pixman_image_composite32(PIXMAN_OP_SRC, gradient, nullptr, target, 0, 0, 0, 0, 0, 0, W, H);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(gradient);
  pixman_image_unref(target);
  Pixels(State, std::int64_t{W} * H);
}

void Qt_Gradient_style12(benchmark::State& State) {
  TBuffers& b = Buffers();
  QImage target = QtOver(b.Target);
  QPainter painter(&target);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  QLinearGradient gradient(0, 0, W, H);
  gradient.setColorAt(0, QColor(240, 220, 200));
  gradient.setColorAt(1, QColor(80, 60, 40));
  for (auto _ : State) {
    painter.fillRect(0, 0, W, H, gradient);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

// Resize.

void TDBitmapResize(benchmark::State& State, int Width, int Height) {
  TBuffers& b = Buffers();
  TDBitmap target;
  for (auto _ : State) {
    target.Resize(Width, Height, nullptr, &b.Source);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void PixmanResize(benchmark::State& State, int Width, int Height) {
  TBuffers& b = Buffers();
  pixman_image_t* source = PixmanOver(b.Source);
  std::vector<std::uint32_t> pixels(std::size_t(Width) * Height);
  pixman_image_t* target =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, Width, Height, pixels.data(), Width * 4);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(W) / Width),
                              pixman_double_to_fixed(double(H) / Height));
  pixman_image_set_transform(source, &transform);
  int count = 0;
  pixman_fixed_t* parameters = pixman_filter_create_separable_convolution(
      &count, pixman_double_to_fixed(double(W) / Width), pixman_double_to_fixed(double(H) / Height),
      PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 4, 4);
  pixman_image_set_filter(source, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, parameters, count);
  std::free(parameters);
  for (auto _ : State) {
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, Width,
                             Height);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(target);
  pixman_image_unref(source);
  Pixels(State, std::int64_t{W} * H);
}

void QtResize(benchmark::State& State, int Width, int Height) {
  TBuffers& b = Buffers();
  const QImage source = QtOver(b.Source);
  for (auto _ : State) {
    QImage scaled = source.scaled(Width, Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    benchmark::DoNotOptimize(scaled.constBits());
  }
  Pixels(State, std::int64_t{W} * H);
}

void TDBitmap_Resize_960x540(benchmark::State& State) {
  TDBitmapResize(State, 960, 540);
}
void pixman_Resize_960x540(benchmark::State& State) {
  PixmanResize(State, 960, 540);
}
void Qt_Resize_960x540(benchmark::State& State) {
  QtResize(State, 960, 540);
}
void TDBitmap_Resize_1280x720(benchmark::State& State) {
  TDBitmapResize(State, 1280, 720);
}
void pixman_Resize_1280x720(benchmark::State& State) {
  PixmanResize(State, 1280, 720);
}
void Qt_Resize_1280x720(benchmark::State& State) {
  QtResize(State, 1280, 720);
}

// RotateDraw by 30 degrees about the centre, the source the same size as the target.

constexpr int Angle30 = 1024 * 30 / 360;

void TDBitmap_RotateDraw_30deg(benchmark::State& State) {
  TBuffers& b = Buffers();
  for (auto _ : State) {
    b.Target.RotateDraw(b.Source, Angle30, 0, ef16);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

void Qt_RotateDraw_30deg(benchmark::State& State) {
  TBuffers& b = Buffers();
  QImage target = QtOver(b.Target);
  const QImage source = QtOver(b.Source);
  QPainter painter(&target);
  painter.translate(W / 2.0, H / 2.0);
  painter.rotate(-30);
  painter.translate(-W / 2.0, -H / 2.0);
  for (auto _ : State) {
    painter.drawImage(0, 0, source);
    benchmark::ClobberMemory();
  }
  Pixels(State, std::int64_t{W} * H);
}

// LoadFromFile of 4000 x 3000 pictures beside QImage::load of the same file.

std::string PictureName(const char* Extension) {
  return (std::filesystem::temp_directory_path() /
          ("bmi-bench-" + std::to_string(::getpid()) + "." + Extension))
      .string();
}

const std::string& Picture(const char* Extension) {
  static std::map<std::string, std::string> names;
  std::string& name = names[Extension];
  if (name.empty()) {
    name = PictureName(Extension);
    // A smooth picture with some noise, as a photograph might be.
    TDBitmap picture;
    picture.SetSize(4000, 3000, clBlack);
    picture.Gradient(nullptr, 0, ef16, {RGBColor(250, 200, 20), RGBColor(20, 60, 240), 0, 0}, 0);
    std::mt19937 random(3);
    for (int y = 0; y < 3000; ++y)
      for (int x = 0; x < 4000; ++x)
        *picture.PixelAddress(x, y) ^= random() & 0x070707;
    if (std::string(Extension) == "bmp") {
      // A 32-bit BMP, which the direct reader reads straight into the rows.
      std::vector<std::uint8_t> file(54 + std::size_t(4000) * 3000 * 4);
      const auto put = [&](std::size_t At, std::uint32_t Value) {
        std::memcpy(file.data() + At, &Value, 4);
      };
      file[0] = 'B';
      file[1] = 'M';
      put(2, static_cast<std::uint32_t>(file.size()));
      put(10, 54);
      put(14, 40);
      put(18, 4000);
      put(22, 3000);
      put(26, 1 | 32 << 16);
      put(34, static_cast<std::uint32_t>(file.size() - 54));
      for (int i = 0; i < 3000; ++i)
        std::memcpy(file.data() + 54 + std::size_t(i) * 16000, picture.PixelAddress(0, 2999 - i),
                    16000);
      std::FILE* out = std::fopen(name.c_str(), "wb");
      std::fwrite(file.data(), 1, file.size(), out);
      std::fclose(out);
    } else if (!picture.SaveToFile(name)) {
      std::fprintf(stderr, "bench_bitmap: cannot write %s\n", name.c_str());
      std::exit(1);
    }
  }
  return name;
}

void RemovePictures() {
  for (const char* extension : {"bmp", "png", "jpg"})
    std::filesystem::remove(PictureName(extension));
}

void LoadCase(benchmark::State& State, const char* Extension) {
  const std::string& name = Picture(Extension);
  TDBitmap bitmap;
  for (auto _ : State) {
    if (!bitmap.LoadFromFile(name))
      State.SkipWithError("cannot load");
  }
  Pixels(State, 4000 * 3000);
}

void QtLoadCase(benchmark::State& State, const char* Extension) {
  const QString name = QString::fromStdString(Picture(Extension));
  QImage image;
  for (auto _ : State) {
    if (!image.load(name))
      State.SkipWithError("cannot load");
  }
  Pixels(State, 4000 * 3000);
}

void TDBitmap_Load_4000x3000_bmp32(benchmark::State& State) {
  LoadCase(State, "bmp");
}
void Qt_Load_4000x3000_bmp32(benchmark::State& State) {
  QtLoadCase(State, "bmp");
}
void TDBitmap_Load_4000x3000_png(benchmark::State& State) {
  LoadCase(State, "png");
}
void Qt_Load_4000x3000_png(benchmark::State& State) {
  QtLoadCase(State, "png");
}
void TDBitmap_Load_4000x3000_jpg(benchmark::State& State) {
  LoadCase(State, "jpg");
}
void Qt_Load_4000x3000_jpg(benchmark::State& State) {
  QtLoadCase(State, "jpg");
}

// Prints, per case, each side's time and TDBitmap's speed-up against each peer.
class TBitmapReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& run : Runs) {
      // With repetitions, the median stands for the case.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred)
        continue;
      const std::string name = run.benchmark_name();
      const std::size_t split = name.find('_');
      const std::string side = name.substr(0, split);
      std::string key = name.substr(split + 1);
      if (median)
        key.resize(key.size() - run.aggregate_name.size() - 1);
      if (!Times_.count(key))
        Order_.push_back(key);
      if (median || !Medians_[key].count(side))
        Times_[key][side] = run.GetAdjustedRealTime(); // in the unit of the case: ms
      if (median)
        Medians_[key].insert(side);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-22s %10s %10s %10s %10s   %s\n", "case (ms)", "TDBitmap", "pixman", "Qt",
                "memcpy", "TDBitmap speed-up");
    const double limit = Times_.count("Buffer") ? Times_["Buffer"]["Memcpy"] : 0;
    for (const std::string& key : Order_) {
      auto& times = Times_[key];
      const auto cell = [&](const char* Side) { return times.count(Side) ? times[Side] : 0.0; };
      if (key == "Buffer") {
        std::printf("%-22s %10s %10s %10s %10.3f\n", "memcpy of the buffer", "", "", "", limit);
        continue;
      }
      std::printf("%-22s %10.3f %10.3f %10.3f %10s  ", key.c_str(), cell("TDBitmap"),
                  cell("pixman"), cell("Qt"), "");
      for (const char* peer : {"pixman", "Qt"})
        if (times.count(peer) && cell("TDBitmap") > 0)
          std::printf(" %s %.2fx", peer, cell(peer) / cell("TDBitmap"));
      std::printf("\n");
    }
  }

 private:
  std::vector<std::string> Order_;
  std::map<std::string, std::map<std::string, double>> Times_;
  std::map<std::string, std::set<std::string>> Medians_;
};

} // namespace

BENCHMARK(Memcpy_Buffer)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Bar_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Bar_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Bar_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Bar_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Bar_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Bar_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Bar_efAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Bar_efAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Bar_efAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_DrawBitmap_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_DrawBitmap_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_DrawBitmap_ef16)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_DrawBitmap_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_DrawBitmap_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_DrawBitmap_ef08)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Gradient_style12)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Gradient_style12)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Gradient_style12)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Resize_960x540)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Resize_960x540)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Resize_960x540)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Resize_1280x720)->Unit(benchmark::kMillisecond);
BENCHMARK(pixman_Resize_1280x720)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Resize_1280x720)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_RotateDraw_30deg)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_RotateDraw_30deg)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Load_4000x3000_bmp32)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Load_4000x3000_bmp32)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Load_4000x3000_png)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Load_4000x3000_png)->Unit(benchmark::kMillisecond);
BENCHMARK(TDBitmap_Load_4000x3000_jpg)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Load_4000x3000_jpg)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  TFrameworkScope framework;
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TBitmapReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  RemovePictures();
  return 0;
}
