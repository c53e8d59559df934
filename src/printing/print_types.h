#pragma once
// The vocabulary of print jobs: units, line height methods, tab cells and the
// error a job raises when it is used the wrong way round.

#include <QColor>
#include <QString>
#include <climits>
#include <stdexcept>

namespace qb {

enum class Units { unInch, unMM, unCM, unPoint, unUser };
enum class LineHeightMethod { lhmLinesPerInch, lhmFont, lhmUser };
enum class Orientation { poPortrait, poLandScape, poDefault };
enum class TextBKMode { bkTransparent, bkOpaque };
enum class StreamMode { smMemory, smFile, smUser, smTempFile };
enum class AccuracyMethod { amPositioning, amAppearance };

// Pen styles and modes as the callers name them. Modes other than pmCopy
// cannot be expressed on paper or in a PDF and draw as pmCopy.
enum class PenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class PenMode { pmCopy, pmNot, pmXor, pmMask, pmMerge };
enum class BrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Tab cell alignment codes of AddTab.
enum TabAlign { kTabCenter = 0, kTabLeft = 1, kTabRight = 2, kTabBlock = 3 };
// Box line flags of AddTab.
enum TabBox { kBoxLeft = 1, kBoxRight = 2, kBoxTop = 4, kBoxBottom = 8 };

// "Not given": an AddTab position that follows the previous cell, a NextTab
// override that leaves the cell's own setting.
inline constexpr int kNoOverride = -32768;

// The last page of "all pages": no upper limit.
inline constexpr int kAllPages = INT_MAX;

struct TabCell {
    double start = 0;    // inches from the paper's left edge
    double width = 0;    // inches; 0 or less: no box, no shade
    double margin = 0;   // inches kept free on the aligned side(s)
    int align = kTabLeft;
    int box = 0;
    int shade = 0;       // percent
};

// A job used the wrong way round (output while idle, setup while running) or
// a device that could not be opened.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

} // namespace qb
