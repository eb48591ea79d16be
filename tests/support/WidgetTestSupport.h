#pragma once

// Helpers of the widget tests: the log lines collected while a test runs, the global texture
// option set for a scope, and colours read from pictures and bitmaps as colour numbers.

#include "env/uCommon.h"
#include "graphics/uColors.h"
#include "report/uLog.h"
#include "ui/uDBitmap.h"

#include <QColor>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

// Collects the log lines ("Information: HideTaskBar" style: level number, ": ", line) while it
// lives, and removes the sink when it goes.
class TLogCapture {
 public:
  TLogCapture() { SetMainLog(std::make_unique<TSink>(Lines)); }
  ~TLogCapture() { SetMainLog(nullptr); }
  TLogCapture(const TLogCapture&) = delete;
  TLogCapture& operator=(const TLogCapture&) = delete;

  // How many lines read exactly Line.
  int Count(const std::string& Line) const {
    int count = 0;
    for (const std::string& line : Lines)
      count += line == Line;
    return count;
  }

  std::vector<std::string> Lines;

 private:
  class TSink : public TLog {
   public:
    explicit TSink(std::vector<std::string>& Lines) : Lines_(Lines) {}
    void Add(const std::string& Line, TMessageLevel) override { Lines_.push_back(Line); }

   private:
    std::vector<std::string>& Lines_;
  };
};

// Sets goWindowBackgroundTexture for its lifetime.
class TTextureOption {
 public:
  explicit TTextureOption(bool On) : Saved_(GlobalParams[goWindowBackgroundTexture].Bool) {
    GlobalParams[goWindowBackgroundTexture].Bool = On;
  }
  ~TTextureOption() { GlobalParams[goWindowBackgroundTexture].Bool = Saved_; }
  TTextureOption(const TTextureOption&) = delete;
  TTextureOption& operator=(const TTextureOption&) = delete;

 private:
  bool Saved_;
};

// The colour of a picture's pixel as a colour number.
inline TColor ColorAt(const QImage& Image, int X, int Y) {
  const QColor c = Image.pixelColor(X, Y);
  return RGBColor(c.red(), c.green(), c.blue());
}

// The colour of a bitmap's pixel as a colour number.
inline TColor ColorAt(const TDBitmap& Bitmap, int X, int Y) {
  return Bitmap.PixelToColor(Bitmap.GetPixel(X, Y));
}
