#include "core/first_start.h"
#include "core/field_lengths.h"
#include "message_log.h"
#include "core/mru.h"
#include "core/paths.h"
#include "core/settings.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;

class FirstStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = QString::fromStdString(dir.path().string()) + "/";
        QDir().mkpath(folder + "DATA");
        QDir().mkpath(folder + "sysdata");
        ProgramFolder::setPath(folder);
        log.answer = false;
    }

    ScratchDir dir;
    QString folder;
    MessageLog log;
};

// No settings file and an empty DATA folder: add0001.DBF is made with the
// default widths and opened, becomes the first MRU entry, and the tag
// identifier is written.
TEST_F(FirstStartTest, FirstRunCreatesTheDefaultDatabase)
{
    Settings settings = Settings::program();
    AddressTable table;
    const FirstStart start = openFirstDatabase(table, settings, [] {}, QDateTime(QDate(1999, 3, 4), QTime(5, 6, 7)));
    EXPECT_TRUE(log.messages.empty()) << log.texts().join("\n").toStdString();
    const QString expected = folder + "DATA/add0001.DBF";
    EXPECT_EQ(start.currentDatabase, expected);
    ASSERT_TRUE(table.isOpen());
    EXPECT_TRUE(table.checkValidIndex());
    EXPECT_EQ(table.table().field(table.table().fieldIndex("LNAME")).length, 30);
    EXPECT_EQ(table.table().field(table.table().fieldIndex("ZIP")).length, 10);
    EXPECT_EQ(table.table().field(table.table().fieldIndex("FAX")).length, 40);
    EXPECT_EQ(readMru(settings), QStringList{expected});
    EXPECT_TRUE(start.tagId.startsWith("4"));
    EXPECT_EQ(settings.string("Misc", "GlobalTagId"), start.tagId);
    table.close();
    QProcess check;
    check.start(QB_QBTOOL, {"check", expected});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    EXPECT_EQ(check.readAllStandardOutput(), "ok\n");
}

// The most recent database wins; one that no longer opens is reported and the
// list stays as it was.
TEST_F(FirstStartTest, MostRecentDatabaseFirstAndAMissingOneKeepsTheList)
{
    Settings settings = Settings::program();
    settings.setString("MRU", "Item1", folder + "DATA/GONE.DBF");
    settings.setString("MRU", "Item2", folder + "DATA/OTHER.DBF");
    AddressTable table;
    const FirstStart start = openFirstDatabase(table, settings, [] {});
    EXPECT_TRUE(start.currentDatabase.isEmpty());
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(log.texts(), QStringList{"File " + folder + "DATA/GONE.DBF not found"});
    EXPECT_EQ(readMru(settings), (QStringList{folder + "DATA/GONE.DBF", folder + "DATA/OTHER.DBF"}));
    EXPECT_FALSE(QFileInfo::exists(folder + "DATA/add0001.DBF"));
}

// Without a DATA folder the default database cannot be made: the creation
// message appears and nothing is open.
TEST_F(FirstStartTest, MissingDataFolderReportsTheCreateFailure)
{
    QDir(folder + "DATA").removeRecursively();
    Settings settings = Settings::program();
    AddressTable table;
    const FirstStart start = openFirstDatabase(table, settings, [] {});
    EXPECT_TRUE(start.currentDatabase.isEmpty());
    EXPECT_EQ(log.texts(), QStringList{"Create failed"});
    EXPECT_FALSE(QFileInfo::exists(folder + "DATA"));
}

// A database named on the command line is opened instead of the most recent
// one and becomes the first MRU entry; a missing one is reported, never made.
TEST_F(FirstStartTest, ARequestedDatabaseWinsOverTheMostRecentOne)
{
    Settings settings = Settings::program();
    const QString recent = folder + "DATA/RECENT.DBF";
    const QString requested = folder + "DATA/ASKED.DBF";
    ASSERT_TRUE(createAddressTable(recent, FieldLengths::read(settings)));
    ASSERT_TRUE(createAddressTable(requested, FieldLengths::read(settings)));
    settings.setString("MRU", "Item1", recent);
    AddressTable table;
    FirstStart start = openFirstDatabase(table, settings, [] {}, QDateTime::currentDateTime(), requested);
    EXPECT_EQ(start.currentDatabase, requested);
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(readMru(settings), (QStringList{requested, recent}));
    table.close();

    start = openFirstDatabase(table, settings, [] {}, QDateTime::currentDateTime(), folder + "DATA/NEW.DBF");
    EXPECT_TRUE(start.currentDatabase.isEmpty());
    EXPECT_EQ(log.texts(), QStringList{"File " + folder + "DATA/NEW.DBF not found"});
    EXPECT_FALSE(QFileInfo::exists(folder + "DATA/NEW.DBF"));
    EXPECT_EQ(readMru(settings), (QStringList{requested, recent}));
}

} // namespace
} // namespace qb::test
