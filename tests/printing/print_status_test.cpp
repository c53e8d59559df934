// The print-status window's rules: button texts, cancel and stop, and the
// final status line of each outcome.

#include "message_log.h"
#include "printing/print_status.h"
#include "printing/treportfiler.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

TEST(PrintStatusLoop, OutcomesAndFinalLines)
{
    struct Case {
        const char* name;
        PrintRunMode mode;
        int pressAtRecord;     // -1: never
        bool answer;           // to the cancel question
        bool fail;
        PrintOutcome outcome;
        const char* line;
        int records;           // processed by the loop
    };
    const Case cases[] = {
        {"print", PrintRunMode::Print, -1, true, false, PrintOutcome::Completed, "\nReport Print Completed!", 5},
        {"print cancelled", PrintRunMode::Print, 2, true, false, PrintOutcome::Aborted, "\nReport Print Canceled!", 3},
        {"print not cancelled", PrintRunMode::Print, 2, false, false, PrintOutcome::Completed,
         "\nReport Print Completed!", 5},
        {"preview", PrintRunMode::Preview, -1, true, false, PrintOutcome::Completed, "\nReport Preview Ready!", 5},
        {"preview stopped", PrintRunMode::Preview, 1, true, false, PrintOutcome::Stopped,
         "\nPreview Stopped at page 3!", 2},
        {"failure", PrintRunMode::Print, -1, true, true, PrintOutcome::Failed, "\nPrinting Failed!\nbroken", 1},
    };
    for (const Case& c : cases) {
        TReportFiler job;
        QLabel label;
        job.setStatusLabel(&label);
        PrintStatusLoop loop(job, c.mode);
        EXPECT_EQ(loop.buttonText(), c.mode == PrintRunMode::Print ? "Cancel" : "Stop");
        int records = 0;
        QStringList asked;
        job.OnPrint = [&] {
            for (int record = 0; record < 5 && !loop.shouldStop(); ++record) {
                ++records;
                if (c.fail)
                    throw std::runtime_error("broken");
                job.BreakPage();
                if (record == c.pressAtRecord) {
                    EXPECT_FALSE(loop.buttonPressed([&](const QString& q) {
                        asked << q;
                        return c.answer;
                    }));
                }
            }
        };
        EXPECT_EQ(loop.run(), c.outcome) << c.name;
        EXPECT_EQ(label.text(), QLatin1String(c.line)) << c.name;
        EXPECT_EQ(records, c.records) << c.name;
        EXPECT_EQ(loop.buttonText(), QStringLiteral("Ok"));
        EXPECT_EQ(asked.size(), c.mode == PrintRunMode::Print && c.pressAtRecord >= 0 ? 1 : 0) << c.name;
        if (!asked.isEmpty()) {
            EXPECT_EQ(asked.front(), QStringLiteral("Cancel Report Printing?"));
        }
        EXPECT_EQ(job.Completed(), c.outcome == PrintOutcome::Completed || c.outcome == PrintOutcome::Stopped);
        EXPECT_TRUE(loop.buttonPressed({})) << "Ok closes";
    }
}

TEST(PrintStatusWindow, RunsTheJobWhenShownAndClosesWithOk)
{
    MessageLog log;
    log.answer = true;
    TReportFiler job;
    PrintStatusTexts texts;
    texts.cancelQuestion = QStringLiteral("Cancel Label Printing?");
    TPrintStatusWindow window(job, PrintRunMode::Print, texts);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Print Status"));
    EXPECT_EQ(window.button()->text(), QStringLiteral("Cancel"));
    QStringList seen;
    job.OnPrint = [&] {
        for (int record = 0; record < 4 && !window.loop().shouldStop(); ++record) {
            job.BreakPage();
            seen << window.statusLabel()->text();
            if (record == 1)
                window.button()->click();
        }
    };
    // Ok is pressed once the job has ended and the button says so.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &window, [&] {
        if (window.loop().ended()) {
            EXPECT_EQ(window.button()->text(), QStringLiteral("Ok"));
            window.button()->click();
        }
    });
    closer.start(5);
    window.exec();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Printing Page 2\n\n"), QStringLiteral("Printing Page 3\n\n")}));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Cancel Label Printing?")});
    EXPECT_EQ(window.loop().outcome(), PrintOutcome::Aborted);
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("\nReport Print Canceled!"));
}

} // namespace
} // namespace qb::test
