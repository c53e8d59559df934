// Saving a report after zooming stores exactly the report saved at 100
// percent: the bands' objects keep their true bounds through every zoom.

#include "report_fixture.h"

#include "core/system_tables.h"
#include "reports/report_catalogue.h"
#include "reports/treportdesigner.h"
#include "reports/treportsetup.h"

#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace qb {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ReportDesignerZoom : public test::ReportFixture {
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

    // Opens the report in the designer, clicks the zoom buttons and saves.
    void zoomAndSave(std::initializer_list<const char*> clicks)
    {
        screen->runDesigner = [&](ReportRecord& r, ReportLayout& l, const ReportBands& b) {
            TReportDesigner designer(r, l, b, *b[1]->dataset(), screen.get());
            designer.show();
            QTest::qWait(50);   // drawn at 100 percent first, as the user sees it open
            for (const char* button : clicks) {
                designer.findChild<QToolButton*>(button)->click();
                QTest::qWait(20);
            }
            designer.findChild<QPushButton*>("SaveButton")->click();
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }

    std::unique_ptr<xbase::Table> reports;
    std::unique_ptr<TReportSetup> screen;
};

TEST_F(ReportDesignerZoom, SavesAfterAnyZoomingAreTheHundredPercentFile)
{
    // Bounds that no zoom step maps to whole pixels both ways.
    screen->runDesigner = [](ReportRecord&, ReportLayout&, const ReportBands& b) {
        text(b[0], "Members", QRect(17, 3, 131, 21));
        field(b[1], "LNAME", "Last Name", QRect(7, 5, 113, 19));
        text(b[0], "Page", QRect(151, 7, 97, 17));
        return true;
    };
    screen->findChild<QPushButton*>("NewButton")->click();
    const QString file = ReportCatalogue::reportPath(screen->catalogue().read().fileName);
    zoomAndSave({});
    const QByteArray hundred = bytesOf(file);
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
            EXPECT_EQ(bytesOf(file), hundred) << s.name << ", save " << save;
        }
}

} // namespace
} // namespace qb
