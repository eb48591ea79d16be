#pragma once

// The OpenGL context of a form background: a compatibility-profile context (display lists,
// glBitmap, glDrawPixels) on an offscreen surface, rendering into a framebuffer of the form's size.
// Each frame is read back as a picture that the form paints in one block, so the form stays an
// ordinary raster widget and the controls on it paint as usual. The context holds the glyphs of
// the form's font, characters 0 to 255 (Latin-1), in 256 display lists for text.
//
// Where the platform makes no OpenGL context (Qt's offscreen platform, a machine without a driver)
// Create gives nothing and the form falls back to a background without OpenGL.

#include <QImage>
#include <cstdint>
#include <memory>
#include <string_view>

class QFont;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QOpenGLFunctions_1_4;

class TFormOpenGL {
 public:
  // A context with the glyphs of Font, or nullptr when none can be made.
  static std::unique_ptr<TFormOpenGL> Create(const QFont& Font);
  // Deletes the glyph lists, the framebuffer and the context.
  ~TFormOpenGL();
  TFormOpenGL(const TFormOpenGL&) = delete;
  TFormOpenGL& operator=(const TFormOpenGL&) = delete;

  // Makes the context current on a framebuffer of Width x Height (made anew when the size
  // changed), with the viewport and an orthographic projection in pixels (origin bottom-left);
  // false when it cannot, and nothing is current then.
  [[nodiscard]] bool Begin(int Width, int Height);
  // Reads the frame drawn since Begin and releases the context: the frame, opaque, top row
  // first; a null picture when Begin did not succeed.
  QImage End();

  // The OpenGL functions, for drawing between Begin and End.
  QOpenGLFunctions_1_4* Functions() const noexcept { return Functions_; }
  // The first of the 256 glyph lists: list FontListBase() + c draws character c and moves the
  // raster position by its advance.
  std::uint32_t FontListBase() const noexcept { return FontListBase_; }
  // Draws Latin-1 text through the glyph lists, the left end of its baseline at (X, Y) in the
  // frame's coordinates counted from the top-left corner, in the current colour.
  void TextOut(int X, int Y, std::string_view Text);
  // Writes Width x Height pixels of 4 bytes in red, green, blue, alpha order, rows RowBytes apart
  // and the top row first, over the whole frame from its top-left corner. Tests, blending,
  // texturing, fog, lighting and the pixel transfer's maps, scales and biases are switched off
  // first, so that the bytes arrive unchanged.
  void DrawPixels(const std::uint8_t* TopRow, int Width, int Height, int RowBytes);

 private:
  TFormOpenGL();
  // Builds the 256 glyph lists of Font; false when the lists cannot be had.
  bool BuildFontLists(const QFont& Font);

  std::unique_ptr<QOpenGLContext> Context_;
  std::unique_ptr<QOffscreenSurface> Surface_;
  std::unique_ptr<QOpenGLFramebufferObject> Frame_;
  QOpenGLFunctions_1_4* Functions_ = nullptr; // owned by the context
  std::uint32_t FontListBase_ = 0;
  int Height_ = 0; // of the frame being drawn
  bool Begun_ = false;
  bool Imaging_ = false; // the context has the imaging subset (convolution, histogram, ...)
};
