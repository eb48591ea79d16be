#pragma once

// TDBitmap, the framework's off-screen picture: 32 bits a pixel in a QImage of Format_RGB32,
// whose pixel memory the framework addresses directly, with its own clip rectangle, transparent
// colour and OpenGL byte order. Forms use one as their background, controls as their drawing
// surface; the drawing and effect routines work straight on its rows.
//
// Pixel layout: 4 bytes a pixel, blue, green, red and a fourth byte (red, green, blue with OpenGL
// set). Row 0 is the top row and lies at TopRow; row y + 1 lies RowSize bytes after row y. GLData
// is the start of the pixel memory, which OpenGL draws flipped (its rows go upward). The loaders
// write 0 into the fourth byte; colour conversion ignores it.
//
// Rectangles are inclusive. Every pixel routine stays inside the clip rectangle, which is always
// within the bitmap, and does nothing on an empty bitmap. Loading and saving report their failures
// and never raise; the drawing routines never raise.

#include "graphics/uColors.h"
#include "ui/uEffects.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

// An inclusive rectangle.
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;

  bool operator==(const TRect&) const = default;
};

// The kinds of fill a caller may choose for a surface.
enum TGraphicStyle : std::uint8_t {
  gsNone,
  gsSolid,
  gsHorizontal,
  gsVertical,
  gsFDiagonal,
  gsBDiagonal,
  gsCross,
  gsDiagCross,
  gsGradient,
  gsGenerated,
  gsTexture,
};
inline constexpr int GraphicStyleCount = gsTexture + 1;
extern const std::string_view GraphicStyleNames[GraphicStyleCount];
// The display names of the graphic styles ("None", "Solid", ..., "Diag Cross", ...), made from
// the value names on first use.
const std::vector<std::string>& GraphicStyleCaptions();

// The gradient styles of Gradient, by index, with their display names.
inline constexpr int GradientStyleCount = 17;
extern const std::string_view GradientStyleNames[GradientStyleCount];

// The picture files: extensions and descriptions in two parallel tables of ten rows ("tif" and
// "tiff" are only offered in the filter, never read or written), and the extensions tried for
// the form background texture, in order.
inline constexpr int PictureTypeCount = 10;
extern const std::string_view PictureExtensions[PictureTypeCount];
extern const std::string_view PictureDescriptions[PictureTypeCount];
inline constexpr int TextureExtensionCount = 5;
extern const std::string_view TextureExtensions[TextureExtensionCount];
// The file-dialog filter of the picture files (MakeFilterList of the two tables), made on first
// use.
const std::string& PictureFilter();

// Called before each row of a fill with (row * 1024 div height, row * 1024 mod height); true
// stops the fill.
using TProgress = std::function<bool(int Done, int Remainder)>;

// Asks for a whole number between Min and Max: the integer input dialog. True with Value set to
// the choice, false when the user cancels.
using TGetNumberFunction =
    std::function<bool(std::string_view Caption, std::int32_t& Value, std::int32_t Min,
                       std::int32_t Default, std::int32_t Max)>;
// Installs the function that asks for the JPEG quality and returns the one before; an empty
// function restores the built-in one, which accepts the current value (kept within Min ... Max)
// without asking.
TGetNumberFunction SetGetNumberFunction(TGetNumberFunction Function);

// The random numbers of the random gradient styles come from one generator; seeding it repeats
// the same fills.
void SetGradientSeed(std::uint32_t Seed) noexcept;

class TDBitmap {
 public:
  // An empty bitmap: 0 x 0, fill colour clNone.
  TDBitmap();
  ~TDBitmap();
  TDBitmap(const TDBitmap&) = delete;
  TDBitmap& operator=(const TDBitmap&) = delete;

  // The largest sizes SetSize takes.
  static constexpr std::int32_t MaxWidth = 0x20000000;
  static constexpr std::int32_t MaxHeight = 0x40000000;

  bool OpenGL = false;              // pixels in red, green, blue order
  bool Transparent = false;         // TransparentColor is transparent
  TColor TransparentColor = clNone; // the colour treated as transparent

