// Import and export from the main window's menu: the command runs on the
// window's own table, which afterwards shows the filter, order and records
// as they now are.

#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/settings.h"
#include "mainwindow/address_filter.h"
#include "mainwindow/window_test_support.h"
#include "transfer/file_choice.h"
#include "transfer/tasciiimport.h"
#include "transfer/tasciimatchfields.h"
#include "transfer/tcopyrecordsout.h"
#include "transfer/tvcardimport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::child;
using test::MessageLog;
using test::ProgramDir;
using test::Row;
using test::whenShown;

class TransferCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        Settings::program().setBoolean("Misc", "GettingStarted", true);
        ASSERT_TRUE(createAddressTable(program.data("add0001.DBF"), FieldLengths::settingsDefaults()));
        AddressTable t;
        ASSERT_TRUE(t.open(program.data("add0001.DBF")));
        for (const Row& r : std::vector<Row>{{{"LNAME", "Carter"}, {"STATE", "OH"}},
                                             {{"LNAME", "Adams"}, {"STATE", "IL"}},
                                             {{"LNAME", "Baker"}, {"STATE", "OH"}}})
            test::addRow(t.table(), r);
        t.close();
        setFileChooser([this](const FileQuestion&) { return chosen; });
        window = std::make_unique<TAddressMain>();
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        setFileChooser({});
    }
    void setStateFilter(const QString& state)
    {
        FilterConditions c;
        for (int i = 0; i < kFilterFieldCount; ++i)
            if (QLatin1String(filterFields()[size_t(i)].mainField) == QLatin1String("STATE"))
                c.texts[size_t(i)] = state;
        window->filter().conditions = c;
        window->applyFilter();
        table().first();
        window->SetButtons();
    }
    xbase::Table& table() { return window->addressTable().table(); }
    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }

    ProgramDir program;
    MessageLog log;
    QString chosen;
    std::unique_ptr<TAddressMain> window;
};

TEST_F(TransferCommands, AsciiImportFromTheMenuKeepsTheFilterAndShowsTheFirstRecord)
{
    setStateFilter("oh");
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
    chosen = program.folder() + "new.csv";
    xbase::test::writeFile(chosen.toStdString(), "Abbott,OH\r\nZane,OH\r\nYoung,TX\r\n");
    whenShown<TASCIIImport>([](TASCIIImport* w) {
        QTest::mouseClick(child<QPushButton>(w, "SelectFileButton"), Qt::LeftButton);
        whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
            QTableWidget* grid = m->matchGrid();
            for (const auto& [row, source] : {std::pair{0, "Field 1"}, std::pair{9, "Field 2"}}) {
                grid->setCurrentCell(row, 0);
                for (QAction* a : m->sourceMenu()->actions())
                    if (a->text() == source)
                        a->trigger();
            }
            EXPECT_EQ(grid->item(9, 0)->text(), "State");
            QTest::mouseClick(child<QPushButton>(m, "OkButton"), Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(w, "MatchFieldsButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w, "ImportButton"), Qt::LeftButton);
    });
    action("mnuImportAscii")->trigger();
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 3 records."});
    EXPECT_EQ(table().recordCount(), 6u);
    EXPECT_TRUE(window->addressTable().checkValidIndex());
    // The filter applies to the new records too; the window shows the first in last-name order.
    EXPECT_EQ(window->filterStatus(), "4 filter matches");
    EXPECT_EQ(window->fieldEdit("LNAME")->text(), "Abbott");
    EXPECT_TRUE(window->editor().utilityFlag == false);
}

TEST_F(TransferCommands, VCardImportFromTheMenu)
{
    chosen = program.folder() + "phone.vcf";
    xbase::test::writeFile(chosen.toStdString(), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nADR:;;1 Oak St;Dayton;OH;45401;\r\n"
                                                 "END:VCARD\r\n");
    whenShown<TVCardImport>([](TVCardImport* w) {
        QTest::mouseClick(child<QPushButton>(w, "SelectFileButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w, "ImportButton"), Qt::LeftButton);
    });
    action("mnuImportVcard")->trigger();
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 1 records."});
    EXPECT_EQ(table().recordCount(), 4u);
    EXPECT_TRUE(window->addressTable().checkValidIndex());
    EXPECT_EQ(window->fieldEdit("LNAME")->text(), "Abbott");
    EXPECT_EQ(window->fieldEdit("CITY")->text(), "Dayton");
}

TEST_F(TransferCommands, ExportFromTheMenuCopiesTheFilteredRecordsInOrder)
{
    setStateFilter("oh");
    QTest::mouseClick(window->findChild<QPushButton*>("LastButton"), Qt::LeftButton);
    const QString current = window->fieldEdit("LNAME")->text();
    chosen = program.folder() + "out.txt";
    whenShown<TCopyRecordsOut>([](TCopyRecordsOut* w) {
        child<QRadioButton>(w, "AsciiChoice")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, "SaveAsButton"), Qt::LeftButton);
    });
    action("mnuExport")->trigger();
    const std::string text = xbase::test::readFile(chosen.toStdString());
    EXPECT_EQ(text.substr(0, 20), "\"\",\"\",\"\",\"Baker\",\"\",");
    EXPECT_NE(text.find("\"Carter\""), std::string::npos);
    EXPECT_EQ(text.find("\"Adams\""), std::string::npos);
    EXPECT_EQ(window->fieldEdit("LNAME")->text(), current) << "back on the record that was current";
    EXPECT_EQ(log.texts(), QStringList{});
}

TEST_F(TransferCommands, ExportIsRefusedWithoutRecords)
{
    for (int i = 0; i < 3; ++i) {
        table().first();
        table().deleteRecord();
    }
    window->applyFilter();
    action("mnuExport")->trigger();
    EXPECT_EQ(log.texts(), QStringList{"No active records for current filter. Nothing to copy"});
}

} // namespace
} // namespace qb
