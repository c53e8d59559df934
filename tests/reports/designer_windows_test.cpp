// The report designer as a user leaves it: Esc and the close box ask before
// unsaved work is thrown away, an unchanged design closes at once, and a
// report saved after any zooming is the 100 percent file.

#include "report_fixture.h"

#include "core/system_tables.h"
#include "design/designer_windows.h"
#include "reports/report_catalogue.h"
#include "reports/treportdesigner.h"
#include "reports/treportsetup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace qb {
namespace {

class ReportDesigner : public test::ReportFixture {
protected:
    void SetUp() override
    {
        test::ReportFixture::SetUp();
        test::addRow(table.table(), {{"LNAME", "Adams"}, {"FNAME", "Ann"}});
        ready();
        reports = openSystemTable(SystemTable::Report, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(reports);
        screen = std::make_unique<TReportSetup>(*reports, table, false);
        screen->pages()->setCurrentIndex(1);
        screen->show();
    }

    // A stored report holding what build puts on the bands; its file.
    QString storeReport(const std::function<void(const ReportBands&)>& build)
    {
        screen->runDesigner = [&](ReportRecord&, ReportLayout&, const ReportBands& b) {
            build(b);
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        EXPECT_TRUE(screen->catalogue().hasCurrent());
        return ReportCatalogue::reportPath(screen->catalogue().read().fileName);
    }

    // Opens the report in the designer, drawn at 100 percent as the user
    // sees it open, and runs act on it; act's answer is the designer's outcome.
    void modify(const std::function<void(TReportDesigner&, const ReportBands&)>& act)
    {
        screen->runDesigner = [&](ReportRecord& r, ReportLayout& l, const ReportBands& b) {
            TReportDesigner designer(r, l, b, *b[1]->dataset(), screen.get());
            designer.show();
            QTest::qWait(50);
            act(designer, b);
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }

    static void oneText(const ReportBands& b) { text(b[1], "Name", QRect(10, 5, 80, 20)); }
    QString description() { return screen->catalogue().read().description.trimmed(); }

    std::unique_ptr<xbase::Table> reports;
    std::unique_ptr<TReportSetup> screen;
};

TEST_F(ReportDesigner, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    const QString file = storeReport(oneText);
    for (const test::CloseCase& c : test::kCloseCases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = test::bytesOf(file);
        const QString described = description();
        modify([&](TReportDesigner& designer, const ReportBands& b) {
            test::changeAndClose(designer, b[1], designer.findChild<QLineEdit*>("DescriptionEdit"), c,
                                 "Report Designer|Save changes to " + described + " 2?");
        });
        test::expectCloseOutcome(c, described, description(), before, test::bytesOf(file));
    }
}

TEST_F(ReportDesigner, AnUnchangedDesignClosesAtOnce)
{
    const QString file = storeReport(oneText);
    const QByteArray before = test::bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        modify([&](TReportDesigner& designer, const ReportBands&) { test::closeUnchanged(designer, by); });
        EXPECT_EQ(test::bytesOf(file), before);
    }
}

TEST_F(ReportDesigner, SavesAfterAnyZoomingAreTheHundredPercentFile)
{
    // Bounds that no zoom step maps to whole pixels both ways.
    const QString file = storeReport([](const ReportBands& b) {
        text(b[0], "Members", QRect(17, 3, 131, 21));
        text(b[0], "Page", QRect(151, 7, 97, 17));
        field(b[1], "LNAME", "Last Name", QRect(7, 5, 113, 19));
    });
    const auto zoomAndSave = [&](std::initializer_list<const char*> clicks) {
        modify([&](TReportDesigner& designer, const ReportBands&) {
            for (const char* button : clicks) {
                designer.findChild<QToolButton*>(button)->click();
                QTest::qWait(20);
            }
            designer.findChild<QPushButton*>("SaveButton")->click();
        });
    };
    zoomAndSave({});
    const QByteArray hundred = test::bytesOf(file);
    ASSERT_FALSE(hundred.isEmpty());

    const struct {
        const char* name;
        std::initializer_list<const char*> clicks;
    } sequences[] = {
        {"120", {"ZoomInButton"}},
        {"60", {"ZoomOutButton", "ZoomOutButton"}},
        {"120, 140, 120, 100", {"ZoomInButton", "ZoomInButton", "ZoomOutButton", "ZoomOutButton"}},
        {"80, 100, 120", {"ZoomOutButton", "ZoomInButton", "ZoomInButton"}},
    };
    for (const auto& s : sequences)
        for (int save = 1; save <= 2; ++save) {
            zoomAndSave(s.clicks);
            EXPECT_EQ(test::bytesOf(file), hundred) << s.name << ", save " << save;
        }
}

} // namespace
} // namespace qb