  std::int32_t Width() const noexcept { return Width_; }
  std::int32_t Height() const noexcept { return Height_; }
  std::uint32_t RowSize() const noexcept { return RowSize_; }
  // Row 0; nullptr when empty.
  std::uint8_t* TopRow() const noexcept { return TopRow_; }
  // The start of the pixel memory; nullptr when empty.
  std::uint8_t* GLData() const noexcept { return TopRow_; }
  // The platform picture, for the screen. A copy of it shares the pixels with the bitmap until
  // one of them is changed through Qt; the bitmap's own routines write through to it, so keep
  // copies only for as long as they are drawn.
  const QImage& Image() const noexcept { return Image_; }
  // Paints on the bitmap through a QPainter, the canvas; the painter ends with the call.
  void Paint(const std::function<void(QPainter&)>& Draw);
  // The fill colour of the last SetSize that changed the size.
  TColor BrushColor() const noexcept { return BrushColor_; }

  // Sizes the bitmap: Width is kept within 0 ... MaxWidth, Height within 0 ... MaxHeight. The
  // same size again does nothing, not even the fill. Otherwise every pixel becomes FillColor
  // (clNone fills with 0) and the clip rectangle the whole bitmap. Memory that cannot be had is
  // reported through ReportException and leaves the bitmap empty.
  void SetSize(std::int32_t NewWidth, std::int32_t NewHeight, TColor FillColor = clNone);
  bool Empty() const noexcept { return Width_ < 1 || Height_ < 1; }
  // SetSize(0, 0).
  void Clear() { SetSize(0, 0, clNone); }

  // The clip rectangle becomes Rect (corners sorted) intersected with the bitmap; a rectangle
  // outside it leaves nothing to draw on.
  void SetClipRect(const TRect& Rect) noexcept;
  const TRect& GetClipRect() const noexcept { return ClipRect_; }
  // The whole bitmap.
  void ResetClip() noexcept;

  // The pixel (X, Y): its address and value, without bounds checks.
  TPixel* PixelAddress(std::int32_t X, std::int32_t Y) const noexcept {
    return reinterpret_cast<TPixel*>(TopRow_ + static_cast<std::ptrdiff_t>(Y) * RowSize_) + X;
  }
  TPixel GetPixel(std::int32_t X, std::int32_t Y) const noexcept { return *PixelAddress(X, Y); }
  // Combines the pixel value Pixel with (X, Y) through Effect, when (X, Y) is inside the clip
  // rectangle.
  void SetPixel(std::int32_t X, std::int32_t Y, TEffect Effect, TPixel Pixel) noexcept;

  // The pixel value of a colour in this bitmap's byte order, fourth byte 0 (system colours
  // resolved); and the colour of a pixel value. Each is the other's inverse.
  TPixel ColorToPixel(TColor Color) const noexcept;
  TColor PixelToColor(TPixel Pixel) const noexcept;

  // Exchanges the first and third byte of every pixel in the rows of the clip rectangle.
  void SwapRedBlue() noexcept;
  // Takes the most frequent colour among the border pixels as the transparent colour: corners
  // first, then the pixels next to them, until one colour leads; a tie, or a picture not wider
  // and higher than 1 pixel, gives clNone. Transparent := a colour was found.
  void DetectTransparentColor();

  // A copy of Source's pixels, size and transparency; nothing for nullptr.
  void CopyFrom(const TDBitmap* Source);
  // A copy of a platform picture; nothing for nullptr. A QImage has no transparent colour: the
  // copy is not transparent.
  void AssignFromBitmap(const QImage* Source);
  // The picture as a platform picture of Format_RGB32 (colours in the normal byte order); a
  // transparent bitmap gives Format_ARGB32 with its transparent pixels fully transparent.
  QImage CopyToBitmap() const;
  // Draws the whole bitmap at (X, Y).
  void DrawTo(QPainter& Painter, int X, int Y) const;

