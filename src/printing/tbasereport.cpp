#include "printing/tbasereport.h"

#include "core/messages.h"
#include "core/printer_check.h"

#include <QCoreApplication>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace qb {
namespace {

// Comparisons of positions in inches allow for the rounding of repeated sums.
constexpr double kEpsilon = 1e-9;

int clampPercent(int p) { return std::clamp(p, 0, 100); }

Qt::PenStyle qtPenStyle(PenStyle s)
{
    switch (s) {
    case PenStyle::psDash: return Qt::DashLine;
    case PenStyle::psDot: return Qt::DotLine;
    case PenStyle::psDashDot: return Qt::DashDotLine;
    case PenStyle::psDashDotDot: return Qt::DashDotDotLine;
    case PenStyle::psClear: return Qt::NoPen;
    case PenStyle::psSolid:
    case PenStyle::psInsideFrame: break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle qtBrushStyle(BrushStyle s)
{
    switch (s) {
    case BrushStyle::bsClear: return Qt::NoBrush;
    case BrushStyle::bsHorizontal: return Qt::HorPattern;
    case BrushStyle::bsVertical: return Qt::VerPattern;
    case BrushStyle::bsFDiagonal: return Qt::FDiagPattern;
    case BrushStyle::bsBDiagonal: return Qt::BDiagPattern;
    case BrushStyle::bsCross: return Qt::CrossPattern;
    case BrushStyle::bsDiagCross: return Qt::DiagCrossPattern;
    case BrushStyle::bsSolid: break;
    }
    return Qt::SolidPattern;
}

} // namespace

QString formatStatus(const QString& format, const StatusValues& v)
{
    QString out;
    out.reserve(format.size() + 16);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar code = format.at(++i).toUpper();
        if (code == QLatin1Char('%'))
            out += QLatin1Char('%');
        else if (code.isDigit() && code.unicode() < 128) {
            const int n = code.unicode() - '0';
            if (n < v.text.size())
                out += v.text.at(n);
        } else if (code == QLatin1Char('P'))
            out += QString::number(v.page);
        else if (code == QLatin1Char('F'))
            out += QString::number(v.firstPage);
        else if (code == QLatin1Char('L'))
            out += QString::number(v.lastPage);
        else if (code == QLatin1Char('D'))
            out += v.device;
        else if (code == QLatin1Char('R'))
            out += v.driver;
        else if (code == QLatin1Char('T'))
            out += v.port;
        else
            out += QStringLiteral("<ERROR-%") + format.at(i) + QLatin1Char('>');
    }
    return out;
}

QColor ShadeColor(const QColor& colour, int percent)
{
    const int p = clampPercent(percent);
    auto mix = [p](int c) { return c + (100 - p) * (255 - c) / 100; };
    return QColor(mix(colour.red()), mix(colour.green()), mix(colour.blue()));
}

QString drawnFontFamily(const QString& family)
{
    static const std::pair<const char*, const char*> map[] = {
        {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
    };
    for (const auto& [from, to] : map)
        if (family.compare(QLatin1String(from), Qt::CaseInsensitive) == 0)
            return QLatin1String(to);
    return family;
}

// ------------------------------------------------------------------ setup

TBaseReport::TBaseReport(QObject* parent) : QObject(parent)
{
    resetFont();
    printers_ = printer::installedPrinters();
    // Jobs start on the printer the program has selected.
    const int chosen = printer::findPrinter(printers_, QtPrinterSource::selectedPrinter());
    SelectPrinter(chosen);
}

TBaseReport::~TBaseReport() = default;

void TBaseReport::requireRunning(const char* operation) const
{
    if (!running_)
        throw PrintError(QStringLiteral("%1 called while no print job runs").arg(QLatin1String(operation)));
}

void TBaseReport::requireIdle(const char* operation) const
{
    if (running_)
        throw PrintError(QStringLiteral("%1 called while a print job runs").arg(QLatin1String(operation)));
}

void TBaseReport::setUnits(Units units)
{
    units_ = units;
    switch (units) {
    case Units::unInch: unitsFactor_ = 1.0; break;
    case Units::unMM: unitsFactor_ = 25.4; break;
    case Units::unCM: unitsFactor_ = 2.54; break;
    case Units::unPoint: unitsFactor_ = 72.0; break;
    case Units::unUser: break;
    }
}

void TBaseReport::setUnitsFactor(double factor)
{
    if (factor <= 0)
        return;
    unitsFactor_ = factor;
    if (factor == 1.0)
        units_ = Units::unInch;
    else if (factor == 25.4)
        units_ = Units::unMM;
    else if (factor == 2.54)
        units_ = Units::unCM;
    else if (factor == 72.0)
        units_ = Units::unPoint;
    else
        units_ = Units::unUser;
}

void TBaseReport::setMarginLeft(double v)
{
    marginLeft_ = toIn(v);
    setAreaLeft(v);
}

void TBaseReport::setMarginRight(double v)
{
    marginRight_ = toIn(v);
    setAreaRight(PageWidth() - v);
}

void TBaseReport::setMarginTop(double v)
{
    marginTop_ = toIn(v);
    setAreaTop(v);
}

void TBaseReport::setMarginBottom(double v)
{
    marginBottom_ = toIn(v);
    setAreaBottom(PageHeight() - v);
}

void TBaseReport::setLinesPerInch(int lines)
{
    if (lines > 0)
        linesPerInch_ = lines;
}

void TBaseReport::setLineHeight(double height)
{
    if (height <= 0)
        return;
    userLineHeight_ = toIn(height);
    lineHeightMethod_ = LineHeightMethod::lhmUser;
}

void TBaseReport::setOrientation(Orientation o)
{
    requireIdle("Orientation");
    orientation_ = o;
    if (o == Orientation::poDefault)
        settings_.orientation.reset();
    else
        settings_.orientation = o == Orientation::poLandScape ? QPageLayout::Landscape : QPageLayout::Portrait;
    refreshGeometry();
}

void TBaseReport::setCopies(int copies)
{
    requireIdle("Copies");
    copies_ = copies;
    settings_.copies = copies > 0 ? copies : 0;
}

void TBaseReport::setTabShade(int percent) { tabShade_ = clampPercent(percent); }

// ------------------------------------------------------------------ printers

QStringList TBaseReport::PrinterNames()
{
    QStringList out;
    for (const printer::PrinterEntry& p : printers_)
        out << p.entry();
    return out;
}

void TBaseReport::SelectPrinter(int index)
{
    requireIdle("SelectPrinter");
    if (index < 0 || index >= printers_.size())
        index = printer::defaultPrinterIndex(printers_);
    selected_ = index;
    const QString pdfPath = settings_.pdfPath;
    settings_ = {};
    settings_.printer = index >= 0 ? printers_[index] : printer::pdfPrinter();
    settings_.pdfPath = pdfPath;
    settings_.copies = copies_ > 0 ? copies_ : 0;
    if (orientation_ != Orientation::poDefault)
        settings_.orientation = orientation_ == Orientation::poLandScape ? QPageLayout::Landscape : QPageLayout::Portrait;
    refreshGeometry();
}

void TBaseReport::SelectPrinterByName(const QString& name) { SelectPrinter(printer::findPrinter(printers_, name)); }

QStringList TBaseReport::BinNames() const
{
    QStringList out;
    for (const printer::BinChoice& b : printer::bins(settings_.printer))
        out << b.name;
    return out;
}

QStringList TBaseReport::PaperNames() const
{
    QStringList out;
    for (const printer::PaperChoice& p : printer::papers(settings_.printer))
        out << p.name;
    return out;
}

QString TBaseReport::BinName() const
{
    const auto bins = printer::bins(settings_.printer);
    for (const printer::BinChoice& b : bins)
        if (b.keyword == settings_.binKeyword)
            return b.name;
    return bins.isEmpty() ? QString() : bins.front().name;
}

QString TBaseReport::PaperName() const
{
    const QPageSize current = settings_.paper ? *settings_.paper : printer::defaultPaper(settings_.printer);
    for (const printer::PaperChoice& p : printer::papers(settings_.printer))
        if (p.size.isEquivalentTo(current))
            return p.name;
    return current.name();
}

void TBaseReport::SelectBinByName(const QString& name)
{
    requireIdle("SelectBinByName");
    settings_.binKeyword.clear();
    for (const printer::BinChoice& b : printer::bins(settings_.printer))
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            settings_.binKeyword = b.keyword;
}

void TBaseReport::SelectPaperByName(const QString& name)
{
    requireIdle("SelectPaperByName");
    settings_.paper.reset();
    for (const printer::PaperChoice& p : printer::papers(settings_.printer))
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            settings_.paper = p.size;
            break;
        }
    refreshGeometry();
}

void TBaseReport::SetPaperSize(int code, double height, double width)
{
    requireIdle("SetPaperSize");
    if (const auto standard = printer::standardPaper(code))
        settings_.paper = *standard;
    else if (height > 0 && width > 0)
        settings_.paper = printer::customPaper(toIn(width), toIn(height));
    else
        return;
    refreshGeometry();
}

void TBaseReport::setPrinterSettings(const printer::PrinterSettings& s)
{
    requireIdle("setPrinterSettings");
    settings_ = s;
    selected_ = printer::findPrinter(printers_, s.printer.entry());
    refreshGeometry();
}

void TBaseReport::refreshGeometry()
{
    geometry_ = printer::pageGeometry(settings_);
    if (!running_) {
        areaRight_ = geometry_.paper.width() - marginRight_;
        areaBottom_ = geometry_.paper.height() - marginBottom_;
    }
}

// ------------------------------------------------------------------ running

bool TBaseReport::RunJob()
{
    requireIdle("RunJob");
    completed_ = false;
    lastError_.clear();
    if (!checkDevice()) {
        lastError_ = QStringLiteral("No printers are defined, aborting print job.");
        return false;
    }
    aborted_ = false;
    page_ = 0;
    printedPages_ = 0;
    outputOn_ = false;
    running_ = true;
    std::exception_ptr error;
    try {
        fire(OnBeforePrint);
        refreshGeometry();
        invalidateFont();
        deviceBeginDocument();
        startFirstPage();
        if (OnPrint || !OnPrintPage)
            fire(OnPrint);
        else
            while (!aborted_ && OnPrintPage() && !aborted_)
                BreakPage();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        if (!aborted_ && !error)
            fire(OnPrintFooter);
    } catch (...) {
        error = std::current_exception();
    }
    bool ok = !aborted_ && !error;
    try {
        deviceEndDocument(!ok);
    } catch (...) {
        if (!error)
            error = std::current_exception();
        ok = false;
    }
    running_ = false;
    outputOn_ = false;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            lastError_ = QString::fromStdString(e.what());
        } catch (...) {
            lastError_ = QStringLiteral("The print job failed.");
        }
    }
    try {
        fire(OnAfterPrint);
    } catch (...) {
        ok = false;
    }
    completed_ = ok;
    return ok;
}

