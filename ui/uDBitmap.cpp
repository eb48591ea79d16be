#include "ui/uDBitmap.h"

#include "env/uFileFilters.h"
#include "platform/uExceptions.h"
#include "report/uMsg.h"
#include "text/uStrings.h"
#include "ui/uPictureLimits.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <utility>

const std::string_view GraphicStyleNames[GraphicStyleCount] = {
    "gsNone",  "gsSolid",     "gsHorizontal", "gsVertical",  "gsFDiagonal", "gsBDiagonal",
    "gsCross", "gsDiagCross", "gsGradient",   "gsGenerated", "gsTexture",
};

const std::string_view GradientStyleNames[GradientStyleCount] = {
    "Spectrum",
    "Spectrum - Rotated",
    "Triangle",
    "Triangle - Rotated",
    "Linear (C012)",
    "Linear - Rotated (C012)",
    "Custom Linear (C012)",
    "Custom Linear -  Rotated (C012)",
    "Random Lines (C0)",
    "Random (C0)",
    "Fade (C01)",
    "Fade - Rotated (C23)",
    "Fade 2x (C0123)",
    "Fade IO (C01)",
    "Fade IO - Rotated (C23)",
    "Fade 2x (C0123)",
    "None (C0)",
};

const std::string_view PictureExtensions[PictureTypeCount] = {
    "bmp", "jpg", "jpeg", "jfif", "gif", "png", "ppm", "tga", "tif", "tiff",
};

const std::string_view PictureDescriptions[PictureTypeCount] = {
    "Windows or OS/2 Bitmaps",
    "JPEG Compilant",
    "JPEG Compilant",
    "JFIF Compilant",
    "Graphics Interchange Format",
    "Portable Network Graphics",
    "Portable Pixelmap",
    "Truevision Targa Graphic",
    "Tag Image File Format",
    "Tag Image File Format",
};

const std::string_view TextureExtensions[TextureExtensionCount] = {
    "png", "gif", "jpg", "jpeg", "ico",
};

const std::vector<std::string>& GraphicStyleCaptions() {
  static const std::vector<std::string> captions = EnumCaptions(GraphicStyleNames);
  return captions;
}

const std::string& PictureFilter() {
  static const std::string filter = MakeFilterList(
      TArrayOfString(std::begin(PictureExtensions), std::end(PictureExtensions)),
      TArrayOfString(std::begin(PictureDescriptions), std::end(PictureDescriptions)));
  return filter;
}

TDBitmap::TDBitmap() = default;

TDBitmap::~TDBitmap() {
  SetSize(0, 0, clNone);
}

bool TDBitmap::Allocate(std::int32_t NewWidth, std::int32_t NewHeight) {
  Image_ = QImage();
  Width_ = Height_ = 0;
  RowSize_ = 0;
  TopRow_ = nullptr;
  bool allocated = true;
  try {
    Image_ = NewWidth > 0 && NewHeight > 0 ? QImage(NewWidth, NewHeight, QImage::Format_RGB32)
                                           : QImage();
    if (NewWidth > 0 && NewHeight > 0 && Image_.isNull())
      throw Exception("Out of memory.");
  } catch (const std::exception& error) {
    // A failed size leaves the bitmap empty, so that no routine addresses memory it lacks.
    Image_ = QImage();
    ReportException(error, this);
    allocated = false;
  }
  if (!Image_.isNull()) {
    Width_ = NewWidth;
    Height_ = NewHeight;
    RowSize_ = static_cast<std::uint32_t>(Image_.bytesPerLine());
    TopRow_ = Image_.bits();
  }
  ResetClip();
  return allocated;
}

void TDBitmap::Adopt(QImage&& Picture) {
  Image_ = std::move(Picture);
  if (Image_.format() != QImage::Format_RGB32)
    Image_ = Image_.convertToFormat(QImage::Format_RGB32);
  Width_ = Image_.isNull() ? 0 : Image_.width();
  Height_ = Image_.isNull() ? 0 : Image_.height();
  RowSize_ = Image_.isNull() ? 0 : static_cast<std::uint32_t>(Image_.bytesPerLine());
  TopRow_ = Image_.isNull() ? nullptr : Image_.bits();
  ResetClip();
}

QImage TDBitmap::TakeImage() noexcept {
  QImage picture = std::move(Image_);
  Image_ = QImage();
  Width_ = Height_ = 0;
  RowSize_ = 0;
  TopRow_ = nullptr;
  ResetClip();
  return picture;
}

void TDBitmap::SetSize(std::int32_t NewWidth, std::int32_t NewHeight, TColor FillColor) {
  NewWidth = std::clamp(NewWidth, 0, MaxWidth);
  NewHeight = std::clamp(NewHeight, 0, MaxHeight);
  if (NewWidth == Width_ && NewHeight == Height_)
    return;
  BrushColor_ = FillColor;
  if (!Allocate(NewWidth, NewHeight) || Empty())
    return;
  const TPixel fill = FillColor == clNone ? 0 : ColorToPixel(FillColor);
  for (std::int32_t y = 0; y < Height_; ++y) {
    TPixel* row = PixelAddress(0, y);
    std::fill(row, row + Width_, fill);
  }
}

void TDBitmap::SetClipRect(const TRect& Rect) noexcept {
  ClipRect_.Left = std::max(std::min(Rect.Left, Rect.Right), 0);
  ClipRect_.Top = std::max(std::min(Rect.Top, Rect.Bottom), 0);
  ClipRect_.Right = std::min(std::max(Rect.Left, Rect.Right), Width_ - 1);
  ClipRect_.Bottom = std::min(std::max(Rect.Top, Rect.Bottom), Height_ - 1);
}

