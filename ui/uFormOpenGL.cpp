#include "ui/uFormOpenGL.h"

#include <QOpenGLFunctions_1_4>

#include <QFont>
#include <QFontMetrics>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLVersionFunctionsFactory>
#include <QPainter>
#include <QSurfaceFormat>
#include <vector>

namespace {

constexpr int GlyphCount = 256;

// The names of the imaging subset's switches, which only contexts with GL_ARB_imaging know.
constexpr GLenum Convolution1D = 0x8010;
constexpr GLenum Convolution2D = 0x8011;
constexpr GLenum Separable2D = 0x8012;
constexpr GLenum Histogram = 0x8024;
constexpr GLenum MinMax = 0x802E;

// A glyph as glBitmap wants it: rows from the bottom up, one bit a pixel, the leftmost pixel in
// the highest bit, rows padded to whole bytes.
struct TGlyph {
  int Width = 0;
  int Height = 0;
  int Advance = 0;
  std::vector<GLubyte> Bits;
};

TGlyph RenderGlyph(const QFont& Font, const QFontMetrics& Metrics, QChar Character) {
  TGlyph glyph;
  glyph.Advance = Metrics.horizontalAdvance(Character);
  glyph.Width = std::max(1, Metrics.boundingRect(Character).right() + 1);
  glyph.Width = std::max(glyph.Width, glyph.Advance);
  glyph.Height = std::max(1, Metrics.height());
  QImage picture(glyph.Width, glyph.Height, QImage::Format_Grayscale8);
  picture.fill(0);
  {
    QPainter painter(&picture);
    painter.setFont(Font);
    painter.setPen(Qt::white);
    painter.drawText(0, Metrics.ascent(), QString(Character));
  }
  const int rowBytes = (glyph.Width + 7) / 8;
  glyph.Bits.assign(static_cast<std::size_t>(rowBytes) * glyph.Height, 0);
  for (int y = 0; y < glyph.Height; ++y) {
    const uchar* source = picture.constScanLine(glyph.Height - 1 - y);
    GLubyte* target = &glyph.Bits[static_cast<std::size_t>(y) * rowBytes];
    for (int x = 0; x < glyph.Width; ++x)
      if (source[x] >= 128)
        target[x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
  }
  return glyph;
}

} // namespace

TFormOpenGL::TFormOpenGL() = default;

std::unique_ptr<TFormOpenGL> TFormOpenGL::Create(const QFont& Font) {
  std::unique_ptr<TFormOpenGL> gl(new TFormOpenGL);
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setAlphaBufferSize(8);
  format.setDepthBufferSize(24);
  format.setStencilBufferSize(0);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  gl->Context_ = std::make_unique<QOpenGLContext>();
  gl->Context_->setFormat(format);
  if (!gl->Context_->create())
    return nullptr;
  gl->Surface_ = std::make_unique<QOffscreenSurface>();
  gl->Surface_->setFormat(gl->Context_->format());
  gl->Surface_->create();
  if (!gl->Surface_->isValid() || !gl->Context_->makeCurrent(gl->Surface_.get()))
    return nullptr;
  gl->Functions_ = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_4>(gl->Context_.get());
  const bool ready =
      gl->Functions_ && gl->Functions_->initializeOpenGLFunctions() && gl->BuildFontLists(Font);
  gl->Imaging_ = gl->Context_->hasExtension("GL_ARB_imaging");
  gl->Context_->doneCurrent();
  if (!ready)
    return nullptr;
  return gl;
}

TFormOpenGL::~TFormOpenGL() {
  if (!Context_ || !Surface_ || !Context_->makeCurrent(Surface_.get()))
    return;
  if (FontListBase_ != 0 && Functions_)
    Functions_->glDeleteLists(FontListBase_, GlyphCount);
  // The framebuffer's objects belong to the context: it goes while the context is current.
  Frame_.reset();
  Context_->doneCurrent();
}

bool TFormOpenGL::BuildFontLists(const QFont& Font) {
  FontListBase_ = Functions_->glGenLists(GlyphCount);
  if (FontListBase_ == 0)
    return false;
  const QFontMetrics metrics(Font);
  Functions_->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int c = 0; c < GlyphCount; ++c) {
    const TGlyph glyph = RenderGlyph(Font, metrics, QChar(c));
    Functions_->glNewList(FontListBase_ + static_cast<GLuint>(c), GL_COMPILE);
    Functions_->glBitmap(glyph.Width, glyph.Height, 0, static_cast<GLfloat>(metrics.descent()),
                         static_cast<GLfloat>(glyph.Advance), 0, glyph.Bits.data());
    Functions_->glEndList();
  }
  return true;
}