void TBaseReport::startFirstPage()
{
    resetFont();
    ClearTabs();
    tabStack_.clear();
    xOffset_ = 0;
    ResetArea();
    CursorHome();
    page_ = 1;
    beginOutputPage();
    RefreshStatus();
    fire(OnNewPage);
    fire(OnPrintHeader);
}

void TBaseReport::beginOutputPage()
{
    outputOn_ = pageInRange(page_);
    if (outputOn_ && !aborted_) {
        deviceBeginPage();
        ++printedPages_;
    }
}

void TBaseReport::BreakPage()
{
    requireRunning("BreakPage");
    fire(OnPrintFooter);
    ++page_;
    RefreshStatus();
    xOffset_ = 0;
    tabIndex_ = -1;
    ResetArea();
    CursorHome();
    beginOutputPage();
    fire(OnNewPage);
    fire(OnPrintHeader);
}

QString TBaseReport::statusLine() const
{
    StatusValues v;
    v.page = page_;
    v.firstPage = firstPage_;
    v.lastPage = lastPage_;
    v.text = statusText_;
    if (outputIsPreview()) {
        v.device = v.driver = QStringLiteral("Preview");
        v.port = QStringLiteral("Screen");
    } else {
        v.device = settings_.printer.device;
        v.driver = settings_.printer.isPdf ? QStringLiteral("PDF") : QStringLiteral("CUPS");
        v.port = settings_.printer.port;
    }
    return formatStatus(statusFormat_, v);
}

