#include "platform/settings/ini_file.h"
#include "core/settings.h"
#include "core/text_file.h"
#include "disk_full.h"
#include "test_support.h"

#include <QFile>

#include <sys/fsuid.h>
#include <sys/stat.h>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;
using xbase::test::readFile;
using xbase::test::writeFile;

// A file written on Windows: other sections, comments, CRLF, odd spacing,
// Windows-1252 text. Writing one key must keep everything else as it was.
TEST(IniFile, WritesOneKeyAndKeepsEverythingElse)
{
    ScratchDir dir;
    const QString path = QString::fromStdString(dir.file("QUILLB.INI"));
    writeFile(dir.file("QUILLB.INI"),
              "; made on Windows\r\n[Adding]\r\nPlugDate=1\r\nDefaultCountry = Espa\xF1" "a \r\n\r\n"
              "[Other]\r\nKeep=me\r\n[MRU]\r\nItem1=C:\\QUILLB\\DATA\\ADD0001.DBF\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.value("adding", "defaultcountry"), QString("España"));
    EXPECT_EQ(ini.value("MRU", "Item1"), QString("C:\\QUILLB\\DATA\\ADD0001.DBF"));
    EXPECT_FALSE(ini.value("MRU", "Item2"));
    EXPECT_FALSE(ini.value("Nowhere", "Item1"));

    ASSERT_TRUE(ini.setValue("ADDING", "PlugDate", "0"));
    ASSERT_TRUE(ini.setValue("Adding", "CarryOrg", "1"));
    ASSERT_TRUE(ini.setValue("Misc", "GlobalTagId", "4ZZ"));
    EXPECT_EQ(readFile(dir.file("QUILLB.INI")),
              "; made on Windows\r\n[Adding]\r\nPlugDate=0\r\nDefaultCountry = Espa\xF1" "a \r\nCarryOrg=1\r\n\r\n"
              "[Other]\r\nKeep=me\r\n[MRU]\r\nItem1=C:\\QUILLB\\DATA\\ADD0001.DBF\r\n\r\n[Misc]\r\nGlobalTagId=4ZZ\r\n");
}

// A disk that fills up while the settings or a text file are written: the
// write says it failed and the old file stays whole.
TEST(IniFile, AFullDiskLeavesTheOldFileAndSaysSo)
{
    ScratchDir dir;
    const std::string old = "[Adding]\r\nPlugDate=1\r\n" + std::string(40, ';') + "\r\n";
    for (const char* name : {"QUILLB.ini", "FIELDS.LST"}) {
        writeFile(dir.file(name), old);
        const QString path = QString::fromStdString(dir.file(name));
        bool written = true;
        {
            DiskFull full(20);
            written = QString::fromLatin1(name) == "QUILLB.ini" ? IniFile(path).setValue("Adding", "CarryOrg", "1")
                                                                 : writeLines1252(path, {"LNAME", "FNAME", "CITY", "STATE", "ZIP"});
        }
        EXPECT_FALSE(written) << name;
        EXPECT_EQ(readFile(dir.file(name)), old) << name;
    }
}

// File access as another user while it lives, the way a settings file left
// behind by an administrator meets the user: this thread's file-system
// identity is nobody's (when it may change it), and the file lets no one read it.
class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path) : path_(path)
    {
        ::chmod(path_.c_str(), 0);
        previousUid_ = ::setfsuid(65534);
        previousGid_ = ::setfsgid(65534);
    }
    ~UnreadableFile()
    {
        ::setfsgid(previousGid_);
        ::setfsuid(previousUid_);
        ::chmod(path_.c_str(), 0644);
    }

private:
    std::string path_;
    int previousUid_, previousGid_;
};

// A settings file that is there but cannot be read is never replaced by one
// holding only the key being written.
TEST(IniFile, AFileThatCannotBeReadIsNotReplaced)
{
    ScratchDir dir;
    // Anyone may add files beside it, so only the file itself stands in the way.
    ::chmod(dir.path().c_str(), 0777);
    const std::string file = dir.file("QUILLB.ini");
    const std::string kept = "[Misc]\r\nGlobalTagId=ABC\r\n[MRU]\r\nItem1=/data/add0001.DBF\r\n";
    writeFile(file, kept);
    {
        UnreadableFile unreadable(file);
        IniFile ini(QString::fromStdString(file));
        EXPECT_FALSE(ini.readable());
        EXPECT_FALSE(ini.value("Misc", "GlobalTagId"));
        EXPECT_FALSE(ini.setValue("Misc", "GlobalTagId", "NEW"));
        EXPECT_FALSE(Settings(QString::fromStdString(file)).setBoolean("Misc", "GettingStarted", true));
    }
    EXPECT_EQ(readFile(file), kept);
    EXPECT_TRUE(IniFile(QString::fromStdString(dir.file("missing.ini"))).readable());
}

TEST(Settings, MissingMeansDefaultAndBooleansAreNonZero)
{
    ScratchDir dir;
    const QString path = QString::fromStdString(dir.file("QUILLB.ini"));
    Settings s(path);
    EXPECT_EQ(s.integer("Editing", "AggressiveSave", 1), 1);
    EXPECT_TRUE(s.boolean("Adding", "PlugDate", true));
    EXPECT_FALSE(QFile::exists(path));   // reading creates nothing

    writeFile(dir.file("QUILLB.ini"), "[A]\r\nTwo=2\r\nMinus=-1\r\nWord=abc\r\nHex=$1F\r\nZero=0\r\nEmpty=\r\n");
    struct Case { const char* key; int asInteger; bool asBoolean; };
    const Case cases[] = {{"Two", 2, true}, {"Minus", -1, true}, {"Word", 7, true}, {"Hex", 31, true}, {"Zero", 0, false}, {"Empty", 7, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(s.integer("A", c.key, 7), c.asInteger) << c.key;
        EXPECT_EQ(s.boolean("A", c.key, true), c.asBoolean) << c.key;
    }
    ASSERT_TRUE(s.setBoolean("A", "Flag", true));
    EXPECT_EQ(s.string("A", "Flag"), "1");
}

} // namespace
} // namespace qb::test
