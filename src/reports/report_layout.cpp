#include "reports/report_layout.h"

#include "design/design_colour.h"
#include "design/layout_stream.h"

#include <algorithm>
#include <cmath>

namespace qb {

namespace {

constexpr int kLetterWidth = 816, kLetterHeight = 1056;   // Trunc(8.5 x 96), Trunc(11 x 96)
constexpr int kA4Width = 793, kA4Height = 1121;           // Trunc(8.27 x 96), Trunc(11.68 x 96)

bool matches(const ReportLayout& l, int w, int h)
{
    return (l.pageWidth == w && l.pageHeight == h) || (l.pageWidth == h && l.pageHeight == w);
}

void writeFont(design::LayoutWriter& w, const ReportFont& f)
{
    w.writeString(f.name);
    w.writeInteger(f.size);
    w.writeBool(f.bold);
    w.writeBool(f.italic);
}

ReportFont readFont(design::LayoutReader& r)
{
    ReportFont f;
    f.name = r.readString();
    f.size = r.readInteger();
    f.bold = r.readBool();
    f.italic = r.readBool();
    return f;
}

double clampPixels(int v) { return std::clamp(v, 0, 32767) / double(kReportPixelsPerInch); }

} // namespace

int32_t pixelsToThousandths(int pixels) { return int32_t(std::trunc(double(pixels) / kReportPixelsPerInch * 1000.0)); }

int thousandthsToPixels(int32_t thousandths)
{
    const double v = std::nearbyint(double(thousandths) * 0.001 * kReportPixelsPerInch);   // halves to even
    return int(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

int inchesToPixels(double inches) { return int(std::trunc(inches * kReportPixelsPerInch)); }

bool ReportLayout::uses(ReportBand band) const
{
    switch (band) {
    case kHeaderBand: return useHeader;
    case kDetailBand: return useDetail;
    case kMemoBand: return useMemo;
    case kFooterBand: return useFooter;
    }
    return false;
}

void ReportLayout::write(design::LayoutWriter& w) const
{
    for (int v : {pageWidth, pageHeight})
        w.writeInteger(pixelsToThousandths(v));
    for (int v : {marginLeft, marginTop, marginRight, marginBottom})
        w.writeInteger(v);
    for (int v : {headerHeight, detailHeight, footerHeight})
        w.writeInteger(pixelsToThousandths(v));
    for (bool b : {useHeader, useDetail, useMemo, useFooter})
        w.writeBool(b);
    writeFont(w, memoFont);
    w.writeInteger(memoAlignment);
    writeFont(w, defaultFont);
    for (const BandFrame& f : frames) {
        for (bool b : {f.left, f.top, f.right, f.bottom})
            w.writeBool(b);
        w.writeInteger(f.lineWidth);
        w.writeInteger(f.shadePercent);
        w.writeInteger(int32_t(f.shadeColour));
    }
}

void ReportLayout::read(design::LayoutReader& r)
{
    ReportLayout l;
    for (int* v : {&l.pageWidth, &l.pageHeight})
        *v = thousandthsToPixels(r.readInteger());
    for (int* v : {&l.marginLeft, &l.marginTop, &l.marginRight, &l.marginBottom})
        *v = r.readInteger();
    for (int* v : {&l.headerHeight, &l.detailHeight, &l.footerHeight})
        *v = thousandthsToPixels(r.readInteger());
    for (bool* b : {&l.useHeader, &l.useDetail, &l.useMemo, &l.useFooter})
        *b = r.readBool();
    l.memoFont = readFont(r);
    l.memoAlignment = r.readInteger();
    l.defaultFont = readFont(r);
    for (BandFrame& f : l.frames) {
        for (bool* b : {&f.left, &f.top, &f.right, &f.bottom})
            *b = r.readBool();
        f.lineWidth = r.readInteger();
        f.shadePercent = r.readInteger();
        f.shadeColour = uint32_t(r.readInteger());
    }
    *this = l;
}

ReportPaper ReportLayout::paper() const
{
    if (matches(*this, kLetterWidth, kLetterHeight))
        return ReportPaper::Letter;
    if (matches(*this, kA4Width, kA4Height))
        return ReportPaper::A4;
    return ReportPaper::Other;
}

void ReportLayout::setPaper(ReportPaper p, bool landscapeOn)
{
    const bool a4 = p == ReportPaper::A4;
    const int w = a4 ? kA4Width : kLetterWidth, h = a4 ? kA4Height : kLetterHeight;
    pageWidth = landscapeOn ? h : w;
    pageHeight = landscapeOn ? w : h;
}

QString ReportLayout::layoutText() const
{
    const ReportPaper p = paper();
    if (p == ReportPaper::Other)
        return QStringLiteral("Custom Size");
    return (p == ReportPaper::Letter ? QStringLiteral("Letter Size, ") : QStringLiteral("A4 Size, ")) +
           (landscape() ? QStringLiteral("Landscape") : QStringLiteral("Portrait"));
}

void ReportLayout::resetPage()
{
    setPaper(ReportPaper::Letter, false);
    marginLeft = marginTop = marginRight = marginBottom = 500;
    frames = {};
}

int ReportLayout::bandWidth() const
{
    return pageWidth - marginPixels(marginLeft) - marginPixels(marginRight) - kReportPixelsPerInch / 4;
}

int ReportLayout::availableHeight() const
{
    return pageHeight - marginPixels(marginTop) - marginPixels(marginBottom);
}

QString ReportLayout::marginProblem() const
{
    // An inch each way is the least a band can be designed in.
    const int across = pageWidth - marginPixels(marginLeft) - marginPixels(marginRight);
    if (across < kReportPixelsPerInch || availableHeight() < kReportPixelsPerInch)
        return QStringLiteral("These margins leave no room to print: at least one inch must remain between the "
                              "left and right margins and between the top and bottom margins.");
    return {};
}

ReportGeometry reportGeometry(const ReportLayout& l)
{
    ReportGeometry g;
    g.pageWidth = std::max(1.0, clampPixels(l.pageWidth));
    g.pageHeight = std::max(1.0, clampPixels(l.pageHeight));
    // Margins keep half an inch of the page between them each way.
    const auto pair = [](double a, double b, double page, double& outA, double& outB) {
        const double room = std::max(0.0, page - 0.5);
        outA = std::min(a, room);
        outB = std::min(b, room - outA);
    };
    const auto margin = [](int thousandths) { return std::clamp(thousandths, 0, 341000) / 1000.0; };
    pair(margin(l.marginLeft), margin(l.marginRight), g.pageWidth, g.left, g.right);
    pair(margin(l.marginTop), margin(l.marginBottom), g.pageHeight, g.top, g.bottom);
    // Bands print at their designed heights. Only what no page could hold is
    // cut: a header taller than the area between the margins, a footer
    // taller than what the header leaves, a detail band taller than the area.
    const double area = g.pageHeight - g.top - g.bottom;
    const auto band = [&](bool used, int pixels, double room, const char* name) {
        const double designed = used ? clampPixels(pixels) : 0;
        if (designed <= room + 1e-9)
            return designed;
        g.notes << QStringLiteral("The %1 band is taller than the page can hold: it was printed %2 inches tall.")
                       .arg(QLatin1String(name))
                       .arg(room, 0, 'f', 2);
        return room;
    };
    g.header = band(l.useHeader, l.headerHeight, area, "header");
    g.footer = band(l.useFooter, l.footerHeight, area - g.header, "footer");
    g.detail = band(l.useDetail, l.detailHeight, area, "detail");
    g.useDetail = l.useDetail;
    g.useMemo = l.useMemo;
    g.frames = l.frames;
    for (BandFrame& f : g.frames) {
        f.lineWidth = std::clamp(f.lineWidth, 1, 3);
        f.shadePercent = std::clamp(f.shadePercent, 0, 100);
    }
    g.memoFont = l.memoFont;
    g.memoFont.size = std::clamp(g.memoFont.size, 1, 500);
    if (g.memoFont.name.trimmed().isEmpty())
        g.memoFont.name = QStringLiteral("Arial");
    g.memoAlignment = std::clamp(l.memoAlignment, 0, 2);
    return g;
}

QColor frameColour(const BandFrame& frame) { return design::designColour(frame.shadeColour); }

} // namespace qb
