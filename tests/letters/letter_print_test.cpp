// Letter runs printed into PDF files and read back: the records chosen, the
// copies and pages of each letter, the status, a cancelled run.

#include "letters/letter_print_loop.h"

#include "letter_fixture.h"
#include "mainwindow/window_test_support.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QFile>
#include <QProcess>

namespace qb {
namespace {

class LetterPrinting : public test::LetterFixture {
protected:
    struct Run {
        PrintOutcome outcome;
        int letters, pages;
        QStringList status;
    };

    Run print(const QString& rtf, int copies, bool onlyCurrent, const QString& pdf,
              const std::function<void(LetterPrintLoop&)>& prepare = {})
    {
        richtext::RichText letter;
        letter.setRtf(rtf);
        TReportPrinter job;
        job.SelectPrinterByName(QStringLiteral("PDF file"));
        job.setPdfFileName(pdf);
        LetterPrintLoop loop(addresses.table(), letter, copies, onlyCurrent);
        Run run{};
        loop.status = [&run](const QString& s) { run.status << s; };
        loop.today = QDate(2024, 3, 1);
        if (prepare)
            prepare(loop);
        run.outcome = loop.run(job);
        run.letters = loop.letters();
        run.pages = loop.pages();
        return run;
    }

    QString pdf(const char* name) const { return program.folder() + name; }
};

TEST_F(LetterPrinting, EachRecordsLetterAsManyTimesAsAsked)
{
    add({{{"FNAME", "Ann"}, {"LNAME", "Adams"}}, {{"FNAME", "Bob"}, {"LNAME", "Baker"}}});
    const Run run = print(test::rtfLetter({"Dear [First] [Last],"}), 2, false, pdf("two.pdf"));
    EXPECT_EQ(run.outcome, PrintOutcome::Completed);
    EXPECT_EQ(run.letters, 4);
    EXPECT_EQ(run.pages, 4);
    EXPECT_EQ(run.status, QStringList({"Printing page 2", "Printing page 4"}));

    const test::PdfText text = test::readPdf(pdf("two.pdf"));
    ASSERT_EQ(text.pages, 4);
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(text.wordsOf(page).join(' '), page <= 2 ? "Dear Ann Adams," : "Dear Bob Baker,") << page;
    // The letter stands inside the template's margins on a Letter page.
    const test::PdfWord* dear = text.find("Dear", 1);
    ASSERT_NE(dear, nullptr);
    EXPECT_NEAR(dear->left, 1.0, 0.02);
    EXPECT_NEAR(dear->top, 1.0, 0.06);
    EXPECT_NEAR(dear->bottom - dear->top, 12.0 / 72 * 1.15, 0.03);   // 12-point type
    EXPECT_EQ(test::run("pdfinfo", {pdf("two.pdf")}).contains("612 x 792 pts"), true);
}

TEST_F(LetterPrinting, AMultiPageLetterPrintsWholeAndEachRecordBeginsAPage)
{
    add({{{"LNAME", "Adams"}}, {{"LNAME", "Baker"}}, {{"LNAME", "Cole"}}});
    const QString twoPages = test::rtfLetter({"[Last] one", "\\page [Last] two"});
    const Run all = print(twoPages, 1, false, pdf("all.pdf"));
    EXPECT_EQ(all.pages, 6);
    const test::PdfText text = test::readPdf(pdf("all.pdf"));
    ASSERT_EQ(text.pages, 6);
    const QStringList expected = {"Adams one", "Adams two", "Baker one", "Baker two", "Cole one", "Cole two"};
    for (int page = 1; page <= 6; ++page)
        EXPECT_EQ(text.wordsOf(page).join(' '), expected[page - 1]);

    // Only the current record, though more follow it.
    addresses.table().first();
    addresses.table().next();
    const Run one = print(twoPages, 1, true, pdf("one.pdf"));
    EXPECT_EQ(one.letters, 1);
    EXPECT_EQ(test::readPdf(pdf("one.pdf")).wordsOf(1).join(' '), "Baker one");
    EXPECT_EQ(test::readPdf(pdf("one.pdf")).pages, 2);
}

TEST_F(LetterPrinting, FiveHundredRecordsTwiceEachLettersPagesInOrder)
{
    for (int i = 0; i < 500; ++i)
        test::addRow(addresses.table(), {{"LNAME", QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')).toStdString()}});
    add({});
    const Run run = print(test::rtfLetter({"[Last] first page", "\\page [Last] second page"}), 2, false, pdf("big.pdf"));
    EXPECT_EQ(run.outcome, PrintOutcome::Completed);
    EXPECT_EQ(run.letters, 1000);
    const test::PdfText text = test::readPdf(pdf("big.pdf"));
    ASSERT_EQ(text.pages, 2000);
    // Pages in order: each record's letter twice, each letter first page then second.
    std::vector<QStringList> pages(2001);
    for (const test::PdfWord& w : text.words)
        pages[size_t(w.page)] << w.text;
    int wrong = 0;
    for (int page = 1; page <= 2000; ++page) {
        const int record = (page - 1) / 4;
        const QString expected = QStringLiteral("N%1 %2 page").arg(record, 3, 10, QLatin1Char('0')).arg(page % 2 ? "first" : "second");
        if (pages[size_t(page)].join(' ') != expected && ++wrong < 5)
            ADD_FAILURE() << "page " << page << ": " << pages[size_t(page)].join(' ').toStdString();
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(LetterPrinting, ACancelledRunLeavesNoOutput)
{
    add({{{"LNAME", "Adams"}}, {{"LNAME", "Baker"}}, {{"LNAME", "Cole"}}});
    {
        QFile old(pdf("kept.pdf"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the letters of last month");
    }
    QStringList asked;
    const auto cancelAtFirst = [&asked](LetterPrintLoop& loop) {
        loop.requestCancel();
        loop.confirmCancel = [&asked](const QString& q) {
            asked << q;
            return true;
        };
    };
    for (const char* name : {"kept.pdf", "none.pdf"}) {
        const Run run = print(test::rtfLetter({"[Last]"}), 1, false, pdf(name), cancelAtFirst);
        EXPECT_EQ(run.outcome, PrintOutcome::Aborted);
    }
    EXPECT_EQ(asked, QStringList({"Cancel print job?", "Cancel print job?"}));
    QFile kept(pdf("kept.pdf"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the letters of last month");
    EXPECT_FALSE(QFile::exists(pdf("none.pdf")));
    EXPECT_TRUE(QDir(program.folder()).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());

    // A cancel declined goes on with the next record.
    addresses.table().first();
    const Run declined = print(test::rtfLetter({"[Last]"}), 1, false, pdf("all.pdf"), [](LetterPrintLoop& loop) {
        loop.requestCancel();
        loop.confirmCancel = [](const QString&) { return false; };
    });
    EXPECT_EQ(declined.outcome, PrintOutcome::Completed);
    EXPECT_EQ(test::readPdf(pdf("all.pdf")).pages, 3);
}

TEST_F(LetterPrinting, TheRecordsOfARunAndWhatIsPutBack)
{
    add({{{"LNAME", "Adams"}, {"CITY", "Akron"}},
         {{"LNAME", "Baker"}, {"CITY", "Boston"}},
         {{"LNAME", "Cole"}, {"CITY", "Akron"}},
         {{"LNAME", "Dead"}, {"ISDEL", "T"}}});
    xbase::Table& t = addresses.table();
    t.setFilter("CITY=\"Akron\" .and. !ISDEL");
    t.first();
    t.next();   // Cole
    const uint32_t cole = t.recno();
    const std::string query = t.filter();
    const auto names = [&t] {
        QStringList out;
        for (bool more = !t.eof(); more; more = t.next())
            out << QString::fromStdString(t.text("LNAME"));
        return out;
    };
    struct Case {
        LetterRunRecords::Records records;
        bool startFromCurrent;
        uint32_t current;
        QStringList printed;   // from where the run begins to the end of its records
        bool outOfRange;
    } cases[] = {
        {LetterRunRecords::Records::Filter, false, cole, {"Adams", "Cole"}, false},
        {LetterRunRecords::Records::Filter, true, cole, {"Cole"}, false},
        {LetterRunRecords::Records::Filter, true, 2, {"Adams", "Cole"}, true},   // Baker is not in Akron
        {LetterRunRecords::Records::All, false, cole, {"Adams", "Baker", "Cole"}, false},
        {LetterRunRecords::Records::All, true, 2, {"Baker", "Cole"}, false},
        {LetterRunRecords::Records::OnlyCurrent, false, cole, {"Cole"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printed.join(' ').toStdString());
        t.go(c.current);
        QStringList told;
        {
            LetterRunRecords records(t, c.records, c.startFromCurrent, [&told](const QString& s) { told << s; });
            EXPECT_EQ(names(), c.printed);
        }
        EXPECT_EQ(told, c.outOfRange ? QStringList{kLetterOutOfRange} : QStringList{});
        EXPECT_EQ(t.filter(), query);
        EXPECT_EQ(t.recno(), c.current);
    }
}

TEST_F(LetterPrinting, QbtoolMergesAStoredTemplateForAFilter)
{
    add({{{"FNAME", "Ann"}, {"LNAME", "Adams"}, {"ZIP", "45401"}},
         {{"FNAME", "Bob"}, {"LNAME", "Baker"}, {"ZIP", "12345"}},
         {{"FNAME", "Cy"}, {"LNAME", "Cole"}, {"ZIP", "45402"}},
         {{"FNAME", "Dee"}, {"LNAME", "Dead"}, {"ZIP", "45403"}, {"ISDEL", "T"}}});
    addresses.close();
    storeTemplate("Spring letter", test::rtfLetter({"Dear [First],", "\\page from [City+State+Zip] [Zip]"}));
    const QString out = pdf("spring.pdf");
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, {"letters", path(), "spring LETTER", out, "--program", program.folder(), "--filter",
                             "ZIP=\"45\"", "--copies", "2"});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    const QByteArray errors = qbtool.readAllStandardError();
    EXPECT_EQ(qbtool.exitCode(), 0) << errors.toStdString();
    EXPECT_EQ(qbtool.readAllStandardOutput(), "4 letters, 8 pages\n");
    const test::PdfText text = test::readPdf(out);
    ASSERT_EQ(text.pages, 8);
    EXPECT_EQ(text.wordsOf(1).join(' '), "Dear Ann,");
    EXPECT_EQ(text.wordsOf(2).join(' '), "from 45401 45401");
    EXPECT_EQ(text.wordsOf(7).join(' '), "Dear Cy,");

    for (const QStringList& bad : {QStringList{"letters", path(), "No such letter", out, "--program", program.folder()},
                                   QStringList{"letters", path(), "Spring letter", out, "--copies", "1000"}}) {
        qbtool.start(QB_QBTOOL, bad);
        ASSERT_TRUE(qbtool.waitForFinished(60000));
        EXPECT_EQ(qbtool.exitCode(), 1);
    }
    EXPECT_TRUE(qbtool.readAllStandardError().contains("usage: qbtool letters"));

    // A template whose memo cannot be read is said on standard error, in no window.
    storeTemplate("Damaged", test::rtfLetter({"x"}));
    test::pointMemoOutsideItsFile(systemTablePath(SystemTable::Letter), 2, "RTF");
    qbtool.start(QB_QBTOOL, {"letters", path(), "Damaged", out, "--program", program.folder()});
    const bool finished = qbtool.waitForFinished(20000);
    if (!finished)
        qbtool.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(qbtool.exitCode(), 1);
    EXPECT_TRUE(qbtool.readAllStandardError().contains("The letter \"Damaged\" cannot be read"));
}

} // namespace
} // namespace qb