void TBaseReport::RefreshStatus()
{
    if (statusLabel_)
        statusLabel_->setText(statusLine().replace(QLatin1Char('\r'), QLatin1Char('\n')));
    QCoreApplication::processEvents();
}

// ------------------------------------------------------------------ area and cursor

void TBaseReport::setAreaLeft(double v)
{
    areaLeft_ = toIn(v);
    cursorX_ = std::max(cursorX_, areaLeft_);
}

void TBaseReport::setAreaRight(double v)
{
    areaRight_ = toIn(v);
    cursorX_ = std::min(cursorX_, areaRight_);
}

void TBaseReport::setAreaTop(double v)
{
    areaTop_ = toIn(v);
    cursorY_ = std::max(cursorY_, areaTop_);
}

void TBaseReport::setAreaBottom(double v)
{
    areaBottom_ = toIn(v);
    cursorY_ = std::min(cursorY_, areaBottom_);
}

void TBaseReport::ResetArea()
{
    areaLeft_ = marginLeft_;
    areaTop_ = marginTop_;
    areaRight_ = geometry_.paper.width() - marginRight_;
    areaBottom_ = geometry_.paper.height() - marginBottom_;
}

void TBaseReport::MoveCursor(double x, double y)
{
    cursorX_ = toIn(x);
    cursorY_ = toIn(y);
}

