#include "reports/report_printing.h"

#include "core/address_table.h"
#include "core/memo_text.h"
#include "design/text_layout.h"
#include "labels/label_printing.h"
#include "labels/report_design_printer.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "printing/tbasereport.h"
#include "printing/treportfiler.h"
#include "reports/treportpanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>

#include <cmath>
#include <stdexcept>

namespace qb {

namespace {

constexpr double kEighth = 0.125;
constexpr double kEpsilon = 1e-9;

std::function<QDateTime()>& reportClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

QString timeText()
{
    const QDateTime now = reportClock() ? reportClock()() : QDateTime::currentDateTime();
    return now.time().toString(QStringLiteral("h:mm:ss AP"));
}

PrintStatusTexts reportStatusTexts() { return PrintStatusTexts{}; }

void beforePrint(TBaseReport& job)
{
    job.setStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
    job.setStatusText({QString(), QString()});
}

// The record's memo; one that cannot be read is empty and noted.
QString readMemo(AddressTable& addresses, ReportRunResult& result, TBaseReport& job)
{
    try {
        return memoForEditor(QString::fromStdString(addresses.table().memo("MEMO")));
    } catch (const std::exception& e) {
        const QString note = QStringLiteral("The memo of record %1 could not be read: %2")
                                 .arg(addresses.table().recno())
                                 .arg(QString::fromStdString(e.what()));
        result.notes << note;
        job.StatusText() = QStringList{QString(), note};
        job.RefreshStatus();
        return {};
    }
}

PrintOutcome runLoop(TBaseReport& job, const ReportRunHooks& hooks,
                     const std::function<void(const std::function<bool()>& stopped)>& loop)
{
    return hooks.runStatus ? hooks.runStatus(job, reportStatusTexts(), loop) : runJobDirectly(job, loop);
}

void finish(TBaseReport& job, const ReportRunHooks& hooks, PrintRunMode mode, ReportRunResult& result)
{
    result.pages = job.CurrentPage();
    job.OnBeforePrint = nullptr;
    job.OnPrint = nullptr;
    job.OnNewPage = nullptr;
    if (mode == PrintRunMode::Preview && hooks.preview &&
        (result.outcome == PrintOutcome::Completed || result.outcome == PrintOutcome::Stopped))
        if (auto* filer = dynamic_cast<TReportFiler*>(&job))
            hooks.preview(*filer->stream());
}

// Lets the status window and its Stop button answer while a run goes on:
// often enough for a click to be seen at once, seldom enough that a list of
// fifty records a page does not spend its time asking.
class EventPump {
public:
    void operator()()
    {
        if (timer_.isValid() && timer_.elapsed() < 20)
            return;
        QApplication::processEvents();
        timer_.restart();
    }

private:
    QElapsedTimer timer_;
};

bool stopNow(TBaseReport& job, const std::function<bool()>& stopped)
{
    return job.Aborted() || (stopped && stopped());
}

// A band's frame: the shade, then each border as a black line of the frame's
// width, moved inwards by that many device pixels when it is 2 or more.
void drawFrame(TBaseReport& job, const BandFrame& f, double left, double top, double right, double bottom)
{
    if (f.shadePercent > 0) {
        job.SetPen(Qt::black, PenStyle::psClear, PenMode::pmCopy, 1);
        job.SetBrush(ShadeColor(frameColour(f), f.shadePercent), BrushStyle::bsSolid);
        job.DrawRectangle(left + 0.01, top + 0.01, right, bottom);
        job.SetBrush(Qt::white, BrushStyle::bsClear);
    }
    if (!(f.left || f.top || f.right || f.bottom))
        return;
    job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, -f.lineWidth);
    if (f.lineWidth >= 2) {
        const double dx = f.lineWidth / job.devicePixelsPerInchX(), dy = f.lineWidth / job.devicePixelsPerInchY();
        top += dy;
        bottom -= dy;
        left += dx;
        right -= dx;
    }
    const auto line = [&job](double x1, double y1, double x2, double y2) {
        job.PenMoveTo(x1, y1);
        job.PenLineTo(x2, y2);
    };
    if (f.top)
        line(left, top, right, top);
    if (f.right)
        line(right, top, right, bottom);
    if (f.bottom)
        line(left, bottom, right, bottom);
    if (f.left)
        line(left, top, left, bottom);
}

void applyFont(TBaseReport& job, const ReportFont& f)
{
    job.ApplyFont(f.name, f.size);
    job.SetBold(f.bold);
    job.SetItalic(f.italic);
}

} // namespace