void TDBitmap::ResetClip() noexcept {
  ClipRect_ = {0, 0, Width_ - 1, Height_ - 1};
}

void TDBitmap::SetPixel(std::int32_t X, std::int32_t Y, TEffect Effect, TPixel Pixel) noexcept {
  if (X < ClipRect_.Left || X > ClipRect_.Right || Y < ClipRect_.Top || Y > ClipRect_.Bottom)
    return;
  TPixel* target = PixelAddress(X, Y);
  BlendRun(Effect, &Pixel, target, target + 1);
}

namespace {

constexpr TPixel SwapFirstAndThird(TPixel Pixel) noexcept {
  return (Pixel & 0xFF00FF00u) | ((Pixel >> 16) & 0xFF) | ((Pixel & 0xFF) << 16);
}

} // namespace

TPixel TDBitmap::ColorToPixel(TColor Color) const noexcept {
  const auto rgb = static_cast<TPixel>(ColorToRGB(Color));
  return OpenGL ? rgb : SwapFirstAndThird(rgb);
}

TColor TDBitmap::PixelToColor(TPixel Pixel) const noexcept {
  const TPixel colour = Pixel & PixelColorMask;
  return static_cast<TColor>(OpenGL ? colour : SwapFirstAndThird(colour));
}

void TDBitmap::SwapRedBlue() noexcept {
  if (Empty() || ClipRect_.Top > ClipRect_.Bottom)
    return;
  for (std::int32_t y = ClipRect_.Top; y <= ClipRect_.Bottom; ++y) {
    TPixel* row = PixelAddress(0, y);
    for (std::int32_t x = 0; x < Width_; ++x)
      row[x] = SwapFirstAndThird(row[x]);
  }
}

void TDBitmap::DetectTransparentColor() {
  TColor result = clNone;
  if (Width_ > 1 && Height_ > 1) {
    struct TCount {
      TPixel Value;
      int Count;
    };
    TCount counts[12];
    int used = 0;
    const auto add = [&](std::int32_t X, std::int32_t Y) {
      // Pixels count by their colour bytes; the fourth byte is not part of the colour.
      const TPixel value = GetPixel(X, Y) & PixelColorMask;
      for (int i = 0; i < used; ++i)
        if (counts[i].Value == value) {
          ++counts[i].Count;
          return;
        }
      counts[used++] = {value, 1};
    };
    // The value with the highest count; a tie at the highest count gives none.
    const auto decide = [&]() -> TColor {
      int best = -1, bestCount = 0;
      bool tie = false;
      for (int i = 0; i < used; ++i) {
        if (counts[i].Count > bestCount) {
          best = i;
          bestCount = counts[i].Count;
          tie = false;
        } else if (counts[i].Count == bestCount) {
          tie = true;
        }
      }
      if (best < 0 || tie)
        return clNone;
      return static_cast<TColor>(SwapFirstAndThird(counts[best].Value));
    };
    const std::int32_t w = Width_, h = Height_;
    add(0, 0);
    add(w - 1, 0);
    add(w - 1, h - 1);
    add(0, h - 1);
    if (h < 3) {
      result = decide();
    } else {
      add(0, h - 2);
      add(w - 1, h - 2);
      add(w - 2, 0);
      add(w - 2, h - 1);
      result = decide();
      if (result == clNone) {
        add(0, 1);
        add(w - 1, 1);
        add(1, 0);
        add(1, h - 1);
        result = decide();
      }
    }
  }
  TransparentColor = result;
  Transparent = result != clNone;
}

void TDBitmap::CopyFrom(const TDBitmap* Source) {
  if (!Source || Source == this)
    return;
  if (Source->Width_ != Width_ || Source->Height_ != Height_)
    SetSize(Source->Width_, Source->Height_, clNone);
  if (!Empty() && Source->Width_ == Width_ && Source->Height_ == Height_)
    std::memcpy(TopRow_, Source->TopRow_, static_cast<std::size_t>(RowSize_) * Height_);
  Transparent = Source->Transparent;
  TransparentColor = Source->TransparentColor;
}

void TDBitmap::AssignFromBitmap(const QImage* Source) {
  if (!Source)
    return;
  if (Source->isNull()) {
    Clear();
  } else {
    // A copy, so that writing to the pixels never touches the caller's picture.
    QImage copy = Source->convertToFormat(QImage::Format_RGB32);
    copy.detach();
    Adopt(std::move(copy));
  }
  Transparent = false;
  TransparentColor = clNone;
}

QImage TDBitmap::CopyToBitmap() const {
  if (Empty())
    return QImage();
  QImage target = Image_.copy();
  if (OpenGL)
    target = target.rgbSwapped();
  if (!Transparent || TransparentColor == clNone)
    return target;
  target = target.convertToFormat(QImage::Format_ARGB32);
  const auto key =
      static_cast<QRgb>(SwapFirstAndThird(static_cast<TPixel>(ColorToRGB(TransparentColor))));
  for (int y = 0; y < target.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int x = 0; x < target.width(); ++x)
      if ((row[x] & PixelColorMask) == key)
        row[x] = 0;
  }
  return target;
}

void TDBitmap::Paint(const std::function<void(QPainter&)>& Draw) {
  if (Empty() || !Draw)
    return;
  // A painter on a picture that was shared gives the bitmap memory of its own.
  try {
    QPainter painter(&Image_);
    Draw(painter);
  } catch (...) {
    TopRow_ = Image_.bits();
    throw;
  }
  TopRow_ = Image_.bits();
}

void TDBitmap::DrawTo(QPainter& Painter, int X, int Y) const {
  if (Empty())
    return;
  if (OpenGL)
    Painter.drawImage(X, Y, Image_.rgbSwapped());
  else
    Painter.drawImage(X, Y, Image_);
}