void TBaseReport::CursorHome()
{
    cursorX_ = areaLeft_;
    cursorY_ = areaTop_ + lineHeightIn() - descentIn();
}

void TBaseReport::NextLine()
{
    cursorX_ = areaLeft_;
    cursorY_ += lineHeightIn();
    tabIndex_ = -1;
}

int TBaseReport::RemainingLines() const
{
    const double bottom = cursorY_ + descentIn();
    if (bottom > areaBottom_ + kEpsilon)
        return 0;
    return int(std::trunc((areaBottom_ - bottom) / lineHeightIn() + kEpsilon)) + 1;
}

double TBaseReport::lineHeightIn() const
{
    switch (lineHeightMethod_) {
    case LineHeightMethod::lhmLinesPerInch: return 1.0 / linesPerInch_;
    case LineHeightMethod::lhmUser: return userLineHeight_;
    case LineHeightMethod::lhmFont: break;
    }
    return fontSize_ / 60.0;
}

double TBaseReport::AscentHeight() const { return fromIn(metrics().ascent() / devicePixelsPerInchY()); }

double TBaseReport::descentIn() const { return metrics().descent() / devicePixelsPerInchY(); }

// ------------------------------------------------------------------ fonts

void TBaseReport::resetFont()
{
    fontName_ = QStringLiteral("Arial");
    fontSize_ = 10;
    bold_ = italic_ = underline_ = strikeOut_ = false;
    fontColor_ = Qt::black;
    fontRotation_ = 0;
    invalidateFont();
}

void TBaseReport::ApplyFont(const QString& name, double size)
{
    // Sizes come from stored designs too; past a few hundred inches of type
    // nothing sensible can be drawn.
    const double newSize = size > 0 ? std::min(size, 32767.0) : fontSize_;
    const bool same = name == fontName_ && newSize == fontSize_ && !bold_ && !italic_ && !underline_ && !strikeOut_;
    fontName_ = name;
    fontSize_ = newSize;
    bold_ = italic_ = underline_ = strikeOut_ = false;
    fontColor_ = Qt::black;
    fontRotation_ = 0;
    if (!same)
        invalidateFont();
}

// Reports set the style for every record; the font is made again only when
// it changes.
void TBaseReport::SetBold(bool on) { setStyle(bold_, on); }
void TBaseReport::SetItalic(bool on) { setStyle(italic_, on); }
void TBaseReport::SetUnderline(bool on) { setStyle(underline_, on); }
void TBaseReport::SetStrikeOut(bool on) { setStyle(strikeOut_, on); }

