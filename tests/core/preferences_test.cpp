#include "core/preferences.h"
#include "core/tag_id.h"
#include "test_support.h"

#include <QFile>
#include <set>
#include <string>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;
using xbase::test::readFile;
using xbase::test::writeFile;

const QDateTime kNow(QDate(1999, 12, 31), QTime(23, 59, 59));

// The "Key=Value" lines of one section of a settings file.
std::set<std::string> sectionLines(const std::string& file, const std::string& section)
{
    std::set<std::string> lines;
    bool inside = false;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find("\r\n", start);
        if (end == std::string::npos)
            end = file.size();
        const std::string line = file.substr(start, end - start);
        start = end + 2;
        if (!line.empty() && line[0] == '[')
            inside = line == "[" + section + "]";
        else if (inside && !line.empty())
            lines.insert(line);
    }
    return lines;
}

TEST(Preferences, MissingFileGivesTheTableDefaultsAndCreatesNothing)
{
    ScratchDir dir;
    const QString path = QString::fromStdString(dir.file("QUILLB.ini"));
    const Settings s(path);

    EXPECT_EQ(AddingPreferences::read(s), AddingPreferences{});
    EXPECT_EQ(AddingPreferences::read(s).defaultCountry, "");
    EXPECT_EQ(EditingPreferences::read(s).aggressiveSave, 1);
    EXPECT_EQ(DialingPreferences::read(s), DialingPreferences{});
    const MiscPreferences misc = MiscPreferences::read(s, kNow);
    EXPECT_FALSE(misc.gettingStarted);
    EXPECT_EQ(misc.globalTagId, tagIdFor(kNow));
    for (DesignKind kind : {DesignKind::Label, DesignKind::Envelope, DesignKind::Letter}) {
        const DefaultFontPreferences font = DefaultFontPreferences::read(s, kind);
        EXPECT_EQ(font.name, "Arial");
        EXPECT_EQ(font.size, 10);
        EXPECT_FALSE(font.bold || font.italic);
    }
    const EnvelopeFeedPreferences feed = EnvelopeFeedPreferences::read(s);
    EXPECT_EQ(feed.orientation, 1);
    EXPECT_EQ(feed.facing, 1);
    EXPECT_EQ(feed.position, 2);
    EXPECT_FALSE(feed.clockWiseRotation);
    EXPECT_EQ(EnvelopePrinterPreferences::read(s), EnvelopePrinterPreferences{});
    EXPECT_FALSE(QFile::exists(path));
}

// Every key of "Adding" as the file spells it, the odd capitals included.
TEST(Preferences, AddingKeysAreWrittenWithTheirExactSpelling)
{
    ScratchDir dir;
    Settings s(QString::fromStdString(dir.file("QUILLB.ini")));
    AddingPreferences p;
    p.plugCityState = true;
    p.defaultCountry = "Canada";
    p.carry.street = true;
    p.skip.firstName = true;
    p.skip.title = true;
    p.skip.comments2 = true;
    ASSERT_TRUE(p.write(s));

    const std::set<std::string> expected = {
        "PlugDate=0", "PlugCityState=1", "AutoDupCheck=0", "DefaultCountry=Canada",
        "CarryOrg=0", "CarrySA1=1", "CarrySA2=0", "CarryCity=0", "CarryState=0", "CarryZip=0", "CarryCountry=0",
        "SkipOrganization=0", "SkipPhone1=0", "SkipEmail=0", "SkipState=0", "SkipZip=0", "SkipCountry=0",
        "SkipAddress2=0", "SkipLastName=0", "SkipMiddleInitial=0", "SkipfirstName=1", "Skiptitle=1",
        "SkipPhone2=0", "SkipFax=0", "SkipCodes=0", "SkipPrefix=0", "SkipComments1=0", "SkipDate=0",
        "Skipcomments2=1",
    };
    EXPECT_EQ(sectionLines(readFile(dir.file("QUILLB.ini")), "Adding"), expected);
    EXPECT_EQ(AddingPreferences::read(s), p);
}

