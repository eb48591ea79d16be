#pragma once

// The text routines of the framework's buttons and labels, on a QPainter. Texts may hold
// accelerator marks: "&x" draws x underlined, "&&" draws one "&", and widths are measured without
// the marks. The painter's font, pen colour (the font colour) and background mode and brush (the
// text's own background) are the caller's.

#include <QString>
#include <QStringList>

class QFontMetrics;
class QPainter;
class QRect;
class QWidget;

// Text without accelerator marks: each "&" is dropped, but one directly after a dropped one stays.
QString DropAmpersands(const QString& Text);
// The width of Text without its accelerator marks.
int TextWidth(const QFontMetrics& Metrics, const QString& Text);

// Text when its width fits MaxWidth; otherwise the longest beginning of it that fits with "..."
// appended; when even "..." does not fit, "..." shortened from the end until it fits.
QString ShortenText(const QPainter& Canvas, const QString& Text, int MaxWidth);
// The depth of a caption's shadow for the painter's font: its height in pixels / 20, rounded.
int TextShadowDepth(const QPainter& Canvas);

// Draws Text as one line at the top of Rect, shortened to the rectangle's width less the shadow
// depth, aligned left (Alignment 0), right (1) or centred (any other value). With a shadow depth
// d the text is first drawn in grey (0x808080) without background at the offsets (k, k) for
// k = d, d - 1, ... 1 (or d, d + 1, ... -1 for a negative d), then at (0, 0) with the painter's
// pen and background; a negative depth puts the text |d| further right, so that the shadow stays
// inside the line's width. Nothing is clipped. True when the text had to be shortened.
bool DrawTextLine(QPainter& Canvas, const QRect& Rect, const QString& Text, int Alignment,
                  int ShadowDepth);

// The lines DrawTextRect draws: Text split at every line break (CR, LF or CR LF) and, with
// WordWrap, where a line grows wider than Width: at its last blank within the part that fits
// (the blank is dropped), or before the first character that does not fit when there is no
// blank. Wrapping stops once MaxLines lines have been made (none below 1); the rest of a
// paragraph stays on its last line.
QStringList TextLines(const QFontMetrics& Metrics, const QString& Text, int Width, bool WordWrap,
                      int MaxLines);

// Draws Text in Rect line by line with DrawTextLine, each line as high as the font's line
// height, the lines stacked from the top (Layout 0), from the bottom (2) or centred (any other
// value). Word wrapping makes at most (height of Rect div line height) - 1 lines, and none for a
// rectangle lower than two lines. True when any line was shortened.
bool DrawTextRect(QPainter& Canvas, const QRect& Rect, int Alignment, int ShadowDepth,
                  bool WordWrap, const QString& Text, int Layout);

// Places the visible controls among Controls[0 ... LastIndex] as a row of dialog buttons whose
// right end is at Right and bottom at Bottom: from the last one leftward, the n-th visible one
// (counting from 1) at Left = Right - 84 n, Top = Bottom - 32, 76 x 24 pixels. Null entries and
// indexes outside the list are skipped.
void ArrangeDialogButtons(const QList<QWidget*>& Controls, int LastIndex, int Right, int Bottom);
