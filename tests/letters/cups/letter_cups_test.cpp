// Letters on a real CUPS queue (the daemon and queue "QBTEST" of
// printing/cups/cups_server.sh): a run cancelled after its first letter sends
// the queue nothing; a finished run arrives as one document, every letter in it.
#include "letters/letter_print_loop.h"

#include "../letter_fixture.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QElapsedTimer>
#include <QThread>

namespace qb {
namespace {

class LettersOnCups : public test::LetterFixture {
protected:
    void SetUp() override
    {
        qputenv("CUPS_SERVER", QB_CUPS_SERVER);
        LetterFixture::SetUp();
        out_ = QStringLiteral(QB_CUPS_OUT);
        ASSERT_TRUE(QDir(out_).exists()) << "the CUPS test server did not start: no " << out_.toStdString();
        for (const QString& f : QDir(out_).entryList(QDir::Files))
            QFile::remove(QDir(out_).filePath(f));
        add({{{"LNAME", "Adams"}}, {{"LNAME", "Baker"}}, {{"LNAME", "Cole"}}});
    }

    PrintOutcome print(bool cancelAfterFirst)
    {
        richtext::RichText letter;
        letter.setRtf(test::rtfLetter({"Dear [Last],"}));
        TReportPrinter job;
        job.SelectPrinterByName(QStringLiteral("QBTEST"));
        EXPECT_EQ(job.printerSettings().printer.device, QStringLiteral("QBTEST"));
        addresses.table().first();
        LetterPrintLoop loop(addresses.table(), letter, 1, false);
        if (cancelAfterFirst) {
            loop.requestCancel();
            loop.confirmCancel = [](const QString&) { return true; };
        }
        return loop.run(job);
    }

    QStringList printed(int wanted)
    {
        QElapsedTimer clock;
        clock.start();
        QStringList docs;
        while ((docs = QDir(out_).entryList({QStringLiteral("*.pdf")}, QDir::Files)).size() < wanted &&
               clock.elapsed() < 15000)
            QThread::msleep(50);
        return docs;
    }

    QString out_;
};

TEST_F(LettersOnCups, ACancelledRunNeverReachesThePrinter)
{
    EXPECT_EQ(print(true), PrintOutcome::Aborted);
    ASSERT_EQ(print(false), PrintOutcome::Completed);
    const QStringList docs = printed(1);
    QThread::msleep(500);   // time for a cancelled job to arrive, were it sent
    ASSERT_EQ(QDir(out_).entryList({QStringLiteral("*.pdf")}, QDir::Files), docs);
    ASSERT_EQ(docs.size(), 1);
    const test::PdfText text = test::readPdf(QDir(out_).filePath(docs.front()));
    ASSERT_EQ(text.pages, 3);
    EXPECT_EQ(text.wordsOf(1).join(' '), "Dear Adams,");
    EXPECT_EQ(text.wordsOf(3).join(' '), "Dear Cole,");
}

} // namespace
} // namespace qb
