#include "ui/uCanvasText.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QString Ellipsis = QStringLiteral("...");
constexpr QRgb ShadowGrey = 0x808080;

// A beginning of Text that does not end in a lone accelerator mark, which would otherwise mark
// the first dot of the ellipsis.
QString CleanPrefix(const QString& Text, qsizetype Length) {
  QString prefix = Text.left(Length);
  qsizetype marks = 0;
  for (qsizetype i = prefix.size() - 1; i >= 0 && prefix[i] == QLatin1Char('&'); --i)
    ++marks;
  if (marks % 2 == 1)
    prefix.chop(1);
  return prefix;
}

} // namespace

QString DropAmpersands(const QString& Text) {
  QString result;
  result.reserve(Text.size());
  bool dropped = false;
  for (QChar c : Text) {
    if (c == QLatin1Char('&') && !dropped) {
      dropped = true;
      continue;
    }
    dropped = false;
    result += c;
  }
  return result;
}

int TextWidth(const QFontMetrics& Metrics, const QString& Text) {
  return Metrics.horizontalAdvance(DropAmpersands(Text));
}

QString ShortenText(const QPainter& Canvas, const QString& Text, int MaxWidth) {
  const QFontMetrics metrics = Canvas.fontMetrics();
  if (TextWidth(metrics, Text) <= MaxWidth)
    return Text;
  // The widths of the beginnings grow with their length: the longest that fits is searched.
  qsizetype fits = -1, low = 0, high = Text.size() - 1;
  while (low <= high) {
    const qsizetype middle = (low + high) / 2;
    if (TextWidth(metrics, CleanPrefix(Text, middle) + Ellipsis) <= MaxWidth) {
      fits = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (fits >= 0)
    return CleanPrefix(Text, fits) + Ellipsis;
  QString dots = Ellipsis;
  while (!dots.isEmpty() && metrics.horizontalAdvance(dots) > MaxWidth)
    dots.chop(1);
  return dots;
}

int TextShadowDepth(const QPainter& Canvas) {
  return static_cast<int>(std::lround(std::abs(QFontInfo(Canvas.font()).pixelSize()) / 20.0));
}

bool DrawTextLine(QPainter& Canvas, const QRect& Rect, const QString& Text, int Alignment,
                  int ShadowDepth) {
  const int extra = std::abs(ShadowDepth);
  const QString shown = ShortenText(Canvas, Text, Rect.width() - extra);
  const QFontMetrics metrics = Canvas.fontMetrics();
  const int width = TextWidth(metrics, shown) + extra;
  int x = Alignment == 0   ? Rect.left()
          : Alignment == 1 ? Rect.left() + Rect.width() - width
                           : Rect.left() + (Rect.width() - width) / 2;
  if (ShadowDepth < 0)
    x += extra;
  const int y = Rect.top();
  constexpr int flags =
      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip;
  const auto draw = [&](int Dx) {
    Canvas.drawText(QRect(x + Dx, y + Dx, width, metrics.height()), flags, shown);
  };
  if (ShadowDepth != 0) {
    Canvas.save();
    Canvas.setPen(QColor(ShadowGrey));
    Canvas.setBackgroundMode(Qt::TransparentMode);
    const int step = ShadowDepth > 0 ? -1 : 1;
    for (int k = ShadowDepth; k != 0; k += step)
      draw(k);
    Canvas.restore();
  }
  draw(0);
  return shown != Text;
}

QStringList TextLines(const QFontMetrics& Metrics, const QString& Text, int Width, bool WordWrap,
                      int MaxLines) {
  QString normalised = Text;
  normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QStringList paragraphs = normalised.split(QLatin1Char('\n'));
  QStringList lines;
  for (QString rest : paragraphs) {
    bool wrapped = false;
    while (WordWrap && static_cast<int>(lines.size()) < MaxLines &&
           TextWidth(Metrics, rest) > Width) {
      // The first character that does not fit.
      qsizetype over = 1;
      while (over < rest.size() && TextWidth(Metrics, rest.left(over + 1)) <= Width)
        ++over;
      if (TextWidth(Metrics, rest.left(over)) > Width)
        over = 0;
      const qsizetype blank = rest.left(over + 1).lastIndexOf(QLatin1Char(' '));
      if (blank > 0) {
        lines += rest.left(blank);
        rest = rest.mid(blank + 1);
      } else {
        // Always at least one character a line, so that wrapping ends.
        const qsizetype take = std::max<qsizetype>(1, over);
        lines += rest.left(take);
        rest = rest.mid(take);
      }
      wrapped = true;
    }
    // A paragraph that wrapping used up leaves no empty line behind.
    if (!wrapped || !rest.isEmpty())
      lines += rest;
  }
  return lines;
}

bool DrawTextRect(QPainter& Canvas, const QRect& Rect, int Alignment, int ShadowDepth,
                  bool WordWrap, const QString& Text, int Layout) {
  const QFontMetrics metrics = Canvas.fontMetrics();
  const int lineHeight = std::max(1, metrics.height());
  // A rectangle lower than a line leaves no line to wrap into, not a negative number of them.
  const int maxLines = std::max(0, Rect.height() / lineHeight - 1);
  const QStringList lines =
      TextLines(metrics, Text, Rect.width() - std::abs(ShadowDepth), WordWrap, maxLines);
  const int total = static_cast<int>(lines.size()) * lineHeight;
  const int top = Layout == 0   ? Rect.top()
                  : Layout == 2 ? Rect.top() + Rect.height() - total
                                : Rect.top() + (Rect.height() - total) / 2;
  bool shortened = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i)
    shortened |=
        DrawTextLine(Canvas, QRect(Rect.left(), top + i * lineHeight, Rect.width(), lineHeight),
                     lines[i], Alignment, ShadowDepth);
  return shortened;
}

void ArrangeDialogButtons(const QList<QWidget*>& Controls, int LastIndex, int Right, int Bottom) {
  int n = 0;
  for (int i = std::min<int>(LastIndex, static_cast<int>(Controls.size()) - 1); i >= 0; --i) {
    QWidget* control = Controls[i];
    if (!control || control->isHidden())
      continue;
    ++n;
    control->setGeometry(Right - 84 * n, Bottom - 32, 76, 24);
  }
}
