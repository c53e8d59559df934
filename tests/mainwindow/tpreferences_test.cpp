#include "mainwindow/tpreferences.h"
#include "core/messages.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;

// Every check box of the dialog with the key it edits in section "Adding".
const char* const kAddingFlags[] = {
    "PlugDate", "PlugCityState", "AutoDupCheck", "CarryOrg", "CarrySA1", "CarrySA2", "CarryCity",
    "CarryState", "CarryZip", "CarryCountry", "SkipOrganization", "SkipPhone1", "SkipEmail", "SkipState",
    "SkipZip", "SkipCountry", "SkipAddress2", "SkipLastName", "SkipMiddleInitial", "SkipfirstName",
    "Skiptitle", "SkipPhone2", "SkipFax", "SkipCodes", "SkipPrefix", "SkipComments1", "SkipDate", "Skipcomments2",
};

QCheckBox* box(TPreferences& d, const char* key)
{
    return d.findChild<QCheckBox*>(QString::fromLatin1(key) + "Check");
}

QString iniPath(const ScratchDir& dir) { return QString::fromStdString(dir.file("QUILLB.ini")); }

TEST(TPreferences, WithoutASettingsFileEverythingIsOffAndSavingIsNormal)
{
    ScratchDir dir;
    Settings settings(iniPath(dir));
    TPreferences d(settings);
    for (const char* key : kAddingFlags) {
        ASSERT_NE(box(d, key), nullptr) << key;
        EXPECT_FALSE(box(d, key)->isChecked()) << key;
    }
    EXPECT_EQ(d.findChild<QLineEdit*>("DefaultCountryEdit")->text(), "");
    EXPECT_EQ(d.findChild<QComboBox*>("AggressiveSaveCombo")->currentText(), "Normal - Every 5 Saves");
    EXPECT_EQ(d.windowTitle(), "Preferences");
}

TEST(TPreferences, EachBoxShowsAndWritesItsOwnKey)
{
    // One key on at a time: a box wired to the wrong key shows up as a neighbour switched on.
    for (const char* key : kAddingFlags) {
        ScratchDir dir;
        Settings settings(iniPath(dir));
        settings.setBoolean("Adding", key, true);
        {
            TPreferences d(settings);
            for (const char* other : kAddingFlags)
                EXPECT_EQ(box(d, other)->isChecked(), std::string(other) == key) << key << " shown as " << other;
            box(d, key)->setChecked(false);
            QTest::mouseClick(d.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
            EXPECT_EQ(d.result(), QDialog::Accepted);
        }
        for (const char* other : kAddingFlags) {
            EXPECT_TRUE(settings.contains("Adding", other)) << other;
            EXPECT_FALSE(settings.boolean("Adding", other, true)) << key << " wrote " << other;
        }
    }
}

TEST(TPreferences, OkWritesCountryAndSavingLevelCancelWritesNothing)
{
    struct Case {
        const char* button;
        bool written;
    };
    for (const Case& c : {Case{"OkButton", true}, Case{"CancelButton", false}}) {
        ScratchDir dir;
        Settings settings(iniPath(dir));
        TPreferences d(settings);
        QLineEdit* country = d.findChild<QLineEdit*>("DefaultCountryEdit");
        QTest::keyClicks(country, QString(40, QLatin1Char('C')));
        EXPECT_EQ(country->text().size(), 30);
        d.findChild<QComboBox*>("AggressiveSaveCombo")->setCurrentIndex(0);   // "None"
        box(d, "PlugDate")->setChecked(true);
        QTest::mouseClick(d.findChild<QPushButton*>(c.button), Qt::LeftButton);
        EXPECT_EQ(settings.contains("Editing", "AggressiveSave"), c.written) << c.button;
        EXPECT_EQ(settings.contains("Adding", "PlugDate"), c.written) << c.button;
        if (c.written) {
            EXPECT_EQ(settings.string("Editing", "AggressiveSave"), "0");
            EXPECT_EQ(settings.string("Adding", "DefaultCountry"), QString(30, QLatin1Char('C')));
            EXPECT_EQ(settings.string("Adding", "PlugDate"), "1");
        }
    }
}

TEST(TPreferences, ShowsTheStoredSavingLevelAndFallsBackForOneOutsideTheList)
{
    struct Case {
        const char* stored;
        int index;
    };
    for (const Case& c : {Case{"0", 0}, Case{"1", 1}, Case{"2", 2}, Case{"7", 1}, Case{"-1", 1}}) {
        ScratchDir dir;
        Settings settings(iniPath(dir));
        settings.setString("Editing", "AggressiveSave", c.stored);
        settings.setString("Adding", "DefaultCountry", "Canada");
        TPreferences d(settings);
        EXPECT_EQ(d.findChild<QComboBox*>("AggressiveSaveCombo")->currentIndex(), c.index) << c.stored;
        EXPECT_EQ(d.findChild<QLineEdit*>("DefaultCountryEdit")->text(), "Canada");
    }
}

} // namespace
} // namespace qb::test
