#pragma once
// How text objects place their text: the fonts a stored design names and the
// ones drawn here, word wrap at an object's width, and the single-line layout
// with its shadow and highlight copies turned by the four angles. Plain
// functions over font metrics, so the rules are checked without widgets.

#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace qb::design {

// The font a design names, as drawn here: "Arial" and "Times New Roman" by the
// metric-compatible Liberation fonts, "WingDings" by a font with the symbols
// when no WingDings is installed (see symbolText).
QFont drawingFont(const QFont& designFont);
// True when text in this font must go through the WingDings character map.
bool needsSymbolMap(const QFont& designFont);
// WingDings codes 32 to 255 as the Unicode symbols they show; a code without a
// counterpart stays as it is.
QString symbolText(const QString& text);

// The lines of text broken at blanks so that each fits width pixels; a word
// wider than the width is split between characters. Line breaks in the text
// are kept, and so are empty lines.
QStringList wrapLines(const QStringList& lines, const QFontMetrics& metrics, int width);

// Height of one line as the text objects measure it: the font's internal and
// external leading plus its cell height.
int labelLineHeight(const QFont& font);

// One single-line text laid out in its box (pixels at the drawing zoom).
struct LabelLayoutInput {
    int angle = 0;            // 0, 90, 180 or 270
    int width = 0, height = 0;
    int lineHeight = 0;       // labelLineHeight
    int textWidth = 0;        // width of the text followed by one blank
    QPoint shadow;            // shadow offset (sdx, sdy)
    QPoint highlight;         // highlight offset (hdx, hdy)
    int alignment = 0;        // 0 left, 1 right, 2 centre (used at angle 0)
};

struct LabelLayout {
    int width = 0, height = 0;   // the box after fitting
    QPoint origin;               // (ox, oy): room for effects pointing left or up
    // Rectangles as (left, top, right, bottom) edges, right and bottom exclusive.
    QRect main, shadow, highlight;
    QPoint mainStart, shadowStart, highlightStart;
};

QPoint shadowOffset(int direction, int depth);     // TShadowDirection
QPoint highlightOffset(int direction, int depth);  // THighlightDirection
LabelLayout layoutLabel(const LabelLayoutInput& in);

// Edges helper: QRect from (left, top, right, bottom) with exclusive right and bottom.
inline QRect edges(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

} // namespace qb::design
