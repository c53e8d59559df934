#pragma once
// A report's layout record: page and band heights in design pixels (96 to the
// inch), margins in thousandths of an inch, which bands are used, the memo and default fonts and the
// four bands' frames. In a report file it is the last list, fifty values in a
// fixed order; sizes are stored as thousandths of an inch.
//
// Values come from files users keep and may be anything: they are stored and
// written back as read, and clamped only where a run or the designer uses
// them (geometry()).

#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace qb {

namespace design {
class LayoutWriter;
class LayoutReader;
} // namespace design

inline constexpr int kReportPixelsPerInch = 96;

enum ReportBand { kHeaderBand = 0, kDetailBand = 1, kMemoBand = 2, kFooterBand = 3 };

struct BandFrame {
    bool left = false, top = false, right = false, bottom = false;
    int lineWidth = 1;        // 1-3
    int shadePercent = 0;     // 0-100
    uint32_t shadeColour = 0xFFFFFF;   // stored colour (0x00BBGGRR)
    bool operator==(const BandFrame&) const = default;
};

struct ReportFont {
    QString name = QStringLiteral("Arial");
    int size = 10;
    bool bold = false, italic = false;
    bool operator==(const ReportFont&) const = default;
};

enum class ReportPaper { Letter, A4, Other };

struct ReportLayout {
    // Pixels at 96 per inch.
    int pageWidth = 816, pageHeight = 1056;   // Trunc(8.5 x 96), Trunc(11 x 96)
    // Thousandths of an inch, as typed and as stored: a margin never goes
    // through pixels, so it never creeps.
    int marginLeft = 500, marginTop = 500, marginRight = 500, marginBottom = 500;
    int headerHeight = 33, detailHeight = 33, footerHeight = 33;
    bool useHeader = true, useDetail = true, useMemo = false, useFooter = false;
    ReportFont memoFont;
    int memoAlignment = 0;    // 0 left, 1 right, 2 centred
    ReportFont defaultFont;
    std::array<BandFrame, 4> frames{};   // header, detail, memo, footer

    bool operator==(const ReportLayout&) const = default;

    bool uses(ReportBand band) const;
    void write(design::LayoutWriter& w) const;
    // Throws LayoutError; the record is changed only when all fifty values were read.
    void read(design::LayoutReader& r);

    // The paper and orientation the page size is, either way round.
    ReportPaper paper() const;
    bool landscape() const { return pageWidth > pageHeight; }
    // Sets the page size for paper (Letter or A4) and orientation.
    void setPaper(ReportPaper paper, bool landscape);
    // "Letter Size, Portrait" and so on; "Custom Size" for a size that is neither.
    QString layoutText() const;
    // Letter portrait, margins 0.5 in, every frame cleared.
    void resetPage();

    // The margins in pixels, Trunc(inches x 96): what the designer draws with.
    int marginPixels(int thousandths) const { return int(int64_t(thousandths) * kReportPixelsPerInch / 1000); }
    // The designer's band width (the room between the margins less a quarter
    // inch) and the height header, detail and footer share, in pixels.
    int bandWidth() const;
    int availableHeight() const;
    // Why these margins leave no room to print, or nothing when they do.
    QString marginProblem() const;
};

// A pixel size as stored, Trunc(v / 96 x 1000), and back, Round(x x 0.001 x 96)
// with halves to even.
int32_t pixelsToThousandths(int pixels);
int thousandthsToPixels(int32_t thousandths);
// Trunc(inches x 96).
int inchesToPixels(double inches);

// The layout as a run uses it, in inches, every value clamped: sizes 0 to
// 32767 pixels, the page at least an inch each way, margins leaving at least
// half an inch of page between them, line widths 1-3, shades 0-100, font
// sizes at least 1. Bands keep their designed heights unless no page could
// hold them (header and footer together, or the detail band, taller than the
// area between the margins); each band so cut is named in notes.
struct ReportGeometry {
    double pageWidth = 8.5, pageHeight = 11;
    double left = 0.5, top = 0.5, right = 0.5, bottom = 0.5;
    double header = 0, detail = 0, footer = 0;   // 0 for bands not used
    std::array<BandFrame, 4> frames{};
    ReportFont memoFont;
    int memoAlignment = 0;
    bool useDetail = true, useMemo = false;
    QStringList notes;
};
ReportGeometry reportGeometry(const ReportLayout& layout);

// The printable colour of a frame's stored colour.
QColor frameColour(const BandFrame& frame);

} // namespace qb