void setReportClockForTesting(std::function<QDateTime()> clock) { reportClock() = std::move(clock); }

QStringList wrapMemo(const QString& memo, const ReportFont& f, int width)
{
    // Measured eight times over, so that the font's whole pixels come close
    // to the size the job prints in (10 points are 13 1/3 pixels, not 13).
    constexpr int kScale = 8;
    QFont font = design::drawingFont(QFont(f.name));
    font.setPixelSize(std::max(1, int(std::lround(std::max(1, f.size) * kReportPixelsPerInch * kScale / 72.0))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    QString text = memo;
    text.remove(QLatin1Char('\r'));
    QStringList lines =
        design::wrapLines(text.split(QLatin1Char('\n')), QFontMetrics(font), std::max(1, width) * kScale);
    if (lines.size() == 1 && lines.front().trimmed().isEmpty())
        lines.clear();
    return lines;
}

// ---- designed reports ------------------------------------------------------------

ReportRunResult runUserReport(AddressTable& addresses, const ReportBands& bands, const ReportLayout& layout,
                              TBaseReport& job, const UserReportRequest& request, const ReportRunHooks& hooks)
{
    ReportRunResult result;
    const auto inform = [&hooks](const QString& text) {
        if (hooks.inform)
            hooks.inform(text);
    };
    xbase::Table& table = addresses.table();
    const ReportGeometry g = reportGeometry(layout);
    result.notes << g.notes;
    TReportPanel& header = *bands[0];
    TReportPanel& detail = *bands[1];
    TReportPanel& footer = *bands[2];
    // Header and footer are bound too, so that whatever they hold shows
    // values when it prints, never a design text.
    for (TReportPanel* band : bands)
        band->setDataset(&addresses);

    // The paper the layout's page is; any other size as a paper of its own.
    // The job gets the printer's own paper back afterwards, for the runs
    // that follow on it.
    struct PaperBack {
        TBaseReport& job;
        printer::PrinterSettings settings = job.printerSettings();
        Orientation orientation = job.orientation();
        ~PaperBack()
        {
            try {
                job.setOrientation(orientation);
                job.setPrinterSettings(settings);
            } catch (...) {
                // The job is idle once the run returned; nothing to put back otherwise.
            }
        }
    } paperBack{job};
    switch (layout.paper()) {
    case ReportPaper::Letter: job.SetPaperSize(1, 0, 0); break;
    case ReportPaper::A4: job.SetPaperSize(9, 0, 0); break;
    case ReportPaper::Other: job.SetPaperSize(256, std::max(g.pageWidth, g.pageHeight), std::min(g.pageWidth, g.pageHeight)); break;
    }
    job.setOrientation(layout.pageWidth <= layout.pageHeight ? Orientation::poPortrait : Orientation::poLandScape);

    TableRestore restore(table);
    try {
        selectPrintRecords(table, restore, request.selection.records, request.selection.startFromCurrent, inform);
    } catch (const std::exception& e) {
        inform(QString::fromStdString(e.what()));
        return result;
    }

    const bool useHeader = layout.useHeader, useFooter = layout.useFooter;
    // The memo wraps in the room its lines print in, an eighth of an inch
    // inside each margin, so that no line runs past its frame.
    const int memoWidth =
        std::max(1, int(std::trunc((g.pageWidth - g.left - g.right - 2 * kEighth) * kReportPixelsPerInch)));
    bool started = false;
    double y = 0;
    ReportDesignPrinter printer(job);

    const auto headerFooter = [&] {
        if (!started)
            return;
        if (useHeader) {
            drawFrame(job, g.frames[kHeaderBand], job.AreaLeft() - kEighth, job.AreaTop() - g.header,
                      job.AreaRight() + kEighth, job.AreaTop());
            header.printObjects(printer, g.left + kEighth, job.AreaTop() - g.header);
        }
        if (useFooter) {
            drawFrame(job, g.frames[kFooterBand], job.AreaLeft() - kEighth, job.AreaBottom(),
                      job.AreaRight() + kEighth, job.AreaBottom() + g.footer);
            footer.printObjects(printer, g.left + kEighth, job.AreaBottom());
        }
        y = job.AreaTop();
    };

    // The memo: as many lines as fit, framed, and on over the pages. A page
    // with no room for a single line ends the run as a failure: the job
    // fails with the reason, so nothing of it is sent and nothing says
    // "Completed".
    const auto printMemo = [&] {
        applyFont(job, g.memoFont);
        const double h = job.LineHeight();
        const QStringList lines = wrapMemo(readMemo(addresses, result, job), g.memoFont, memoWidth);
        const double centre = (job.AreaLeft() + job.AreaRight()) / 2;
        const auto fitting = [&] { return std::max(0, int(std::trunc((job.AreaBottom() - y) / h + kEpsilon))); };
        qsizetype at = 0;
        while (at < lines.size()) {
            int n = fitting();
            if (n == 0) {
                job.BreakPage();
                applyFont(job, g.memoFont);
                n = fitting();
                if (n == 0)
                    throw std::runtime_error("The page has no room for a line of the memo between the header and "
                                             "the footer: the report was stopped.");
            }
            n = int(std::min<qsizetype>(n, lines.size() - at));
            drawFrame(job, g.frames[kMemoBand], job.AreaLeft() - kEighth, y, job.AreaRight() + kEighth,
                      y + n * h + job.DescentHeight());
            job.SetBrush(Qt::white, BrushStyle::bsClear);
            job.MoveCursor(job.AreaLeft(), y);
            job.NextLine();
            for (int i = 0; i < n; ++i, ++at) {
                switch (g.memoAlignment) {
                case 1:
                    job.TextRightAt(lines[at], job.AreaRight());
                    job.NextLine();
                    break;
                case 2:
                    job.TextCenteredAt(lines[at], centre);
                    job.NextLine();
                    break;
                default: job.EmitLine(lines[at]); break;
                }
                y += h;
            }
            y += job.DescentHeight();
            if (at < lines.size()) {
                job.BreakPage();
                applyFont(job, g.memoFont);
            }
        }
    };

    job.OnBeforePrint = [&job] { beforePrint(job); };
    job.OnNewPage = headerFooter;
    bool tallNoted = false;
    const auto loop = [&](const std::function<bool()>& stopped) {
        EventPump pumpEvents;
        job.setMarginLeft(g.left + kEighth);
        job.setMarginRight(g.right + kEighth);
        job.setMarginTop(g.top + g.header);
        job.setMarginBottom(g.bottom + g.footer);
        job.ResetArea();
        job.SetBrush(Qt::white, BrushStyle::bsClear);
        // Every band prints values, never a design placeholder.
        for (TReportPanel* band : bands)
            band->setPrinting(true);
        header.refreshData();
        footer.refreshData();
        started = true;
        headerFooter();
        while (!table.eof() && !stopNow(job, stopped)) {
            if (g.useDetail) {
                // A band taller than the page's room starts a page of its own
                // and runs past the footer; it never waits for a page it fits.
                if (job.AreaBottom() - y < g.detail - kEpsilon && y > job.AreaTop() + kEpsilon)
                    job.BreakPage();
                if (job.AreaBottom() - y < g.detail - kEpsilon && !tallNoted) {
                    tallNoted = true;
                    result.notes << QStringLiteral("The detail band is taller than the room between the header and "
                                                   "the footer: it runs past the footer.");
                }
                drawFrame(job, g.frames[kDetailBand], job.AreaLeft() - kEighth, y, job.AreaRight() + kEighth,
                          y + g.detail);
                detail.refreshData();
                detail.printObjects(printer, g.left + kEighth, y);
                y += g.detail;
            }
            if (g.useMemo)
                printMemo();
            ++result.records;
            if (request.selection.records == PrintRecords::OnlyCurrent)
                break;
            table.next();
            pumpEvents();
            if (request.onePerPage && !table.eof() && !stopNow(job, stopped))
                job.BreakPage();
        }
    };
    result.outcome = runLoop(job, hooks, loop);
    for (TReportPanel* band : bands)
        band->setPrinting(false);
    finish(job, hooks, request.selection.mode, result);
    for (const QString& note : result.notes)
        inform(note);
    return result;
}

// ---- built-in lists --------------------------------------------------------------

namespace {

struct Column {
    double width;
    QString heading;
};

const std::array<std::vector<Column>, 4>& builtInColumns()
{
    static const std::array<std::vector<Column>, 4> columns{{
        {{1.75, QStringLiteral("Name")}, {2.15, QStringLiteral("Address")}, {2, QStringLiteral("City/St/Zip")},
         {1.5, QStringLiteral("Phone")}},
        {{2, QStringLiteral("Name")}, {2.5, QStringLiteral("Organization")}, {1.5, QStringLiteral("Phone")},
         {1.35, QStringLiteral("Fax")}},
        {{2.5, QStringLiteral("Organization")}, {2, QStringLiteral("Name")}, {1.5, QStringLiteral("Phone")},
         {1.35, QStringLiteral("Fax")}},
        {{0.5, QString()}, {2.25, QString()}, {3, QString()}, {1.5, QString()}},
    }};
    return columns;
}

QString trimmedLeft(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString nameText(const AddressTable& a, bool withPrefix)
{
    const QString lname = trimmedLeft(a.text(QStringLiteral("LNAME")));
    const QString fname = trimmedLeft(a.text(QStringLiteral("FNAME")));
    QString middle = trimmedLeft(a.text(QStringLiteral("MIDDLE")));
    if (!middle.isEmpty())
        middle += QLatin1Char('.');
    QString first = fname;
    if (withPrefix) {
        const QString prefix = trimmedLeft(a.text(QStringLiteral("PREFIX")));
        if (!prefix.isEmpty() || !fname.isEmpty())
            first = prefix + QLatin1Char(' ') + fname;
        if (lname.isEmpty() && fname.isEmpty())
            return first + QLatin1Char(' ') + middle;
    }
    return lname + QStringLiteral(", ") + first + QLatin1Char(' ') + middle;
}

} // namespace

ReportRunResult runBuiltInReport(AddressTable& addresses, TBaseReport& job, const BuiltInReportRequest& request,
                                 const ReportRunHooks& hooks)
{
    ReportRunResult result;
    const auto inform = [&hooks](const QString& text) {
        if (hooks.inform)
            hooks.inform(text);
    };
    const int entry = std::clamp(request.entry, 1, 4);
    const std::vector<Column>& columns = builtInColumns()[size_t(entry - 1)];
    xbase::Table& table = addresses.table();
    const auto field = [&addresses](const char* name) { return addresses.text(QLatin1String(name)); };

    TableRestore restore(table);
    xbase::EngineSettings& engine = xbase::engineSettings();
    const bool softSeek = engine.softSeek;
    struct SoftSeekBack {
        xbase::EngineSettings& e;
        bool was;
        ~SoftSeekBack() { e.softSeek = was; }
    } softSeekBack{engine, softSeek};
    try {
        table.selectOrder(entry == 3 ? "ORG" : "LNAME");
        selectPrintRecords(table, restore, request.selection.records, request.selection.startFromCurrent, inform);
        // The lists start at the key "0": records whose key sorts before it
        // (no last name, no organisation) are left out.
        if (entry <= 3 && (!request.selection.startFromCurrent || table.recno() != restore.recno())) {
            engine.softSeek = true;
            table.seek("0");
            engine.softSeek = softSeek;
        }
    } catch (const std::exception& e) {
        inform(QString::fromStdString(e.what()));
        return result;
    }

    // The lists are laid out for the printer's paper upright, whatever a
    // designed report on this job chose.
    job.setOrientation(Orientation::poPortrait);
    const double fontSize = entry == 4 ? 8 : 9;
    int memoWidth = 0;
    const auto setCells = [&] {
        job.ClearTabs();
        bool firstCell = true;
        for (const Column& c : columns) {
            job.AddTab(firstCell ? job.MarginLeft() : -1, kTabLeft, c.width, 2, 0, 0);
            firstCell = false;
        }
    };
    const auto pageHeader = [&] {
        job.ResetArea();
        job.ApplyFont(QStringLiteral("Times New Roman"), 14);
        job.SetBold(true);
        job.CursorHome();
        job.EmitText(request.title);
        job.TextRightAt(QStringLiteral("Page %1").arg(job.CurrentPage()), job.AreaRight());
        job.NextLine();
        job.TextRightAt(timeText(), job.AreaRight());
        job.ApplyFont(QStringLiteral("Arial"), fontSize);
        job.SetBold(true);
        job.MoveCursor(1, job.MarginTop() + (entry == 4 ? 0.5 : 0.8));
        job.NextLine();
        if (entry == 4) {
            job.EmitText(QStringLiteral("\tName\t\tTitle and Organization"));
            job.NextLine();
            job.EmitText(QStringLiteral("\t\tStreet\tCity/State/Zip\tCountry"));
            job.NextLine();
            job.EmitText(QStringLiteral("\t\tPhone,Fax\tEmail\tDate"));
        } else {
            for (const Column& c : columns)
                job.EmitText(QLatin1Char('\t') + c.heading);
        }
        job.SetBold(false);
        job.SetItalic(false);
        job.setAreaTop(job.MarginTop() + 1);
        job.setAreaBottom(job.PageHeight() - job.MarginBottom() - 0.5);
        job.setAreaLeft(job.MarginLeft());
        job.setAreaRight(job.PageWidth() - job.MarginLeft() + job.MarginRight());
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
        job.PenMoveTo(job.AreaLeft(), job.AreaTop());
        job.PenLineTo(job.AreaRight(), job.AreaTop());
        job.PenMoveTo(job.AreaLeft(), job.AreaBottom());
        job.PenLineTo(job.AreaRight(), job.AreaBottom());
        job.CursorHome();
        setCells();   // the first record starts in the first cell again
    };
    const auto newPage = [&] {
        job.BreakPage();
        pageHeader();
    };
    // Text in the next cell, clipped to width less a fifth of an inch.
    const auto cell = [&](const QString& text, double width) {
        job.NextTab();
        if (text.isEmpty())
            return;
        const double x = job.CursorX(), by = job.CursorY(), fh = job.FontHeight();
        job.ClippedText(x, by - fh, x + width - 0.2, by + fh, x, by, text);
    };
    const auto codesAndMemo = [&] {
        const QString codes = field("CODES");
        const double across = job.AreaRight() - job.AreaLeft();
        if (request.codes && !codes.trimmed().isEmpty()) {
            if (job.RemainingLines() == 0)
                newPage();
            job.SaveTabs();
            job.ClearTabs();
            job.AddTab(job.MarginLeft(), kTabLeft, across, 2, 0, 5);
            job.NextTab();
            job.EmitText(QStringLiteral("Codes: ") + codes);
            job.NextLine();
            job.RestoreTabs();
        }
        if (request.memo) {
            const QStringList lines = wrapMemo(readMemo(addresses, result, job), ReportFont{QStringLiteral("Arial"), int(fontSize)}, memoWidth);
            const auto shadedCell = [&] {
                job.SaveTabs();
                job.ClearTabs();
                job.AddTab(job.MarginLeft(), kTabLeft, job.AreaRight() - job.AreaLeft(), 2, 0, 10);
            };
            shadedCell();
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (job.RemainingLines() == 0) {
                    job.RestoreTabs();
                    newPage();
                    shadedCell();
                }
                job.NextTab();
                job.EmitText(lines[i]);
                job.NextLine();
            }
            job.RestoreTabs();
        }
    };

    job.OnBeforePrint = [&job] { beforePrint(job); };
    const auto loop = [&](const std::function<bool()>& stopped) {
        EventPump pumpEvents;
        job.setMarginLeft(1);
        job.setMarginTop(0.5);
        job.setMarginRight(0.5);
        job.setMarginBottom(0.5);
        job.ApplyFont(QStringLiteral("Arial"), fontSize);
        job.SetBold(false);
        job.SetItalic(false);
        job.SetBrush(Qt::white, BrushStyle::bsClear);
        memoWidth = int(std::trunc((job.PageWidth() - 2 * job.MarginLeft() - 0.25) * kReportPixelsPerInch));
        setCells();
        pageHeader();
        while (!table.eof() && !stopNow(job, stopped)) {
            if (entry <= 3) {
                if (job.RemainingLines() == 0)
                    newPage();
                job.SetBold(false);
                const QString name = nameText(addresses, false);
                if (entry == 1) {
                    QString csz;
                    if (!field("CITY").isEmpty())
                        csz += field("CITY") + QStringLiteral(", ");
                    if (!field("STATE").isEmpty())
                        csz += field("STATE") + QStringLiteral("  ");
                    if (!field("ZIP").isEmpty())
                        csz += field("ZIP") + QLatin1Char(' ');
                    const QStringList texts{name, field("STREET"), csz, field("PHONE")};
                    for (int i = 0; i < 4; ++i)
                        cell(texts[i], columns[size_t(i)].width);
                } else {
                    const QStringList texts = entry == 2
                                                  ? QStringList{name, field("ORG"), field("PHONE"), field("FAX")}
                                                  : QStringList{field("ORG"), name, field("PHONE"), field("FAX")};
                    for (int i = 0; i < 4; ++i)
                        cell(texts[i], columns[size_t(i)].width);
                }
                job.NextLine();
                codesAndMemo();
            } else {
                if (job.RemainingLines() < 3)
                    newPage();
                job.SetBold(false);
                const QString title = field("TITLE"), org = field("ORG");
                cell(field("LNAME").isEmpty() ? QString() : nameText(addresses, true), 2.75);
                cell(QString(), 2.25);
                cell(title + (!title.isEmpty() && !org.isEmpty() ? QStringLiteral(", ") : QString()) + org, 4.5);
                job.NextLine();
                QString csz = field("CITY");
                if (!field("STATE").isEmpty())
                    csz += QStringLiteral(", ") + field("STATE");
                if (!field("ZIP").isEmpty())
                    csz += QStringLiteral(", ") + field("ZIP");
                cell(QString(), 0.5);
                cell(field("STREET"), 2.25);
                cell(csz, 3);
                cell(field("COUNTRY"), 1.5);
                job.NextLine();
                QString phones;
                if (!field("PHONE").isEmpty())
                    phones += QStringLiteral("Ph: ") + field("PHONE") + QStringLiteral("  ");
                if (!field("FAX").isEmpty())
                    phones += QStringLiteral("Fax: ") + field("FAX") + QStringLiteral("  ");
                cell(QString(), 0.5);
                cell(phones, 2.25);
                cell(field("EMAIL"), 3);
                cell(addresses.displayDate(), 1.5);
                job.NextLine();
                codesAndMemo();
                if (job.RemainingLines() > 3) {
                    job.SetPen(QColor(192, 192, 192), PenStyle::psSolid, PenMode::pmCopy, 1);
                    job.PenMoveTo(job.MarginLeft(), job.CursorY());
                    job.PenLineTo(job.PageWidth() - job.MarginLeft() + job.MarginRight(), job.CursorY());
                    job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
                    job.NextLine();
                }
            }
            ++result.records;
            if (request.selection.records == PrintRecords::OnlyCurrent)
                break;
            table.next();
            pumpEvents();
        }
    };
    result.outcome = runLoop(job, hooks, loop);
    finish(job, hooks, request.selection.mode, result);
    for (const QString& note : result.notes)
        inform(note);
    return result;
}

// ---- the current record ----------------------------------------------------------

const std::vector<RecordPrintoutField>& recordPrintoutFields()
{
    static const std::vector<RecordPrintoutField> fields{
        {QStringLiteral("Prefix"), QStringLiteral("PREFIX"), QStringLiteral("Prefix")},
        {QStringLiteral("Last"), QStringLiteral("LNAME"), QStringLiteral("Last")},
        {QStringLiteral("First"), QStringLiteral("FNAME"), QStringLiteral("First")},
        {QStringLiteral("Middle"), QStringLiteral("MIDDLE"), QStringLiteral("Middle")},
        {QStringLiteral("Title"), QStringLiteral("TITLE"), QStringLiteral("Title")},
        {QStringLiteral("Organization"), QStringLiteral("ORG"), QStringLiteral("Organization")},
        {QStringLiteral("Address 1"), QStringLiteral("STREET"), QStringLiteral("Address 1")},
        {QStringLiteral("Address 2"), QStringLiteral("STREET2"), QStringLiteral("Address 2")},
        {QStringLiteral("City"), QStringLiteral("CITY"), QStringLiteral("City")},
        {QStringLiteral("State/Province"), QStringLiteral("STATE"), QStringLiteral("State")},
        {QStringLiteral("Zip/Postal Code"), QStringLiteral("ZIP"), QStringLiteral("Zip/Postal")},
        {QStringLiteral("Country"), QStringLiteral("COUNTRY"), QStringLiteral("Country")},
        {QStringLiteral("Phone 1"), QStringLiteral("PHONE"), QStringLiteral("Phone 1")},
        {QStringLiteral("Phone 2"), QStringLiteral("PHONE2"), QStringLiteral("Phone 2")},
        {QStringLiteral("Fax"), QStringLiteral("FAX"), QStringLiteral("Fax")},
        {QStringLiteral("E-mail"), QStringLiteral("EMAIL"), QStringLiteral("E-Mail")},
        {QStringLiteral("Comment 1"), QStringLiteral("USER1"), QStringLiteral("Comment 1")},
        {QStringLiteral("Comment 2"), QStringLiteral("USER2"), QStringLiteral("Comment 2")},
        {QStringLiteral("Codes"), QStringLiteral("CODES"), QStringLiteral("Codes")},
        {QStringLiteral("Date"), QStringLiteral("DisplayDate"), QStringLiteral("Date")},
        {QStringLiteral("Memo"), QStringLiteral("MEMO"), QString()},
    };
    return fields;
}

ReportRunResult runRecordPrintout(AddressTable& addresses, TBaseReport& job, PrintRunMode mode,
                                  const std::vector<bool>& checked, const ReportRunHooks& hooks)
{
    ReportRunResult result;
    const std::vector<RecordPrintoutField>& fields = recordPrintoutFields();
    const auto isChecked = [&checked](size_t i) { return i < checked.size() ? bool(checked[i]) : true; };
    const auto pageHeader = [&] {
        job.setMarginTop(0.5);
        job.ResetArea();
        job.CursorHome();
        job.TextRightAt(QStringLiteral("Page %1").arg(job.CurrentPage()), job.AreaRight());
        job.NextLine();
        job.TextRightAt(timeText(), job.AreaRight());
        job.setMarginTop(1);
        job.ResetArea();
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
        job.PenMoveTo(job.AreaLeft(), job.AreaTop());
        job.PenLineTo(job.AreaRight(), job.AreaTop());
        job.PenMoveTo(job.AreaLeft(), job.AreaBottom());
        job.PenLineTo(job.AreaRight(), job.AreaBottom());
        job.CursorHome();
        job.NextLine();
    };
    job.OnBeforePrint = [&job] { beforePrint(job); };
    const auto loop = [&](const std::function<bool()>&) {
        job.setMarginLeft(1);
        job.setMarginRight(1);
        job.setMarginTop(1);
        job.setMarginBottom(1);
        job.ApplyFont(QStringLiteral("Times New Roman"), 10);
        job.SetBrush(Qt::white, BrushStyle::bsClear);
        job.ClearTabs();
        job.AddTab(1, kTabLeft, 1.25, 2, 0, 0);
        job.AddTab(-1, kTabLeft, 5.25, 2, 0, 0);
        pageHeader();
        for (size_t i = 0; i + 1 < fields.size(); ++i) {
            if (!isChecked(i))
                continue;
            const QString value = fields[i].field == QLatin1String("DisplayDate") ? addresses.displayDate()
                                                                                   : addresses.text(fields[i].field);
            job.NextTab();
            job.SetBold(true);
            job.EmitText(fields[i].label);
            job.NextTab();
            job.SetBold(false);
            job.EmitText(value);
            job.NextLine();
        }
        job.NextLine();
        if (isChecked(fields.size() - 1)) {
            job.SetItalic(true);
            const int width = int(std::trunc((job.PageWidth() - 2) * kReportPixelsPerInch));
            const QStringList lines =
                wrapMemo(readMemo(addresses, result, job), ReportFont{QStringLiteral("Times New Roman"), 10}, width);
            const double across = job.AreaRight() - job.AreaLeft();
            const auto plainCell = [&] {
                job.ClearTabs();
                job.AddTab(job.MarginLeft(), kTabLeft, across, 2, 0, 0);
            };
            job.SaveTabs();
            if (!lines.isEmpty()) {
                job.ClearTabs();
                job.AddTab(job.MarginLeft(), kTabLeft, across, 2, kBoxBottom, 0);
                job.NextTab();
                job.NextLine();
                plainCell();
            }
            // A line goes on the page only when it ends clear of the rule
            // along the area's bottom (half the rule's width and a hair).
            const auto clearsRule = [&] {
                return job.CursorY() + job.DescentHeight() <= job.AreaBottom() - 0.02;
            };
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (!clearsRule()) {
                    job.RestoreTabs();
                    job.SetItalic(false);
                    job.BreakPage();
                    pageHeader();
                    job.SaveTabs();
                    job.SetItalic(true);
                    plainCell();
                }
                job.NextTab();
                job.EmitText(lines[i]);
                job.NextLine();
            }
            job.RestoreTabs();
            job.SetItalic(false);
        }
        result.records = 1;
    };
    result.outcome = runLoop(job, hooks, loop);
    finish(job, hooks, mode, result);
    return result;
}

} // namespace qb
