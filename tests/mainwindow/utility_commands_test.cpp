// The utilities from the main window's menu: each runs on the window's own
// table, which afterwards shows its filter, order and record as the command
// leaves them.

#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/settings.h"
#include "core/system_tables.h"
#include "mainwindow/address_filter.h"
#include "mainwindow/window_test_support.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tcheckstatezip.h"
#include "utilities/tconvertcase.h"
#include "utilities/tsearchreplace.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::child;
using test::MessageLog;
using test::ProgramDir;
using test::Row;
using test::whenShown;

class UtilityCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        Settings::program().setBoolean("Misc", "GettingStarted", true);
        ASSERT_TRUE(createAddressTable(program.data("add0001.DBF"), FieldLengths::settingsDefaults()));
        AddressTable t;
        ASSERT_TRUE(t.open(program.data("add0001.DBF")));
        for (const Row& r : std::vector<Row>{{{"LNAME", "carter"}, {"STATE", "OH"}, {"ZIP", "44101"}},
                                             {{"LNAME", "adams"}, {"STATE", "IL"}, {"ZIP", "99999"}},
                                             {{"LNAME", "baker"}, {"STATE", "OH"}, {"ZIP", "10001"}}})
            test::addRow(t.table(), r);
        t.close();
        // A result index a crash left behind goes when the window starts.
        QFile(program.data("add0001_chksz.idx")).open(QIODevice::WriteOnly);
        window = std::make_unique<TAddressMain>();
        window->show();
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
    std::unique_ptr<TAddressMain> window;
};

TEST_F(UtilityCommands, ConvertCaseKeepsTheFilterAndTheRecord)
{
    EXPECT_FALSE(QFile::exists(program.data("add0001_chksz.idx")));
    setStateFilter("OH");
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
    QTest::mouseClick(window->findChild<QPushButton*>("LastButton"), Qt::LeftButton);
    const QString current = window->fieldEdit("LNAME")->text();
    whenShown<TConvertCase>([](TConvertCase* w) {
        child<QCheckBox>(w, "cbLNAME")->setChecked(true);
        child<QRadioButton>(w, "rbFiltered")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, "ConvertButton"), Qt::LeftButton);
    });
    action("mnuConvertCase")->trigger();
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
    EXPECT_EQ(window->fieldEdit("LNAME")->text(), current.toUpper());
    table().setFilter("");
    std::vector<std::string> names;
    for (bool ok = table().first(); ok; ok = table().next())
        names.push_back(table().text("LNAME"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"BAKER", "CARTER", "adams"}));
}

TEST_F(UtilityCommands, StateZipCheckNeedsItsReferenceAndLeavesNoIndex)
{
    action("mnuCheckStateZip")->trigger();
    EXPECT_EQ(log.texts(), QStringList{"The file CSZ.DBF has been removed from the SYSDATA directory. Unable to continue."});
    {
        auto csz = xbase::Table::create((program.folder() + "sysdata/CSZ.DBF").toStdString(), systemTableFields(SystemTable::CityStateZip));
        for (auto [state, low, high] : {std::tuple{"OH", "43000", "45999"}, std::tuple{"IL", "60000", "62999"}}) {
            csz->appendBlank();
            csz->setText("STATE", state);
            csz->setText("LOW_ZIP", low);
            csz->setText("HIGH_ZIP", high);
            csz->post();
        }
    }
    setStateFilter("OH");
    const std::string order = table().currentOrderName();
    uint64_t found = 0;
    whenShown<TCheckStateZip>([&](TCheckStateZip* w) {
        QTest::mouseClick(child<QPushButton>(w, "PerformCheckButton"), Qt::LeftButton);
        found = w->found();
        EXPECT_TRUE(QFile::exists(program.data("add0001_chksz.idx")));
        QTest::mouseClick(child<QPushButton>(w, "CloseButton"), Qt::LeftButton);
    });
    action("mnuCheckStateZip")->trigger();
    EXPECT_EQ(found, 2u) << "every record not deleted, the filter set aside";
    EXPECT_FALSE(QFile::exists(program.data("add0001_chksz.idx")));
    EXPECT_EQ(table().currentOrderName(), order);
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
}

TEST_F(UtilityCommands, DeleteRecordsNotMatchingKeepsTheFilteredOnes)
{
    setStateFilter("OH");
    whenShown<TDeleteRecords>([](TDeleteRecords* w) {
        child<QRadioButton>(w, "rbDeleteNotMatching")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, "DeleteNowButton"), Qt::LeftButton);
    });
    action("mnuDeleteRecords")->trigger();
    EXPECT_EQ(log.texts().mid(0, 2), (QStringList{"Delete the 1 record not matching the filter?", "Deleted 1 record"}));
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
    table().setFilter("!ISDEL");
    EXPECT_EQ(table().countFiltered(), 2u);
}

// The duplicate check walks the whole table; afterwards the main window shows
// the record it showed before, as after the other utilities.
TEST_F(UtilityCommands, DuplicateCheckPutsTheRecordBack)
{
    QTest::mouseClick(window->findChild<QPushButton*>("LastButton"), Qt::LeftButton);
    const QString current = window->fieldEdit("LNAME")->text();
    ASSERT_EQ(current, "carter");
    whenShown<TCheckDuplicates>([](TCheckDuplicates* w) {
        QTest::mouseClick(child<QPushButton>(w, "PerformCheckButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w, "OkButton"), Qt::LeftButton);
    });
    action("mnuCheckDuplicates")->trigger();
    EXPECT_EQ(window->fieldEdit("LNAME")->text(), current);
}

} // namespace
} // namespace qb
