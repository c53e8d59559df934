// Report runs printed to PDF and read back with pdftotext: a designed report's
// bands over a thousand records, a memo flowing across a page break, one
// record a page, a damaged memo; the four built-in lists; the record printout.

#include "report_fixture.h"

#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"
#include "core/system_tables.h"
#include "reports/report_catalogue.h"
#include "reports/report_printing.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

namespace qb {
namespace {

constexpr double kTolerance = 0.01;

class ReportPrinting : public test::ReportFixture {
protected:
    void SetUp() override
    {
        test::ReportFixture::SetUp();
        setReportClockForTesting([] { return QDateTime(QDate(2026, 3, 4), QTime(14, 5, 6)); });
    }
    void TearDown() override { setReportClockForTesting({}); }

    QString pdf(const char* name) const { return dir.filePath(name); }

    void addNamed(int n)
    {
        for (int i = 1; i <= n; ++i)
            test::addRow(table.table(), {{"LNAME", QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')).toStdString()}});
    }

    // Header 0.5 in, detail 0.25 in, footer 0.5 in, Letter with half-inch margins.
    ReportLayout threeBands()
    {
        text(header, "HEADMARK", QRect(0, 10, 200, 20));
        field(detail, "LNAME", "Last Name", QRect(0, 0, 150, 20));
        text(footer, "FOOTMARK", QRect(0, 10, 200, 20));
        ReportLayout l;
        l.headerHeight = 48;
        l.detailHeight = 24;
        l.footerHeight = 48;
        l.useFooter = true;
        return l;
    }

    ReportRunResult printUser(const QString& path, const ReportLayout& layout, UserReportRequest request = {})
    {
        ready();
        TReportPrinter job;
        test::setUpPdfJob(job, path);
        ReportRunHooks hooks;
        hooks.inform = [this](const QString& t) { informed << t; };
        return runUserReport(table, bands(), layout, job, request, hooks);
    }

    ReportRunResult printBuiltIn(const QString& path, BuiltInReportRequest request)
    {
        ready();
        TReportPrinter job;
        test::setUpPdfJob(job, path);
        return runBuiltInReport(table, job, request, {});
    }

    QTemporaryDir dir;
    QStringList informed;
};

TEST_F(ReportPrinting, ThreeBandsOverAThousandRecords)
{
    addNamed(1000);
    const ReportRunResult r = printUser(pdf("roster.pdf"), threeBands());
    EXPECT_EQ(r.outcome, PrintOutcome::Completed);
    EXPECT_EQ(r.records, 1000);
    // The area between header and footer is 11 - 1 - 1 = 9 inches: 36 details a page.
    const int pages = int(std::ceil(1000 / 36.0));
    EXPECT_EQ(r.pages, pages);
    const test::PdfText text = test::readPdf(pdf("roster.pdf"));
    ASSERT_EQ(text.pages, pages);

    const test::PdfWord* head1 = text.find("HEADMARK", 1);
    const test::PdfWord* foot1 = text.find("FOOTMARK", 1);
    ASSERT_TRUE(head1 && foot1);
    // The header band starts at the top margin, the footer band 0.5 in above the bottom one.
    EXPECT_GT(head1->top, 0.5 + 10 / 96.0 - 0.05);
    EXPECT_LT(head1->bottom, 1.0);
    EXPECT_GT(foot1->top, 10.0);
    EXPECT_LT(foot1->bottom, 10.5);
    int record = 0;
    double lastTop = 0;
    for (int page = 1; page <= pages; ++page) {
        const test::PdfWord* h = text.find("HEADMARK", page);
        const test::PdfWord* f = text.find("FOOTMARK", page);
        ASSERT_TRUE(h && f) << page;
        EXPECT_NEAR(h->top, head1->top, kTolerance) << page;
        EXPECT_NEAR(h->left, head1->left, kTolerance) << page;
        EXPECT_NEAR(f->top, foot1->top, kTolerance) << page;
        int onPage = 0;
        for (const test::PdfWord& w : text.words) {
            if (w.page != page || !w.text.startsWith('N'))
                continue;
            ++record;
            ++onPage;
            ASSERT_EQ(w.text, QStringLiteral("N%1").arg(record, 4, 10, QLatin1Char('0')));
            if (onPage == 1)
                EXPECT_NEAR(w.top - h->top, 0.5 - 10 / 96.0, kTolerance) << page;   // the first detail right under the header
            else
                EXPECT_NEAR(w.top - lastTop, 0.25, kTolerance) << w.text.toStdString();
            lastTop = w.top;
        }
        EXPECT_EQ(onPage, page < pages ? 36 : 1000 - 36 * (pages - 1));
    }
    EXPECT_EQ(record, 1000);
}

// Tall headers and footers the designer accepts (header + detail + footer
// within the 10 inches between Letter's half-inch margins) print at their
// designed heights: the detail starts at top margin + header height, the
// footer at page height - bottom margin - footer height. Marks sit at the top
// of each band in one font, so their tops differ by the bands' offsets.
TEST_F(ReportPrinting, TallHeaderAndFooterPrintAsDesigned)
{
    struct Case {
        const char* what;
        int header, detail, footer;   // pixels, 96 to the inch
    };
    test::addRow(table.table(), {{"LNAME", "DETAILMARK"}});
    for (const Case& c : {Case{"5 in header", 480, 24, 0}, Case{"5 in footer", 48, 24, 480},
                          Case{"both 4.5 in", 432, 96, 432}}) {
        SCOPED_TRACE(c.what);
        for (TReportPanel* p : bands())
            p->clearObjects();
        text(header, "HEADMARK", QRect(0, 0, 200, 20));
        field(detail, "LNAME", "Last Name", QRect(0, 0, 200, 20));
        text(footer, "FOOTMARK", QRect(0, 0, 200, 20));
        ReportLayout l;
        l.headerHeight = c.header;
        l.detailHeight = c.detail;
        l.footerHeight = c.footer;
        l.useFooter = c.footer > 0;
        ASSERT_LE(c.header + c.detail + c.footer, 960);   // 11 - 0.5 - 0.5 inches
        const ReportRunResult r = printUser(pdf("tall.pdf"), l);
        EXPECT_EQ(r.outcome, PrintOutcome::Completed);
        EXPECT_TRUE(r.notes.isEmpty()) << r.notes.join('\n').toStdString();
        const test::PdfText t = test::readPdf(pdf("tall.pdf"));
        const test::PdfWord* head = t.find("HEADMARK", 1);
        const test::PdfWord* mark = t.find("DETAILMARK", 1);
        ASSERT_TRUE(head && mark);
        EXPECT_NEAR(mark->top - head->top, c.header / 96.0, kTolerance);
        if (c.footer > 0) {
            const test::PdfWord* foot = t.find("FOOTMARK", 1);
            ASSERT_TRUE(foot);
            EXPECT_NEAR(foot->top - head->top, (11 - 0.5 - c.footer / 96.0) - 0.5, kTolerance);
        }
    }
}

// Every band prints in printing mode: a data field that reached the header
// (bands handed in as they are) prints no design text, only values.
TEST_F(ReportPrinting, EveryBandPrintsValuesNeverDesignText)
{
    addNamed(2);
    ReportLayout l = threeBands();
    put(header, "TKPDLabel", QRect(300, 0, 100, 20));
    put(footer, "TKPDLabel", QRect(300, 0, 100, 20));
    const QString creation = header->designObjects().back()->stringValue("Caption");
    ASSERT_FALSE(creation.isEmpty());
    EXPECT_EQ(printUser(pdf("values.pdf"), l).outcome, PrintOutcome::Completed);
    const test::PdfText t = test::readPdf(pdf("values.pdf"));
    EXPECT_TRUE(t.find("N0002"));
    EXPECT_FALSE(t.find(creation)) << creation.toStdString();
}

// A built-in list printed on the job a landscape A4 report used comes out on
// the printer's own paper (Letter here) in portrait; pdfinfo reads the size.
TEST_F(ReportPrinting, BuiltInListAfterALandscapeReportIsOnThePrintersPaper)
{
    addNamed(3);
    ready();
    TReportPrinter job;
    test::setUpPdfJob(job, pdf("landscape.pdf"));
    ReportLayout wide = threeBands();
    wide.setPaper(ReportPaper::A4, true);
    EXPECT_EQ(runUserReport(table, bands(), wide, job, {}, {}).outcome, PrintOutcome::Completed);
    job.setPdfFileName(pdf("list.pdf"));
    ready();
    EXPECT_EQ(runBuiltInReport(table, job, {}, {}).outcome, PrintOutcome::Completed);
    const auto pageSize = [](const QString& file) {
        const QString info = test::run("pdfinfo", {file});
        const QRegularExpressionMatch m = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(info);
        return std::pair{m.captured(1).toDouble(), m.captured(2).toDouble()};
    };
    const auto [landW, landH] = pageSize(pdf("landscape.pdf"));
    EXPECT_NEAR(landW, 11.69 * 72, 1);   // the designed report: A4 across
    EXPECT_NEAR(landH, 8.27 * 72, 1);
    const auto [w, h] = pageSize(pdf("list.pdf"));
    EXPECT_NEAR(w, 612, 1);
    EXPECT_NEAR(h, 792, 1);
}

// The memo's lines stay inside its frame, which runs from the left margin to
// the right one: 8.5 - 0.5 inches on Letter.
TEST_F(ReportPrinting, MemoTextStaysInsideItsFrame)
{
    QString memo;
    for (int i = 0; i < 120; ++i)
        memo += QStringLiteral("word%1 ").arg(i);
    test::addRow(table.table(), {{"LNAME", "Adams"}, {"MEMO", memo.toStdString()}});
    ReportLayout l = threeBands();
    l.useMemo = true;
    l.frames[kMemoBand].left = l.frames[kMemoBand].right = true;
    for (const int alignment : {0, 1, 2}) {
        SCOPED_TRACE(alignment);
        l.memoAlignment = alignment;
        EXPECT_EQ(printUser(pdf("memo.pdf"), l).outcome, PrintOutcome::Completed);
        const test::PdfText t = test::readPdf(pdf("memo.pdf"));
        double right = 0, left = 99;
        for (const test::PdfWord& w : t.words)
            if (w.text.startsWith("word")) {
                right = std::max(right, w.right);
                left = std::min(left, w.left);
            }
        EXPECT_LE(right, 8.0);
        EXPECT_GT(right, 7.0);   // the lines are full, not merely short
        EXPECT_GE(left, 0.5);
    }
}

TEST_F(ReportPrinting, LongMemoFlowsOntoTheNextPageWithoutLosingALine)
{
    QString memo;
    for (int i = 1; memo.size() < 3000; ++i)
        memo += QStringLiteral("w%1 ").arg(i, 4, 10, QLatin1Char('0'));
    ASSERT_GE(memo.size(), 3000);
    test::addRow(table.table(), {{"LNAME", "Adams"}, {"MEMO", memo.toStdString()}});
    test::addRow(table.table(), {{"LNAME", "Baker"}});
    ReportLayout layout = threeBands();
    layout.useMemo = true;
    layout.memoFont.size = 24;   // big enough for 3,000 characters to need two pages
    layout.frames[kMemoBand].left = layout.frames[kMemoBand].bottom = true;
    const ReportRunResult r = printUser(pdf("memo.pdf"), layout);
    EXPECT_EQ(r.outcome, PrintOutcome::Completed);
    const test::PdfText text = test::readPdf(pdf("memo.pdf"));
    ASSERT_GE(text.pages, 2);
    QStringList words;
    for (const test::PdfWord& w : text.words)
        if (w.text.startsWith('w'))
            words << w.text;
    const QStringList expected = memo.split(' ', Qt::SkipEmptyParts);
    EXPECT_EQ(words, expected);
    // Every page has header and footer, the memo's lines stay inside the area between them.
    for (int page = 1; page <= text.pages; ++page) {
        ASSERT_TRUE(text.find("HEADMARK", page) && text.find("FOOTMARK", page)) << page;
        for (const test::PdfWord& w : text.words)
            if (w.page == page && w.text.startsWith('w')) {
                EXPECT_GT(w.top, 1.0 - kTolerance);
                EXPECT_LT(w.bottom, 10.0 + kTolerance);
            }
    }
    // The next record follows the memo's end on the last page.
    EXPECT_TRUE(text.find("Baker", text.pages));
}

TEST_F(ReportPrinting, OneRecordPerPageAndOnlyTheCurrentRecord)
{
    addNamed(5);
    UserReportRequest request;
    request.onePerPage = true;
    EXPECT_EQ(printUser(pdf("each.pdf"), threeBands(), request).pages, 5);
    const test::PdfText text = test::readPdf(pdf("each.pdf"));
    ASSERT_EQ(text.pages, 5);
    for (int page = 1; page <= 5; ++page) {
        EXPECT_TRUE(text.find("HEADMARK", page) && text.find("FOOTMARK", page));
        EXPECT_TRUE(text.find(QStringLiteral("N%1").arg(page, 4, 10, QLatin1Char('0')), page));
    }
    ready();
    table.table().next();
    table.table().next();
    UserReportRequest one;
    one.selection.records = PrintRecords::OnlyCurrent;
    TReportPrinter job;
    test::setUpPdfJob(job, pdf("one.pdf"));
    const uint32_t at = table.table().recno();
    EXPECT_EQ(runUserReport(table, bands(), threeBands(), job, one, {}).records, 1);
    EXPECT_EQ(table.table().recno(), at);   // put back
    const test::PdfText single = test::readPdf(pdf("one.pdf"));
    QStringList names;
    for (const test::PdfWord& w : single.words)
        if (w.text.startsWith('N'))
            names << w.text;
    EXPECT_EQ(names, QStringList{"N0003"});
}

// Bands no page can hold are cut and named; a memo that then finds no room
// for a single line stops the run, and a run that stops early is a failure:
// the status line says why, nothing reaches the printer, qbtool exits 1.
TEST_F(ReportPrinting, BandsTallerThanThePageEndInsteadOfLooping)
{
    addNamed(3);
    ReportLayout layout = threeBands();
    layout.headerHeight = layout.footerHeight = 30000;   // clamped
    layout.detailHeight = 30000;
    layout.useMemo = true;
    layout.memoFont.size = 400;
    test::addRow(table.table(), {{"LNAME", "Memo"}, {"MEMO", "one line\r\ntwo lines"}});
    ready();
    TReportPrinter job;
    test::setUpPdfJob(job, pdf("tall.pdf"));
    ReportRunHooks hooks;
    hooks.inform = [this](const QString& t) { informed << t; };
    QString status;
    hooks.runStatus = [&](TBaseReport& j, PrintStatusTexts texts,
                          const std::function<void(const std::function<bool()>&)>& loop) {
        PrintStatusLoop window(j, PrintRunMode::Print, texts);
        j.OnPrint = [&] { loop({}); };
        const PrintOutcome outcome = window.run();
        status = j.statusLine();
        return outcome;
    };
    const ReportRunResult r = runUserReport(table, bands(), layout, job, {}, hooks);
    EXPECT_EQ(r.outcome, PrintOutcome::Failed);
    const QString reason = "The page has no room for a line of the memo between the header and the footer";
    EXPECT_TRUE(status.contains("Printing Failed!")) << status.toStdString();
    EXPECT_TRUE(status.contains(reason)) << status.toStdString();
    EXPECT_FALSE(status.contains("Completed"));
    EXPECT_FALSE(QFile::exists(pdf("tall.pdf")));
    EXPECT_GE(r.notes.size(), 3);   // header, footer and detail cut
    EXPECT_FALSE(informed.isEmpty());
}

TEST_F(ReportPrinting, UnreadableMemoPrintsEmptyAndSaysSo)
{
    test::addRow(table.table(), {{"LNAME", "Adams"}, {"MEMO", "Some notes"}});
    table.close();
    // The memo pointer of the record now points far past the memo file's end.
    QFile dbf(program.data("add0001.DBF"));
    ASSERT_TRUE(dbf.open(QIODevice::ReadWrite));
    const QByteArray all = dbf.readAll();
    const int headerLength = uchar(all[8]) | uchar(all[9]) << 8;
    int offset = 1, memoOffset = -1;
    for (int f = 32; all[f] != 0x0D; f += 32) {
        if (all.mid(f, 4) == "MEMO") {
            memoOffset = offset;
            break;
        }
        offset += uchar(all[f + 16]);
    }
    ASSERT_GT(memoOffset, 0);
    dbf.seek(headerLength + memoOffset);
    const char far[4] = {char(0x00), char(0x00), char(0xFF), char(0x7F)};
    dbf.write(far, 4);
    dbf.close();
    ASSERT_TRUE(table.open(program.data("add0001.DBF")));
    ReportLayout layout = threeBands();
    layout.useMemo = true;
    const ReportRunResult r = printUser(pdf("damaged.pdf"), layout);
    EXPECT_EQ(r.outcome, PrintOutcome::Completed);
    EXPECT_EQ(r.records, 1);
    ASSERT_EQ(r.notes.size(), 1);
    EXPECT_TRUE(r.notes[0].startsWith("The memo of record 1 could not be read")) << r.notes[0].toStdString();
    EXPECT_TRUE(test::readPdf(pdf("damaged.pdf")).find("Adams"));
}

// The status window's Cancel (the job aborted) and Stop are looked at after
// every record: the run ends at the record it was on. A cancelled print leaves
// no file; a stopped run keeps the pages printed so far.
TEST_F(ReportPrinting, CancelAndStopEndTheRunAfterTheRecordInHand)
{
    addNamed(300);
    const ReportLayout layout = threeBands();
    enum class Run { Designed, BuiltIn };
    enum class Press { Cancel, Stop };
    struct Case {
        Run run;
        Press press;
    };
    for (const Case c : {Case{Run::Designed, Press::Cancel}, Case{Run::Designed, Press::Stop},
                         Case{Run::BuiltIn, Press::Cancel}, Case{Run::BuiltIn, Press::Stop}}) {
        SCOPED_TRACE(int(c.run) * 2 + int(c.press));
        const QString path = pdf("stopped.pdf");
        QFile::remove(path);
        ready();
        TReportPrinter job;
        test::setUpPdfJob(job, path);
        // Answers "stop?" with no 120 times, then presses the button.
        int asked = 0;
        ReportRunHooks hooks;
        hooks.runStatus = [&](TBaseReport& j, PrintStatusTexts, const std::function<void(const std::function<bool()>&)>& loop) {
            j.OnPrint = [&] {
                loop([&] {
                    if (++asked <= 120)
                        return false;
                    // Cancel aborts the job from the status window between
                    // two records, as its click does.
                    if (c.press == Press::Cancel)
                        j.AbortJob();
                    return c.press == Press::Stop || j.Aborted();
                });
            };
            const bool ok = j.RunJob();
            return j.Aborted() ? PrintOutcome::Aborted : !ok ? PrintOutcome::Failed
                   : c.press == Press::Stop ? PrintOutcome::Stopped : PrintOutcome::Completed;
        };
        BuiltInReportRequest list;
        const ReportRunResult r = c.run == Run::Designed ? runUserReport(table, bands(), layout, job, {}, hooks)
                                                         : runBuiltInReport(table, job, list, hooks);
        EXPECT_EQ(r.records, 120);
        if (c.press == Press::Cancel) {
            EXPECT_EQ(r.outcome, PrintOutcome::Aborted);
            EXPECT_FALSE(QFile::exists(path));
        } else {
            // The built-in list prints the last name with a comma before the first.
            const QString comma = c.run == Run::BuiltIn ? QStringLiteral(",") : QString();
            const test::PdfText text = test::readPdf(path);
            EXPECT_TRUE(text.find("N0120" + comma));
            EXPECT_FALSE(text.find("N0121" + comma));
        }
    }
}

TEST_F(ReportPrinting, BuiltInListsColumnsOrderAndHeadings)
{
    for (int i = 60; i >= 1; --i)
        test::addRow(table.table(), {{"LNAME", QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0')).toStdString()},
                                     {"FNAME", "Ann"}, {"STREET", "1 Main"}, {"CITY", "Dayton"}, {"STATE", "OH"},
                                     {"ZIP", "45401"}, {"PHONE", "555-0100"}, {"ORG", i % 2 ? "Acme" : ""},
                                     {"CODES", "VIP"}, {"MEMO", "first memo line"}});
    test::addRow(table.table(), {{"LNAME", ""}, {"FNAME", "Nobody"}, {"ORG", "Zed"}});

    BuiltInReportRequest one;
    one.title = "Members";
    one.codes = true;
    one.memo = true;
    EXPECT_EQ(printBuiltIn(pdf("one.pdf"), one).records, 60);   // the empty last name is left out
    const test::PdfText text = test::readPdf(pdf("one.pdf"));
    ASSERT_GE(text.pages, 2);
    const test::PdfWord* first = text.find("L01,", 1);
    ASSERT_TRUE(first);
    struct Column {
        const char* word;
        double left;
    };
    // Cells follow each other from the left margin of 1 inch, 2 hundredths in.
    for (const Column& c : {Column{"L01,", 1.02}, Column{"1", 2.77}, Column{"Dayton,", 4.92}, Column{"555-0100", 6.92}}) {
        const test::PdfWord* w = nullptr;
        for (const test::PdfWord& each : text.words)
            if (each.page == 1 && each.text == c.word && std::abs(each.top - first->top) < kTolerance)
                w = &each;
        ASSERT_TRUE(w) << c.word;
        EXPECT_NEAR(w->left, c.left, 0.02) << c.word;
    }
    for (int page = 1; page <= text.pages; ++page) {
        for (const char* heading : {"Name", "Address", "City/St/Zip", "Phone", "Members"})
            EXPECT_TRUE(text.find(heading, page)) << heading << " on " << page;
        EXPECT_TRUE(text.find(QString::number(page), page));
        EXPECT_TRUE(text.find("2:05:06", page));
    }
    QStringList names;
    for (const test::PdfWord& w : text.words)
        if (w.text.startsWith('L') && w.text.endsWith(','))
            names << w.text;
    ASSERT_EQ(names.size(), 60);
    for (int i = 1; i < 60; ++i)
        EXPECT_LT(names[i - 1], names[i]);
    int codes = 0, memos = 0;
    for (const test::PdfWord& w : text.words) {
        codes += w.text == "Codes:";
        memos += w.text == "memo";
    }
    EXPECT_EQ(codes, 60);
    EXPECT_EQ(memos, 60);

    // Entry 3 by organisation: records without one are left out.
    BuiltInReportRequest three;
    three.entry = 3;
    EXPECT_EQ(printBuiltIn(pdf("three.pdf"), three).records, 31);
    const test::PdfText orgs = test::readPdf(pdf("three.pdf"));
    const test::PdfWord* acme = orgs.find("Acme", 1);
    const test::PdfWord* zed = orgs.find("Zed");
    ASSERT_TRUE(acme && zed);
    EXPECT_NEAR(acme->left, 1.02, 0.02);
    EXPECT_TRUE(orgs.find("Organization", 1));
}

TEST_F(ReportPrinting, BuiltInFourNeverStartsARecordWithoutThreeLines)
{
    for (int i = 1; i <= 40; ++i)
        test::addRow(table.table(), {{"LNAME", QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')).toStdString()},
                                     {"FNAME", "Bo"}, {"TITLE", "Chair"}, {"ORG", "Club"}, {"STREET", "2 Elm"},
                                     {"CITY", "Troy"}, {"COUNTRY", "USA"}, {"PHONE", "555"}, {"EMAIL", "r@x.org"}});
    test::addRow(table.table(), {{"LNAME", ""}, {"FNAME", "Kept"}});
    BuiltInReportRequest four;
    four.entry = 4;
    EXPECT_EQ(printBuiltIn(pdf("four.pdf"), four).records, 41);   // no start key for entry 4
    const test::PdfText text = test::readPdf(pdf("four.pdf"));
    ASSERT_GE(text.pages, 2);
    for (int page = 1; page <= text.pages; ++page) {
        EXPECT_TRUE(text.find("Street", page) && text.find("Email", page));
        // Each record's three lines stay on one page.
        for (const test::PdfWord& w : text.words)
            if (w.page == page && w.text.startsWith("R") && w.text.endsWith(',')) {
                bool street = false, email = false;
                for (const test::PdfWord& o : text.words)
                    if (o.page == page && o.top > w.top && o.top < w.top + 0.5) {
                        street |= o.text == "Elm";
                        email |= o.text == "r@x.org";
                    }
                EXPECT_TRUE(street && email) << w.text.toStdString();
            }
    }
    EXPECT_TRUE(text.find("Ph:") && text.find("Chair,"));
}

TEST_F(ReportPrinting, RecordPrintoutListsEveryField)
{
    test::Row row;
    for (const RecordPrintoutField& f : recordPrintoutFields())
        if (f.field != "DisplayDate" && f.field != "MEMO")
            row[f.field.toStdString()] = ("v" + f.field.toLower()).toStdString();
    row["DATE"] = "20260304";
    QString memo;
    for (int i = 1; i <= 200; ++i)
        memo += QStringLiteral("m%1\r\n").arg(i, 3, 10, QLatin1Char('0'));
    row["MEMO"] = memo.toStdString();
    test::addRow(table.table(), row);
    ready();
    TReportPrinter job;
    test::setUpPdfJob(job, pdf("record.pdf"));
    const ReportRunResult r = runRecordPrintout(table, job, PrintRunMode::Print, {}, {});
    EXPECT_EQ(r.outcome, PrintOutcome::Completed);
    const test::PdfText text = test::readPdf(pdf("record.pdf"));
    ASSERT_GE(text.pages, 2);   // 200 memo lines run onto a second page
    const test::PdfWord* label = text.find("Prefix", 1);
    ASSERT_TRUE(label);
    EXPECT_NEAR(label->left, 1.02, 0.02);
    double lastTop = 0;
    for (const RecordPrintoutField& f : recordPrintoutFields()) {
        if (f.field == "MEMO")
            continue;
        const QString value = f.field == "DisplayDate" ? table.displayDate() : table.text(f.field);
        const test::PdfWord* v = text.find(value.split(' ').front(), 1);
        ASSERT_TRUE(v) << f.field.toStdString();
        EXPECT_NEAR(v->left, 2.27, 0.02) << f.field.toStdString();
        EXPECT_GT(v->top, lastTop);
        lastTop = v->top;
    }
    QStringList lines;
    for (const test::PdfWord& w : text.words)
        if (w.text.startsWith('m') && w.text.size() == 4)
            lines << w.text;
    ASSERT_EQ(lines.size(), 200);
    EXPECT_EQ(lines.front(), "m001");
    EXPECT_EQ(lines.back(), "m200");
    for (int page = 1; page <= text.pages; ++page)
        EXPECT_TRUE(text.find(QString::number(page), page));
    // The rule along the area's bottom (11 - 1 inches) stays clear of the
    // memo's last line on each page, descenders and all.
    for (const test::PdfWord& w : text.words)
        if (w.text.startsWith('m') && w.text.size() == 4) {
            EXPECT_LT(w.bottom, 10.0 - 0.01) << w.text.toStdString();
        }

    // With every box cleared only the header and lines remain.
    TReportPrinter bare;
    test::setUpPdfJob(bare, pdf("bare.pdf"));
    runRecordPrintout(table, bare, PrintRunMode::Print, std::vector<bool>(recordPrintoutFields().size(), false), {});
    const test::PdfText empty = test::readPdf(pdf("bare.pdf"));
    EXPECT_EQ(empty.pages, 1);
    EXPECT_EQ(empty.words.size(), 4u);   // "Page", "1" and the time
}

TEST_F(ReportPrinting, QbtoolPrintsAStoredReportAndTheBuiltInLists)
{
    addNamed(50);
    test::addRow(table.table(), {{"LNAME", "Gone"}, {"ISDEL", "T"}});
    const ReportLayout layout = threeBands();
    const auto store = [this](const char* description, const ReportLayout& l) {
        std::unique_ptr<xbase::Table> rows = openSystemTable(SystemTable::Report, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(rows);
        ReportCatalogue catalogue(*rows);
        ReportRecord record;
        record.isNew = true;
        record.description = description;
        ASSERT_TRUE(catalogue.save(record, [&](const QString& path) { saveReportFile(bands(), l, path); }));
    };
    store("Roster", layout);
    table.close();
    const auto qbtool = [this](const QStringList& args) {
        QProcess p;
        p.start(QB_QBTOOL, QStringList{"report", program.data("add0001.DBF")} + args +
                               QStringList{"--program", program.folder()});
        p.waitForFinished(120000);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        return std::pair{p.exitCode(), p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : err};
    };
    const auto [status, out] = qbtool({"roster", pdf("tool.pdf")});
    EXPECT_EQ(status, 0) << out.toStdString();
    EXPECT_EQ(out, "50 records, 2 pages\n");
    EXPECT_TRUE(test::readPdf(pdf("tool.pdf")).find("N0050", 2));

    const auto [listStatus, listOut] = qbtool({pdf("list.pdf"), "--builtin", "2", "--title", "Phones", "--filter", "LNAME<'N0011'"});
    EXPECT_EQ(listStatus, 0) << listOut.toStdString();
    EXPECT_EQ(listOut, "10 records, 1 pages\n");
    EXPECT_TRUE(test::readPdf(pdf("list.pdf")).find("Phones", 1));

    // A run that stops early fails, with its reason.
    ReportLayout crowded = layout;
    crowded.headerHeight = crowded.footerHeight = 480;   // all of the area between the margins
    crowded.detailHeight = 0;
    crowded.useDetail = false;
    crowded.useMemo = true;
    store("Crowded", crowded);
    ASSERT_TRUE(table.open(program.data("add0001.DBF")));
    test::addRow(table.table(), {{"LNAME", "Memo"}, {"MEMO", "a line"}});
    table.close();
    const auto [stopStatus, stopOut] = qbtool({"crowded", pdf("stop.pdf")});
    EXPECT_EQ(stopStatus, 1);
    EXPECT_TRUE(stopOut.contains("no room for a line of the memo")) << stopOut.toStdString();
    EXPECT_FALSE(QFile::exists(pdf("stop.pdf")));

    // A damaged report file stops with the reader's message.
    QFile f(ReportCatalogue::reportPath("BIN00001.R"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\x01TPF0\x08TKPLabel\x01" "A\x04Left\x02");
    f.close();
    const auto [badStatus, badOut] = qbtool({"BIN00001.R", pdf("bad.pdf")});
    EXPECT_EQ(badStatus, 1);
    EXPECT_TRUE(badOut.contains("Stream read error")) << badOut.toStdString();
    EXPECT_FALSE(QFile::exists(pdf("bad.pdf")));
    EXPECT_NE(qbtool({pdf("x.pdf"), "--builtin", "5"}).first, 0);
}

// The commands that print stored designs read their catalogue and never
// write it: a damaged one is named on stderr with exit status 1 (no box that
// waits for a click), a missing one is not created.
TEST_F(ReportPrinting, QbtoolNeverWaitsOnACatalogueAndNeverCreatesOne)
{
    addNamed(1);
    table.close();
    struct Case {
        const char* command;
        const char* catalogue;
    };
    for (const Case c : {Case{"report", "REPORT.DBF"}, Case{"labels", "LABEL.DBF"}, Case{"envelopes", "ENVELOPE.DBF"}}) {
        SCOPED_TRACE(c.command);
        const QString path = program.folder() + "sysdata/" + c.catalogue;
        const auto run = [&] {
            QProcess p;
            p.start(QB_QBTOOL, {c.command, program.data("add0001.DBF"), "Any", pdf("out.pdf"), "--program",
                                program.folder()});
            const bool finished = p.waitForFinished(30000);
            if (!finished) {
                p.kill();
                p.waitForFinished();
            }
            return std::tuple{finished, p.exitCode(), QString::fromUtf8(p.readAllStandardError()),
                              QString::fromUtf8(p.readAllStandardOutput())};
        };
        QFile::remove(path);
        const auto [missingEnded, missingStatus, missingErr, missingOut] = run();
        EXPECT_TRUE(missingEnded);
        EXPECT_EQ(missingStatus, 1);
        EXPECT_TRUE(missingErr.contains(c.catalogue)) << missingErr.toStdString();
        EXPECT_TRUE(missingOut.isEmpty());
        EXPECT_FALSE(QFile::exists(path));

        QFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a table at all");
        damaged.close();
        const auto [damagedEnded, damagedStatus, damagedErr, damagedOut] = run();
        EXPECT_TRUE(damagedEnded);
        EXPECT_EQ(damagedStatus, 1);
        EXPECT_TRUE(damagedErr.contains(c.catalogue)) << damagedErr.toStdString();
        EXPECT_TRUE(damagedOut.isEmpty());
        QFile::remove(path);
    }
}

} // namespace
} // namespace qb
