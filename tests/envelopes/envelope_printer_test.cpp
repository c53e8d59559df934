// The envelope printer taken from the settings by name: a printer, source or
// paper no longer offered leaves the job's selection as it was.

#include "envelopes/envelope_printer.h"

#include "core/address_fixture.h"
#include "printing/tcanvasreport.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(EnvelopePrinterSettings, SavedNamesThatNoLongerExistLeaveTheSelection)
{
    const QStringList entries{"Office on usb://HP/LaserJet", "PDF file on FILE:", "office-2 on ipp://x"};
    EXPECT_EQ(findEnvelopePrinter(entries, "PDF FILE on somewhere else"), 1);
    EXPECT_EQ(findEnvelopePrinter(entries, "office on usb://old"), 0);
    EXPECT_EQ(findEnvelopePrinter(entries, "Gone on usb://"), -1);
    EXPECT_EQ(findEnvelopePrinter(entries, ""), -1);

    test::ProgramDir program;
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.SelectPaperByName("A4");
    job.setOrientation(Orientation::poPortrait);
    EnvelopePrinterPreferences gone;
    gone.printer = "Gone on usb://";
    gone.paper = "No such paper";
    gone.bin = "No such tray";
    applyEnvelopePrinter(job, gone);
    EXPECT_TRUE(job.PrinterNames().at(job.SelectedPrinter()).startsWith("PDF file"));
    EXPECT_EQ(job.PaperName(), "A4");
    EXPECT_EQ(job.orientation(), Orientation::poPortrait);
    EnvelopePrinterPreferences saved;
    saved.paper = "letter";
    saved.orientation = 1;
    applyEnvelopePrinter(job, saved);
    EXPECT_EQ(job.PaperName(), "Letter");
    EXPECT_EQ(job.orientation(), Orientation::poLandScape);
    EXPECT_EQ(envelopePrinterOf(job).paper.value_or(""), "Letter");
}

} // namespace
} // namespace qb
