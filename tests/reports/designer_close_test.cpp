// The report designer closed with unsaved work: Esc and the close box ask
// before anything is thrown away; an unchanged design closes at once.

#include "report_fixture.h"

#include "core/system_tables.h"
#include "design/designer_windows.h"
#include "reports/report_catalogue.h"
#include "reports/treportdesigner.h"
#include "reports/treportsetup.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace qb {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ReportDesignerClose : public test::ReportFixture {
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
        // A stored report whose detail band holds one text.
        screen->runDesigner = [](ReportRecord&, ReportLayout&, const ReportBands& b) {
            text(b[1], "Name", QRect(10, 5, 80, 20));
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        ASSERT_TRUE(screen->catalogue().hasCurrent());
        file = ReportCatalogue::reportPath(screen->catalogue().read().fileName);
        ASSERT_FALSE(bytesOf(file).isEmpty());
    }

    QString description() const { return screen->catalogue().read().description.trimmed(); }

    std::unique_ptr<xbase::Table> reports;
    std::unique_ptr<TReportSetup> screen;
    QString file;
};

TEST_F(ReportDesignerClose, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    for (const test::CloseCase& c : test::kCloseCases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = bytesOf(file);
        const QString described = description();
        screen->runDesigner = [&](ReportRecord& r, ReportLayout& l, const ReportBands& b) {
            TReportDesigner designer(r, l, b, *b[1]->dataset(), screen.get());
            designer.show();
            QTest::qWait(50);
            return test::changeAndClose(designer, b[1], designer.findChild<QLineEdit*>("DescriptionEdit"), c,
                                        "Report Designer|Save changes to " + described + " 2?");
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
        if (c.saves) {
            EXPECT_EQ(description(), described + " 2");
            EXPECT_NE(bytesOf(file), before);
        } else {
            EXPECT_EQ(description(), described);
            EXPECT_EQ(bytesOf(file), before);
        }
    }
}

TEST_F(ReportDesignerClose, AnUnchangedDesignClosesAtOnce)
{
    const QByteArray before = bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        screen->runDesigner = [&](ReportRecord& r, ReportLayout& l, const ReportBands& b) {
            TReportDesigner designer(r, l, b, *b[1]->dataset(), screen.get());
            designer.show();
            QTest::qWait(50);
            test::closeUnchanged(designer, by);
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
        EXPECT_EQ(bytesOf(file), before);
    }
}

} // namespace
} // namespace qb
