// Printing on a real CUPS queue: the test set-up starts a CUPS daemon of its
// own (cups_server.sh) with the queue "QBTEST", whose backend keeps each job's
// document and options in QB_CUPS_OUT. A finished job arrives as one PDF with
// the paper and paper source chosen; a cancelled or failed job never arrives.
#include "../pdf_support.h"

#include <QDir>
#include <algorithm>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

class CupsQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The daemon the test set-up started, before anything asks CUPS.
        qputenv("CUPS_SERVER", QB_CUPS_SERVER);
        out_ = QStringLiteral(QB_CUPS_OUT);
        // Without it these tests must fail, not pass unnoticed.
        ASSERT_TRUE(QDir(out_).exists()) << "the CUPS test server did not start: no " << out_.toStdString();
        ASSERT_GE(printer::findPrinter(printer::installedPrinters(), QStringLiteral("QBTEST")), 0)
            << "the queue QBTEST is not there on " << QB_CUPS_SERVER;
        for (const QString& f : QDir(out_).entryList(QDir::Files))
            QFile::remove(QDir(out_).filePath(f));
    }

    // The documents the queue has handed its printer, waiting up to timeout
    // for at least `wanted` of them.
    QStringList printed(int wanted, int timeoutMs = 15000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const QStringList docs = QDir(out_).entryList({QStringLiteral("*.pdf")}, QDir::Files);
            if (docs.size() >= wanted || clock.elapsed() > timeoutMs)
                return docs;
            QThread::msleep(50);
        }
    }

    // A four-page job on the queue; stopAfter (0: never) aborts it, or fails
    // it, after that page. Choices made on the job before stay.
    bool runJob(TReportPrinter& job, int stopAfter, bool fail)
    {
        if (job.printerSettings().printer.device != QLatin1String("QBTEST"))
            job.SelectPrinterByName(QStringLiteral("QBTEST"));
        job.setTitle(QStringLiteral("Labels for June"));
        job.OnPrint = [&] {
            for (int page = 1; page <= 4; ++page) {
                if (page > 1)
                    job.BreakPage();
                job.TextLeftAt(QStringLiteral("Sheet%1").arg(page), 1.0);
                if (page == stopAfter) {
                    if (fail)
                        throw PrintError(QStringLiteral("the layout broke"));
                    job.AbortJob();
                    return;
                }
            }
        };
        return job.RunJob();
    }

    QString out_;
};

TEST_F(CupsQueue, AFinishedJobArrivesAsOnePdfOnThePaperAndSourceChosen)
{
    TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("QBTEST"));
    const QStringList papers = job.PaperNames();
    const QStringList bins = job.BinNames();
    const auto a4 = std::find_if(papers.begin(), papers.end(), [](const QString& p) { return p.contains(QLatin1String("a4"), Qt::CaseInsensitive); });
    ASSERT_NE(a4, papers.end()) << papers.join(", ").toStdString();
    ASSERT_EQ(bins.size(), 2) << bins.join(", ").toStdString();
    job.SelectPaperByName(*a4);
    job.SelectBinByName(bins.at(1));
    const QString keyword = job.printerSettings().binKeyword;
    ASSERT_FALSE(keyword.isEmpty());
    job.setCopies(2);
    ASSERT_TRUE(runJob(job, 0, false)) << job.LastError().toStdString();

    const QStringList docs = printed(1);
    ASSERT_EQ(docs.size(), 1);
    const QString pdf = QDir(out_).filePath(docs.front());
    const PdfText text = readPdf(pdf);
    ASSERT_EQ(text.pages, 4);
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(text.wordsOf(page), QStringList{QStringLiteral("Sheet%1").arg(page)});
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size: +59[56][.0-9]* x 84[12][.0-9]* pts \\(A4\\)"))))
        << info.toStdString();

    QFile options(QDir(out_).filePath(QFileInfo(docs.front()).completeBaseName() + QStringLiteral(".options")));
    ASSERT_TRUE(options.open(QIODevice::ReadOnly));
    const QString given = QString::fromUtf8(options.readAll());
    EXPECT_TRUE(given.contains(QStringLiteral("media=iso_a4_210x297mm"))) << given.toStdString();
    EXPECT_TRUE(given.contains(QStringLiteral("media-source=") + keyword)) << given.toStdString();
    EXPECT_TRUE(given.startsWith(QStringLiteral("copies=2 "))) << given.toStdString();
    EXPECT_FALSE(QDir::temp().entryList({QStringLiteral("quillbase-job-*")}).size() > 0) << "the job's own PDF was left behind";
}

// Cancelled half-way, or stopped by an error, a job sends the queue nothing:
// not the pages drawn so far, not an empty job.
TEST_F(CupsQueue, ACancelledOrFailedJobNeverReachesThePrinter)
{
    for (const bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failed" : "cancelled");
        TReportPrinter job;
        EXPECT_FALSE(runJob(job, 2, fail));
        EXPECT_EQ(job.printedPages(), 2);
    }
    // A finished job after them is the only one the printer ever gets.
    TReportPrinter last;
    ASSERT_TRUE(runJob(last, 0, false)) << last.LastError().toStdString();
    const QStringList docs = printed(1);
    QThread::msleep(500);
    EXPECT_EQ(QDir(out_).entryList({QStringLiteral("*.pdf")}, QDir::Files).size(), 1);
    ASSERT_EQ(docs.size(), 1);
    EXPECT_EQ(readPdf(QDir(out_).filePath(docs.front())).pages, 4);
    EXPECT_TRUE(QDir::temp().entryList({QStringLiteral("quillbase-job-*")}).isEmpty());
}

} // namespace
} // namespace qb::test
