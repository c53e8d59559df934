#include "core/fields_list.h"

#include "core/paths.h"
#include "test_support.h"

#include <QStringList>

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

namespace qb {
namespace {

using xbase::test::readFile;
using xbase::test::ScratchDir;
using xbase::test::writeFile;

const QStringList kRecordView{"Tagged", "FullName", "FullNameWithPrefix", "CityStateZip", "LNAME", "FNAME", "MIDDLE",
                              "PREFIX", "TITLE", "ORG", "STREET", "STREET2", "CITY", "STATE", "ZIP", "COUNTRY",
                              "PHONE", "PHONE2", "FAX", "EMAIL", "CODES", "USER1", "USER2", "MEMO", "ISDEL", "DATE",
                              "DisplayDate", "TAG"};

// The record view with the named fields taken out and put back at the front, in that order.
QStringList withFront(const QStringList& front)
{
    QStringList rest = kRecordView;
    for (const QString& f : front)
        rest.removeAll(f);
    return front + rest;
}

TEST(FieldsList, AppliesLinesAsPositions)
{
    struct Case {
        const char* name;
        QStringList listed;
        QStringList expected;
    };
    QStringList reversed = kRecordView;
    std::reverse(reversed.begin(), reversed.end());
    const std::vector<Case> cases{
        {"no lines", {}, kRecordView},
        {"all, another order", reversed, reversed},
        {"fewer names", {"ZIP", "LNAME"}, withFront({"ZIP", "LNAME"})},
        {"any letter case, the column's spelling kept", {"zip", "displaydate"}, withFront({"ZIP", "DisplayDate"})},
        // The unknown name keeps its line: LNAME goes to position 2, and the first
        // of the others slides into position 1.
        {"unknown name", {"ZIP", "NICKNAME", "LNAME"},
         QStringList{"ZIP", "Tagged", "LNAME"} + withFront({"ZIP", "Tagged", "LNAME"}).mid(3)},
        {"blank names only", {"", " "}, kRecordView},
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyFieldsList(kRecordView, c.listed), c.expected) << c.name;

    // Lines beyond the last column put a field last.
    EXPECT_EQ(applyFieldsList({"A", "B", "C"}, {"X", "Y", "Z", "W", "A"}), (QStringList{"B", "C", "A"}));
}

TEST(FieldsList, ReadsCrlfAndBareLineFeedsInWindows1252)
{
    ScratchDir dir;
    const auto path = dir.file("FIELDS.LST");
    writeFile(path, "ZIP\r\nLNAME  \r\n\r\nCITY\nNOM\xC9\r\n");
    const auto names = readFieldsList(QString::fromStdString(path));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (QStringList{"ZIP", "LNAME", "CITY", QString::fromUtf8("NOM\xC3\x89")}));
}

TEST(FieldsList, RefusesWhatCannotBeAColumnList)
{
    ScratchDir dir;
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string manyNames;
    for (int i = 0; i < 1025; ++i)
        manyNames += "F" + std::to_string(i) + "\r\n";
    const std::vector<Case> cases{
        {"larger than any column list", std::string(64 * 1024 + 1, 'A')},
        {"more names than any table has", manyNames},
    };
    for (const auto& c : cases) {
        const auto path = dir.file("FIELDS.LST");
        writeFile(path, c.bytes);
        QString error;
        EXPECT_FALSE(readFieldsList(QString::fromStdString(path), &error)) << c.name;
        EXPECT_TRUE(error.contains("FIELDS.LST")) << c.name;
    }
    QString error;
    EXPECT_FALSE(readFieldsList(QString::fromStdString(dir.file("MISSING.LST")), &error));
    EXPECT_FALSE(error.isEmpty());
}

// An old list with an unknown name and too few names still orders the grid, and
// what is written back afterwards is the whole record view.
TEST(FieldsList, ShortOrStaleListIsRewrittenWithEveryField)
{
    ScratchDir dir;
    const QString before = ProgramFolder::path();
    std::filesystem::create_directories(dir.path() / "sysdata");
    ProgramFolder::setPath(QString::fromStdString(dir.path().string()));
    writeFile(dir.file("sysdata/FIELDS.LST"), "ZIP\r\nNICKNAME\r\n");

    const auto listed = readFieldsList(fieldsListPath());
    ASSERT_TRUE(listed);
    const QStringList order = applyFieldsList(kRecordView, *listed);
    ASSERT_TRUE(writeFieldsList(fieldsListPath(), order));

    std::string expected;
    for (const QString& f : withFront({"ZIP"}))
        expected += f.toStdString() + "\r\n";
    EXPECT_EQ(readFile(dir.file("sysdata/FIELDS.LST")), expected);
    ProgramFolder::setPath(before);
}

TEST(FieldsList, WriteIntoMissingFolderFails)
{
    ScratchDir dir;
    EXPECT_FALSE(writeFieldsList(QString::fromStdString(dir.file("no-such-folder/FIELDS.LST")), kRecordView));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no-such-folder"));
}

} // namespace
} // namespace qb