void TBaseReport::setStyle(bool& style, bool on)
{
    if (style == on)
        return;
    style = on;
    invalidateFont();
}
void TBaseReport::SetFontColor(const QColor& c) { fontColor_ = c; }
void TBaseReport::SetFontRotation(double degrees) { fontRotation_ = degrees; }

const QFont& TBaseReport::deviceFont() const
{
    if (!deviceFont_) {
        QFont f(drawnFontFamily(fontName_));
        // Pixel sizes keep the text the same size wherever the page is
        // replayed; hinting would bend advances towards whole pixels.
        f.setPixelSize(std::max(1, int(std::lround(fontSize_ / 72.0 * devicePixelsPerInchY()))));
        f.setBold(bold_);
        f.setItalic(italic_);
        f.setUnderline(underline_);
        f.setStrikeOut(strikeOut_);
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setKerning(false);
        deviceFont_ = f;
    }
    return *deviceFont_;
}

const QFontMetricsF& TBaseReport::metrics() const
{
    if (!metrics_)
        metrics_.emplace(deviceFont());
    return *metrics_;
}

double TBaseReport::widthIn(const QString& text) const
{
    return metrics().horizontalAdvance(text) / devicePixelsPerInchY();
}

double TBaseReport::TextWidth(const QString& text) const { return fromIn(widthIn(text)); }

// ------------------------------------------------------------------ text

void TBaseReport::printAt(double leftIn, const QString& text)
{
    cursorX_ = leftIn + widthIn(text);
    if (!drawing() || text.isEmpty())
        return;
    TextCommand c;
    c.baseline = QPointF(devX(leftIn), devY(cursorY_));
    c.text = text;
    c.font = deviceFont();
    c.color = fontColor_;
    c.angle = fontRotation_;
    if (textBKMode_ == TextBKMode::bkOpaque)
        c.background = QBrush(brushColor_);
    else
        c.background = QBrush(Qt::NoBrush);
    deviceDraw(std::move(c));
}

void TBaseReport::TextLeftAt(const QString& text, double x)
{
    requireRunning("TextLeftAt");
    printAt(toIn(x), text);
}

void TBaseReport::TextCenteredAt(const QString& text, double x)
{
    requireRunning("TextCenteredAt");
    printAt(toIn(x) - widthIn(text) / 2, text);
}

void TBaseReport::TextRightAt(const QString& text, double x)
{
    requireRunning("TextRightAt");
    printAt(toIn(x) - widthIn(text), text);
}

void TBaseReport::TextJustified(const QString& text, double x, double width)
{
    requireRunning("TextJustified");
    justifiedAt(text, toIn(x), toIn(width));
}

void TBaseReport::justifiedAt(const QString& text, double xIn, double widthIn_)
{
    QString trimmed = text;
    while (!trimmed.isEmpty() && trimmed.back() == QLatin1Char(' '))
        trimmed.chop(1);
    const qsizetype blanks = trimmed.count(QLatin1Char(' '));
    const double extra = widthIn_ - widthIn(trimmed);
    if (blanks == 0 || extra <= 0) {
        printAt(xIn, trimmed);
        return;
    }
    // Each blank grows by the same share; words are placed one by one so the
    // last one ends exactly at the right edge.
    const double grow = extra / double(blanks);
    qsizetype start = 0;
    int blanksBefore = 0;
    while (start <= trimmed.size()) {
        qsizetype end = trimmed.indexOf(QLatin1Char(' '), start);
        if (end < 0)
            end = trimmed.size();
        const QString word = trimmed.mid(start, end - start);
        if (!word.isEmpty())
            printAt(xIn + widthIn(trimmed.left(start)) + grow * blanksBefore, word);
        if (end >= trimmed.size())
            break;
        ++blanksBefore;
        start = end + 1;
    }
    cursorX_ = xIn + widthIn_;
}

void TBaseReport::printInCell(const TabCell& cell, const QString& text)
{
    const double w = widthIn(text);
    switch (cell.align) {
    case kTabLeft: printAt(cell.start + cell.margin, text); break;
    case kTabRight: printAt(cell.start + cell.width - cell.margin - w, text); break;
    case kTabBlock: justifiedAt(text, cell.start + cell.margin, cell.width - 2 * cell.margin); break;
    default: printAt(cell.start + cell.width / 2 - w / 2, text); break;
    }
}