bool TFormOpenGL::Begin(int Width, int Height) {
  Begun_ = false;
  if (Width < 1 || Height < 1 || !Context_->makeCurrent(Surface_.get()))
    return false;
  if (!Frame_ || Frame_->width() != Width || Frame_->height() != Height) {
    Frame_.reset();
    Frame_ =
        std::make_unique<QOpenGLFramebufferObject>(Width, Height, QOpenGLFramebufferObject::Depth);
  }
  if (!Frame_->isValid() || !Frame_->bind()) {
    Frame_.reset();
    Context_->doneCurrent();
    return false;
  }
  Height_ = Height;
  Functions_->glViewport(0, 0, Width, Height);
  Functions_->glMatrixMode(GL_PROJECTION);
  Functions_->glLoadIdentity();
  Functions_->glOrtho(0, Width, 0, Height, -1, 1);
  Functions_->glMatrixMode(GL_MODELVIEW);
  Functions_->glLoadIdentity();
  Begun_ = true;
  return true;
}

QImage TFormOpenGL::End() {
  if (!Begun_)
    return QImage();
  Begun_ = false;
  QImage frame(Frame_->width(), Frame_->height(), QImage::Format_RGBX8888);
  Functions_->glPixelStorei(GL_PACK_ALIGNMENT, 4);
  Functions_->glReadPixels(0, 0, frame.width(), frame.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                           frame.bits());
  Frame_->release();
  Context_->doneCurrent();
  // OpenGL counts rows from the bottom; the alpha bytes are not part of the picture.
  return frame.mirrored();
}

void TFormOpenGL::TextOut(int X, int Y, std::string_view Text) {
  if (!Begun_ || Text.empty())
    return;
  Functions_->glWindowPos2i(X, Height_ - 1 - Y);
  Functions_->glListBase(FontListBase_);
  Functions_->glCallLists(static_cast<GLsizei>(Text.size()), GL_UNSIGNED_BYTE, Text.data());
}

void TFormOpenGL::DrawPixels(const std::uint8_t* TopRow, int Width, int Height, int RowBytes) {
  if (!Begun_ || !TopRow || Width < 1 || Height < 1)
    return;
  QOpenGLFunctions_1_4& f = *Functions_;
  f.glClear(GL_DEPTH_BUFFER_BIT);
  for (GLenum state : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LIGHTING,
                       GL_LOGIC_OP, GL_STENCIL_TEST, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D})
    f.glDisable(state);
  f.glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
  for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE})
    f.glPixelTransferf(scale, 1);
  for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS})
    f.glPixelTransferf(bias, 0);
  if (Imaging_)
    for (GLenum state : {Convolution1D, Convolution2D, Separable2D, Histogram, MinMax})
      f.glDisable(state);
  f.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  f.glPixelStorei(GL_UNPACK_ROW_LENGTH, RowBytes / 4);
  // The rows arrive top row first: drawn downward from the top edge.
  f.glWindowPos2i(0, Height_);
  f.glPixelZoom(1, -1);
  f.glDrawPixels(Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, TopRow);
  f.glPixelZoom(1, 1);
  f.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}
