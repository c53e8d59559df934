#include "core/messages.h"
#include "core/printer_check.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

class FakePrinters : public PrinterSource {
public:
    int installed = 1;
    QString current;
    QString systemDefault;
    int defaultSelections = 0;

    int installedCount() const override { return installed; }
    QString currentPrinter() const override { return current; }
    void selectDefault() override
    {
        ++defaultSelections;
        current = systemDefault;
    }
};

class PrinterCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageResponder([this](const Message& m) {
            shown << m.caption + ": " + m.text;
            return true;
        });
    }
    void TearDown() override { setMessageResponder({}); }
    QStringList shown;
};

TEST_F(PrinterCheck, PassesOrSaysWhyNot)
{
    const struct { const char* name; int installed; const char* current; const char* systemDefault; bool ok; int selections; const char* message; } cases[] = {
        {"printer selected", 2, "Laser", "", true, 0, nullptr},
        {"none selected: the default is taken", 1, "", "Laser", true, 1, nullptr},
        {"no printers", 0, "", "", false, 0, "Information: There are no installed printers.\r\nUnable to perform printer related operations"},
        {"no default", 1, "", "", false, 1, "Information: There is no default printer selected.\r\nUnable to perform printer related operations"},
    };
    for (const auto& c : cases) {
        shown.clear();
        FakePrinters printers;
        printers.installed = c.installed;
        printers.current = c.current;
        printers.systemDefault = c.systemDefault;
        EXPECT_EQ(checkPrinter(printers), c.ok) << c.name;
        EXPECT_EQ(printers.defaultSelections, c.selections) << c.name;
        EXPECT_EQ(shown, c.message ? QStringList{c.message} : QStringList{}) << c.name;
    }
}

// The built-in PDF printer is always there, so the system check passes and
// leaves a printer selected.
TEST_F(PrinterCheck, SystemPrintersAlwaysIncludeThePdfPrinter)
{
    QtPrinterSource::setSelectedPrinter({});
    QtPrinterSource printers;
    EXPECT_GE(printers.installedCount(), 1);
    EXPECT_TRUE(checkPrinter());
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(printers.currentPrinter().isEmpty());

    QtPrinterSource::setSelectedPrinter("no such printer");
    EXPECT_EQ(printers.currentPrinter(), "");
    QtPrinterSource::setSelectedPrinter(QtPrinterSource::pdfPrinterName());
    EXPECT_EQ(printers.currentPrinter(), "PDF file");
}

} // namespace
} // namespace qb::test