void TBaseReport::EmitText(const QString& text)
{
    requireRunning("EmitText");
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            NextTab();
        if (parts[i].isEmpty())
            continue;
        if (const TabCell* cell = activeCell())
            printInCell(*cell, parts[i]);
        else
            printAt(cursorX_, parts[i]);
    }
}

void TBaseReport::EmitLine(const QString& text)
{
    EmitText(text);
    NextLine();
}

void TBaseReport::ClippedText(double x1, double y1, double x2, double y2, double x, double y, const QString& text)
{
    requireRunning("ClippedText");
    if (!drawing())
        return;
    const QRectF clip = devRect(toIn(x1), toIn(y1), toIn(x2), toIn(y2));
    if (brushStyle_ != BrushStyle::bsClear)
        deviceDraw(FillCommand{clip, deviceBrush()});
    TextCommand c;
    c.baseline = QPointF(devX(toIn(x)), devY(toIn(y)));
    c.text = text;
    c.font = deviceFont();
    c.color = fontColor_;
    c.angle = fontRotation_;
    c.background = QBrush(Qt::NoBrush);
    // Most cells hold text that fits them: text whose ink lies inside the
    // clip goes out unclipped, which spares the device a clip path and a
    // saved state for every cell.
    if (!inkInside(text, c.baseline, clip))
        c.clip = clip;
    deviceDraw(std::move(c));
}

// Whether the ink of text drawn from origin lies inside clip, judged from the
// ink of each character measured once per font. Text shaping may move a
// glyph slightly (a ligature), so the right edge keeps a quarter of the
// font's size to spare; text near the edge, with characters outside
// Latin-1 or missing from the font, rotated, underlined or struck out is
// simply left clipped.
bool TBaseReport::inkInside(const QString& text, QPointF origin, const QRectF& clip) const
{
    if (fontRotation_ != 0 || underline_ || strikeOut_ || text.isEmpty())
        return false;
    if (!glyphInk_) {
        glyphInk_ = std::make_unique<std::array<GlyphInk, 256>>();
        glyphInk_->fill(GlyphInk{});
    }
    double x = 0;
    double left = std::numeric_limits<double>::max(), right = std::numeric_limits<double>::lowest();
    double top = left, bottom = right;
    for (const QChar ch : text) {
        if (ch.unicode() > 0xff)
            return false;
        GlyphInk& g = (*glyphInk_)[ch.unicode()];
        if (g.state == GlyphInk::Unknown) {
            if (!metrics().inFont(ch)) {
                g.state = GlyphInk::Missing;
            } else {
                const QRectF r = metrics().boundingRect(ch);
                g = {metrics().horizontalAdvance(ch), r.left(), r.right(), r.top(), r.bottom(),
                     r.isEmpty() ? GlyphInk::Blank : GlyphInk::Inked};
            }
        }
        if (g.state == GlyphInk::Missing)
            return false;
        if (g.state == GlyphInk::Inked) {
            left = std::min(left, x + g.left);
            right = std::max(right, x + g.right);
            top = std::min(top, g.top);
            bottom = std::max(bottom, g.bottom);
        }
        x += g.advance;
    }
    if (left > right)
        return false;
    const double spare = 1 + deviceFont().pixelSize() / 4.0;
    return origin.x() + left >= clip.left() + 1 && origin.x() + right <= clip.right() - spare &&
           origin.y() + top >= clip.top() + 1 && origin.y() + bottom <= clip.bottom() - 1;
}

// ------------------------------------------------------------------ tabs

void TBaseReport::AddTab(double position, int align, double width, int margin, int box, int shade)
{
    TabCell cell;
    if (position < 0)
        cell.start = tabs_.empty() ? marginLeft_ : tabs_.back().start + std::max(0.0, tabs_.back().width);
    else
        cell.start = toIn(position);
    cell.align = (align >= kTabCenter && align <= kTabBlock) ? align : kTabLeft;
    cell.width = toIn(width);
    cell.margin = margin / 100.0;
    cell.box = cell.width > 0 ? box : 0;
    cell.shade = cell.width > 0 ? clampPercent(shade) : 0;
    tabs_.push_back(cell);
}