TEST(Preferences, EverySectionReadsBackWhatWasWritten)
{
    ScratchDir dir;
    Settings s(QString::fromStdString(dir.file("QUILLB.ini")));

    const EditingPreferences editing{0};
    const MiscPreferences misc{true, "4ABC"};
    const DialingPreferences dialing{"9,", "ATZ", 3, 1, true, "/dev/ttyACM0"};
    const DefaultFontPreferences letterFont{"Times New Roman", 12, true, true};
    const EnvelopeFeedPreferences feed{0, 0, 1, true};
    const EnvelopePrinterPreferences printer{"HP on lp0", "Tray 2", "Envelope #10", 1};
    ASSERT_TRUE(editing.write(s) && misc.write(s) && dialing.write(s) && feed.write(s) && printer.write(s));
    ASSERT_TRUE(letterFont.write(s, DesignKind::Letter));

    EXPECT_EQ(EditingPreferences::read(s), editing);
    EXPECT_EQ(MiscPreferences::read(s, kNow), misc);
    EXPECT_EQ(DialingPreferences::read(s), dialing);
    EXPECT_EQ(DefaultFontPreferences::read(s, DesignKind::Letter), letterFont);
    EXPECT_EQ(DefaultFontPreferences::read(s, DesignKind::Label), DefaultFontPreferences{});
    EXPECT_EQ(EnvelopeFeedPreferences::read(s), feed);
    EXPECT_EQ(EnvelopePrinterPreferences::read(s), printer);

    const std::string file = readFile(dir.file("QUILLB.ini"));
    EXPECT_NE(file.find("[Envelope Feed]\r\nOrientation=0\r\nFacing=0\r\nPosition=1\r\nClockWiseRotation=1\r\n"), std::string::npos);
    EXPECT_NE(file.find("UseTAPI=1"), std::string::npos);
}

// Envelope printing keeps the selected printer's own value for a missing key, so the
// envelope printer section distinguishes missing from empty.
TEST(Preferences, EnvelopePrinterKeepsMissingApartFromEmpty)
{
    ScratchDir dir;
    writeFile(dir.file("QUILLB.ini"), "[Envelope Printer]\r\nBin=\r\nOrientation=abc\r\n");
    Settings s(QString::fromStdString(dir.file("QUILLB.ini")));
    const EnvelopePrinterPreferences p = EnvelopePrinterPreferences::read(s);
    EXPECT_FALSE(p.printer);
    EXPECT_EQ(p.bin, QString(""));
    EXPECT_FALSE(p.paper);
    EXPECT_FALSE(p.orientation);

    EnvelopePrinterPreferences only;
    only.paper = "Letter";
    ASSERT_TRUE(only.write(s));
    EXPECT_EQ(readFile(dir.file("QUILLB.ini")), "[Envelope Printer]\r\nBin=\r\nOrientation=abc\r\nPaper=Letter\r\n");
}

TEST(Preferences, AFileWrittenOnWindowsIsReadInAnyCaseAndKeepsTheRest)
{
    ScratchDir dir;
    const std::string before =
        "; Quillbase settings\r\n[ADDING]\r\nplugdate=1\r\nSKIPFIRSTNAME=1\r\nDefaultCountry=Espa\xF1" "a\r\n"
        "[MRU]\r\nItem1=C:\\QUILLB\\DATA\\ADD0001.DBF\r\n[editing]\r\naggressivesave=2\r\n";
    writeFile(dir.file("QUILLB.ini"), before);
    Settings s(QString::fromStdString(dir.file("QUILLB.ini")));

    AddingPreferences adding = AddingPreferences::read(s);
    EXPECT_TRUE(adding.plugDate);
    EXPECT_TRUE(adding.skip.firstName);
    EXPECT_EQ(adding.defaultCountry, "España");
    EXPECT_EQ(EditingPreferences::read(s).aggressiveSave, 2);

    adding.plugDate = false;
    ASSERT_TRUE(adding.write(s));
    const std::string after = readFile(dir.file("QUILLB.ini"));
    EXPECT_EQ(after.rfind("; Quillbase settings\r\n[ADDING]\r\nplugdate=0\r\nSKIPFIRSTNAME=1\r\nDefaultCountry=Espa\xF1" "a\r\n", 0), 0u);
    EXPECT_NE(after.find("[MRU]\r\nItem1=C:\\QUILLB\\DATA\\ADD0001.DBF\r\n[editing]\r\naggressivesave=2\r\n"), std::string::npos);
}

TEST(Preferences, GlobalTagIdIsGeneratedOnceAndWrittenBack)
{
    ScratchDir dir;
    const std::string ini = dir.file("QUILLB.ini");
    Settings s(QString::fromStdString(ini));

    EXPECT_EQ(readGlobalTagId(s, kNow), "4KD1NQV");
    EXPECT_EQ(readFile(ini), "[Misc]\r\nGlobalTagId=4KD1NQV\r\n");
    // Later starts keep the stored generation.
    EXPECT_EQ(readGlobalTagId(s, kNow.addYears(5)), "4KD1NQV");

    writeFile(ini, "[Misc]\r\nGlobalTagId=\r\nGettingStarted=1\r\n");
    const MainWindowPreferences prefs = MainWindowPreferences::read(s, kNow);
    EXPECT_EQ(prefs.misc.globalTagId, "4KD1NQV");
    EXPECT_TRUE(prefs.misc.gettingStarted);
    EXPECT_EQ(readFile(ini), "[Misc]\r\nGlobalTagId=4KD1NQV\r\nGettingStarted=1\r\n");
}

} // namespace
} // namespace qb::test