  // Loads a picture file: BMP, JPEG, GIF, PNG, PPM, TGA or ICO, by its extension. A missing file
  // asks Retry or Ignore; every failure is reported and gives false, the bitmap empty or partly
  // filled.
  [[nodiscard]] bool LoadFromFile(std::string_view FileName);
  // Loads a picture of the type Extension ("bmp", "jpg", ...) from Data. Raises Exception on a
  // picture it cannot read, with the reason.
  void LoadFromStreamExt(std::span<const std::uint8_t> Data, std::string_view Extension);
  // SaveToFileEx with Quality -90.
  [[nodiscard]] bool SaveToFile(std::string_view FileName);
  // Writes the picture in the format of the extension, replacing the file only when all is
  // written. JPEG quality: 0 means -90; -q uses q without asking; a positive Quality is offered
  // in the "JPEG Quality" question (1 ... 100, default 90), whose answer is stored back, and
  // nothing is written when it is cancelled. Failures are reported and give false.
  [[nodiscard]] bool SaveToFileEx(std::string_view FileName, std::int32_t& Quality);
  // The file content of the picture in the format of Extension, as SaveToFileEx writes it
  // (JPEG quality as there). False, with nothing reported, for an unknown extension or a
  // cancelled question; raises Exception when encoding fails.
  [[nodiscard]] bool SaveToStreamExt(std::vector<std::uint8_t>& Data, std::string_view Extension,
                       std::int32_t& Quality) const;

  // Drawing. Colours are colour numbers; every routine clips to the clip rectangle.

  // A line from (X1, Y1) to (X2, Y2), both ends included.
  void DrawLine(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color,
                TEffect Effect);
  // The outline of a rectangle, every pixel once; nothing when X1 = X2 or Y1 = Y2.
  void Border(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color,
              TEffect Effect);
  // Count nested frames, light top and left, dark bottom and right, the two other corners in the
  // mean of both colours. The whole-bitmap form draws only when Count is below both sides.
  void Border3D(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor TopLeft,
                TColor BottomRight, std::int32_t Count, TEffect Effect);
  void Border3D(TColor TopLeft, TColor BottomRight, std::int32_t Count, TEffect Effect);
  // A filled rectangle; nothing for ef00 or clNone. Pixels of the transparent colour stay when
  // the bitmap is Transparent. The alpha levels truncate.
  void Bar(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color,
           TEffect Effect);
  void Bar(const TRect& Rect, TColor Color, TEffect Effect);
  void Bar(TColor Color, TEffect Effect);
  // Draws SourceRect of Source with its top-left corner at (X, Y); a transparent source leaves
  // its transparent pixels out. Source may be this bitmap.
  void DrawBitmap(std::int32_t X, std::int32_t Y, const TDBitmap& Source, const TRect& SourceRect,
                  TEffect Effect);
  void DrawBitmap(std::int32_t X, std::int32_t Y, const TDBitmap& Source, TEffect Effect);
  // Covers Rect with copies of Source on a grid anchored at the bitmap's origin; the clip
  // rectangle is put back afterwards. Nothing for an empty source.
  void Tile(const TDBitmap& Source, const TRect& Rect, TEffect Effect);
  void Tile(const TDBitmap& Source, TEffect Effect);
  // Fills Rect in one of the 17 gradient styles with the colours C0 ... C3 (see
  // GradientStyleNames); Offset shifts the pattern, Progress may stop the fill between rows.
  // Pixels of the transparent colour stay when the bitmap is Transparent.
  void Gradient(const TRect& Rect, const TProgress& Progress, std::int32_t Offset, TEffect Effect,
                const std::array<TColor, 4>& Colors, int Style);
  void Gradient(const TProgress& Progress, std::int32_t Offset, TEffect Effect,
                const std::array<TColor, 4>& Colors, int Style);
  // The form background: style 12 from Lighter(Color) to Darker(Color) over the whole bitmap,
  // then the texture "Form" from GraphDir (png, gif, jpg, jpeg or ico), if there is one, tiled
  // over it at 25 %.
  void BackgroundTexture(TColor Color);