void TBaseReport::ClearTabs()
{
    tabs_.clear();
    tabIndex_ = -1;
}

void TBaseReport::SaveTabs() { tabStack_.push_back(tabs_); }

void TBaseReport::RestoreTabs()
{
    if (tabStack_.empty())
        return;
    tabs_ = std::move(tabStack_.back());
    tabStack_.pop_back();
    tabIndex_ = -1;
}

const TabCell* TBaseReport::activeCell() const
{
    return tabIndex_ >= 0 && tabIndex_ < int(tabs_.size()) ? &tabs_[size_t(tabIndex_)] : nullptr;
}

double TBaseReport::TabLeft(int n) const
{
    const TabCell* cell = nullptr;
    if (n == 0)
        cell = activeCell();
    else if (n >= 1 && n <= int(tabs_.size()))
        cell = &tabs_[size_t(n - 1)];
    return cell ? fromIn(cell->start + cell->margin) : 0.0;
}

void TBaseReport::NextTab(int left, int right, int top, int bottom, int shade)
{
    requireRunning("NextTab");
    if (tabIndex_ < int(tabs_.size()))
        ++tabIndex_;
    const TabCell* cell = activeCell();
    if (!cell)
        return;
    cursorX_ = cell->start + cell->margin;
    if (cell->width <= 0 || !drawing())
        return;
    const double s = cell->start, e = cell->start + cell->width;
    const double bottomIn = cursorY_ + descentIn();
    const double topIn = bottomIn - lineHeightIn();
    const int percent = clampPercent(shade != kNoOverride ? shade : (cell->shade > 0 ? cell->shade : tabShade_));
    if (percent > 0)
        deviceDraw(FillCommand{devRect(s, topIn, e, bottomIn), QBrush(ShadeColor(tabShadeColor_, percent))});
    auto edge = [&](int override, int flag, double x1, double y1, double x2, double y2) {
        const bool on = override != kNoOverride ? override != 0 : (cell->box & flag) != 0;
        if (!on)
            return;
        QPen pen = devicePen(override != kNoOverride ? override : penWidth_);
        if (pen.style() == Qt::NoPen)
            pen.setStyle(Qt::SolidLine);
        deviceDraw(LineCommand{QPointF(devX(x1), devY(y1)), QPointF(devX(x2), devY(y2)), pen});
    };
    edge(left, kBoxLeft, s, topIn, s, bottomIn);
    edge(right, kBoxRight, e, topIn, e, bottomIn);
    edge(top, kBoxTop, s, topIn, e, topIn);
    edge(bottom, kBoxBottom, s, bottomIn, e, bottomIn);
}

// ------------------------------------------------------------------ drawing

QRectF TBaseReport::devRect(double x1In, double y1In, double x2In, double y2In) const
{
    return QRectF(QPointF(devX(x1In), devY(y1In)), QPointF(devX(x2In), devY(y2In))).normalized();
}

QPen TBaseReport::devicePen(int widthCode) const
{
    double px = widthCode < 0 ? std::max(1.0, -widthCode / 100.0 * devicePixelsPerInchX()) : std::max(1, widthCode);
    QPen pen(penColor_, px, qtPenStyle(penStyle_), Qt::SquareCap, Qt::MiterJoin);
    return pen;
}

QBrush TBaseReport::deviceBrush() const
{
    if (!brushPattern_.isNull())
        return QBrush(brushPattern_);
    return QBrush(brushColor_, qtBrushStyle(brushStyle_));
}

void TBaseReport::SetPen(const QColor& colour, PenStyle style, PenMode, int width)
{
    penColor_ = colour;
    penStyle_ = style;
    penWidth_ = width;
}

void TBaseReport::SetBrush(const QColor& colour, BrushStyle style, const QImage& pattern)
{
    brushColor_ = colour;
    brushStyle_ = style;
    brushPattern_ = pattern;
}

void TBaseReport::PenMoveTo(double x, double y)
{
    penX_ = toIn(x);
    penY_ = toIn(y);
}

void TBaseReport::PenLineTo(double x, double y)
{
    requireRunning("PenLineTo");
    const double xIn = toIn(x), yIn = toIn(y);
    if (drawing())
        deviceDraw(LineCommand{QPointF(devX(penX_), devY(penY_)), QPointF(devX(xIn), devY(yIn)), devicePen(penWidth_)});
    penX_ = xIn;
    penY_ = yIn;
}

void TBaseReport::drawShape(ShapeCommand::Kind kind, double x1, double y1, double x2, double y2, QSizeF radii)
{
    if (!drawing())
        return;
    ShapeCommand c;
    c.kind = kind;
    c.rect = devRect(toIn(x1), toIn(y1), toIn(x2), toIn(y2));
    c.radii = radii;
    c.pen = devicePen(penWidth_);
    c.brush = deviceBrush();
    deviceDraw(std::move(c));
}

void TBaseReport::DrawRectangle(double x1, double y1, double x2, double y2)
{
    requireRunning("DrawRectangle");
    drawShape(ShapeCommand::Rectangle, x1, y1, x2, y2);
}

void TBaseReport::DrawEllipse(double x1, double y1, double x2, double y2)
{
    requireRunning("DrawEllipse");
    drawShape(ShapeCommand::Ellipse, x1, y1, x2, y2);
}

void TBaseReport::DrawRoundRect(double x1, double y1, double x2, double y2, double cornerWidth, double cornerHeight)
{
    requireRunning("DrawRoundRect");
    // The corner ellipse's width and height are diameters; Qt takes radii.
    drawShape(ShapeCommand::RoundRect, x1, y1, x2, y2,
              QSizeF(toIn(cornerWidth) * devicePixelsPerInchX() / 2, toIn(cornerHeight) * devicePixelsPerInchY() / 2));
}

QRect TBaseReport::DeviceRect(double x1, double y1, double x2, double y2) const
{
    const QRectF r = devRect(toIn(x1), toIn(y1), toIn(x2), toIn(y2));
    const int left = int(std::lround(r.left())), top = int(std::lround(r.top()));
    return QRect(left, top, int(std::lround(r.right())) - left, int(std::lround(r.bottom())) - top);
}

void TBaseReport::DrawPicture(const QRect& deviceRect, const QPicture& picture)
{
    requireRunning("DrawPicture");
    const QRect source = picture.boundingRect();
    if (!drawing() || source.isEmpty() || deviceRect.isEmpty())
        return;
    deviceDraw(PictureCommand{QRectF(deviceRect), QRectF(source), picture});
}

void TBaseReport::DrawPicture(const QRect& deviceRect, const QImage& image)
{
    requireRunning("DrawPicture");
    if (!drawing() || image.isNull() || deviceRect.isEmpty())
        return;
    deviceDraw(ImageCommand{QRectF(deviceRect), image});
}

void TBaseReport::DrawDesignPicture(const QPicture& picture, double x, double y, QSizeF designSize)
{
    requireRunning("DrawDesignPicture");
    if (!drawing())
        return;
    QRectF source(QPointF(0, 0), designSize);
    if (designSize.isEmpty())
        source = QRectF(picture.boundingRect());
    if (source.isEmpty())
        return;
    const double xIn = toIn(x) + source.left() / kDesignPixelsPerInch;
    const double yIn = toIn(y) + source.top() / kDesignPixelsPerInch;
    const QRectF target = devRect(xIn, yIn, xIn + source.width() / kDesignPixelsPerInch,
                                  yIn + source.height() / kDesignPixelsPerInch);
    deviceDraw(PictureCommand{target, source, picture});
}

void TBaseReport::DrawBitmap(const QImage& bitmap, double left, double top, double right, double bottom)
{
    requireRunning("DrawBitmap");
    if (!drawing() || bitmap.isNull())
        return;
    deviceDraw(ImageCommand{devRect(toIn(left), toIn(top), toIn(right), toIn(bottom)), bitmap});
}

} // namespace qb