  // Draws Source turned about (CenterX, CenterY); angles in 1/1024 of a turn. Modes:
  //   0 rotation by Angle
  //   1 mirrored left to right, then rotated
  //   2 mirrored top to bottom, then rotated
  //   3 mirrored on the diagonal (rows become columns), then rotated
  //   4 rows shifted sideways by sin(Angle) of their distance from the centre (skew)
  //   5 columns shifted up or down by sin(Angle) (skew)
  //   6 width scaled by cos(Angle), which turns the picture over about its vertical axis
  //   7 height scaled by cos(Angle), turning it over about its horizontal axis
  //   8 a fixed quarter turn
  //   9 a fixed half turn
  //  10 a fixed three-quarter turn
  //  11 mode 4 mirrored left to right
  //  12 mode 5 mirrored top to bottom
  //  13 both sides scaled by cos(Angle)
  //  14 mirrored on the other diagonal, then rotated
  // Any other mode draws nothing.
  void RotateDraw(std::int32_t CenterX, std::int32_t CenterY, const TDBitmap& Source,
                  std::int32_t Angle, int Mode, TEffect Effect);
  // The same about the bitmap's centre, with the whole source.
  void RotateDraw(const TDBitmap& Source, std::int32_t Angle, int Mode, TEffect Effect);
  // Maps every pixel of SourceRect (limited to Source) to
  //   x = H * sin(Angle4) + F * sin(Angle2) + CenterX,  y = H * sin(Angle3) + F * sin(Angle1) +
  //   CenterY,
  // where H and F are the pixel's distances from the rectangle's centre, rounded to the nearest
  // pixel. Transparent source pixels and pixels outside the clip rectangle are skipped. Drawing
  // a bitmap onto itself first makes a new picture filled with 0x800080.
  void TransformDraw(std::int32_t CenterX, std::int32_t CenterY, TEffect Effect,
                     std::int32_t Angle1, std::int32_t Angle2, std::int32_t Angle3,
                     std::int32_t Angle4, const TRect& SourceRect, const TDBitmap& Source);
  // Makes this bitmap NewWidth x NewHeight from Source (nullptr: this bitmap) by area averaging:
  // each pixel the mean of the source pixels it covers, weighted by the area covered, rounded.
  // With a transparent colour, a pixel at least half covered by transparent pixels becomes the
  // transparent colour, any other the mean of its opaque pixels. Nothing happens for a new size
  // of 0 or an empty source; the same size copies.
  void Resize(std::int32_t NewWidth, std::int32_t NewHeight, const TProgress& Progress,
              const TDBitmap* Source);

 private:
  // Makes the bitmap NewWidth x NewHeight without filling it; false (reported) when the memory
  // cannot be had.
  [[nodiscard]] bool Allocate(std::int32_t NewWidth, std::int32_t NewHeight);
  // The transparent colour as a pixel value of this bitmap.
  TPixel TransparentPixel() const noexcept { return ColorToPixel(TransparentColor); }
  // A row or column of pixels from the first to the second coordinate (in either order),
  // clipped; the kernel of Effect.
  void HorizontalSpan(std::int64_t X1, std::int64_t X2, std::int64_t Y, TPixel Pixel,
                      TEffect Effect) noexcept;
  void VerticalSpan(std::int64_t X, std::int64_t Y1, std::int64_t Y2, TPixel Pixel,
                    TEffect Effect) noexcept;
  // The direct reader of uncompressed BMP files: 1 when loaded, 0 when a failure was reported,
  // -1 for a variant it leaves to the platform reader.
  [[nodiscard]] int LoadBMPDirect(std::string_view FileName);
  // Takes Picture (Format_RGB32) as the bitmap's pixels.
  void Adopt(QImage&& Picture);
  // Gives the pixels away and leaves the bitmap empty.
  QImage TakeImage() noexcept;

  QImage Image_;
  std::int32_t Width_ = 0;
  std::int32_t Height_ = 0;
  std::uint32_t RowSize_ = 0;
  std::uint8_t* TopRow_ = nullptr;
  TRect ClipRect_;
  TColor BrushColor_ = clNone;
};

// Frees the form background texture; part of the framework's shut-down.
void FinalizeDBitmap();
