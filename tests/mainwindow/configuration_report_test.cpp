#include "mainwindow/configuration_report.h"
#include "mainwindow/tconfigurationinfo.h"
#include "message_log.h"
#include "core/settings.h"
#include "test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

SystemFacts facts()
{
    SystemFacts f;
    f.now = QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9));
    f.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    f.systemLocaleName = "fr_CA";
    f.osName = "Debian GNU/Linux 12 (bookworm)";
    f.kernel = "linux 6.1.0-18-amd64";
    f.architecture = "x86_64";
    f.processor = "Intel(R) Xeon(R) CPU @ 2.80GHz";
    f.processorCount = 2;
    f.screenWidth = 1920;
    f.screenHeight = 1080;
    f.bitsPerPixel = 24;
    f.logicalDpi = 96;
    f.displayServer = "xcb (x11)";
    f.keyboard = "model pc105, layout us";
    f.pointingDevices = {"Logitech USB Optical Mouse"};
    f.physTotal = 4000000000;
    f.physAvailable = 1000000000;
    f.swapTotal = 0;
    f.swapAvailable = 0;
    f.commitTotal = 2000000000;
    f.commitAvailable = 1500000000;
    f.sections = {{"Printers", {{"Selected", "PDF file"}, {"PDF file", "built in"}}}, {"Ports", {}}};
    f.settingsPath = "/opt/quillbase/QUILLB.ini";
    f.aggressiveSave = 2;
    return f;
}

TEST(ConfigurationReport, ListsTheMachineLineByLine)
{
    const SystemFacts f = facts();
    const QStringList expected = {
        f.locale.toString(f.now, f.locale.dateFormat(QLocale::LongFormat) + " " + f.locale.timeFormat(QLocale::LongFormat)),
        "",
        "[Product]",
        "Program:     \tQuillbase",
        "Version:     \t2.8e",
        "",
        "[Environment]",
        "System:      \tDebian GNU/Linux 12 (bookworm) (kernel linux 6.1.0-18-amd64)",
        "CPU:         \tProcessor:  x86_64 Intel(R) Xeon(R) CPU @ 2.80GHz (2 processors)",
        "Video:       \t1920 x 1080 x 16,777,216 colors",
        "Video Driver:\txcb (x11)",
        "Keyboard:    \tmodel pc105, layout us",
        "Mouse:       \tLogitech USB Optical Mouse",
        "Font:        \tSmall Fonts in use",
        "Memory Load: \t75%",
        "Phys Memory: \tTotal: 4,000,000,000;    Available: 1,000,000,000",
        "Page File:   \tTotal: 0;    Available: 0",
        "Virt Memory: \tTotal: 2,000,000,000;    Available: 1,500,000,000",
        "Language:    \tUser: English;    System: French",
        "Country:     \tUser: United States;    System: Canada",
        "Date Format: \tShort: " + f.locale.dateFormat(QLocale::ShortFormat) + ";    Long: " + f.locale.dateFormat(QLocale::LongFormat),
        "Time Format: \tShort: " + f.locale.timeFormat(QLocale::ShortFormat) + ";    Long: " + f.locale.timeFormat(QLocale::LongFormat),
        "",
        "[Printers]",
        "Selected=PDF file",
        "PDF file=built in",
        "",
        "[Ports]",
        "",
        "",
        "[/opt/quillbase/QUILLB.ini]",
        "",
        "Aggr. Save:  \t2",
    };
    const QStringList report = configurationReport(f);
    ASSERT_EQ(report.size(), expected.size()) << report.join("\n").toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(report[i], expected[i]) << "line " << i;
}

TEST(ConfigurationReport, ColoursAndFontSizes)
{
    const std::pair<int, qint64> colours[] = {{1, 2}, {4, 16}, {8, 256}, {15, 32768}, {16, 65535},
                                              {24, 16777216}, {32, 16777216}, {30, 1073741824}, {0, 0}};
    for (const auto& [bits, count] : colours)
        EXPECT_EQ(colourCount(bits), count) << bits;

    const std::pair<int, const char*> fonts[] = {
        {96, "Font:        \tSmall Fonts in use"}, {120, "Font:        \tLarge Fonts in use"},
        {144, "Font:        \tCustom font size in use"}};
    for (const auto& [dpi, line] : fonts) {
        SystemFacts f = facts();
        f.logicalDpi = dpi;
        EXPECT_TRUE(configurationReport(f).contains(line)) << dpi;
    }
}

TEST(ConfigurationReport, UnknownMemoryIsSaidNotDividedByZero)
{
    SystemFacts f = facts();
    f.physTotal = 0;
    f.physAvailable = -1;
    const QStringList report = configurationReport(f);
    EXPECT_TRUE(report.contains("Memory Load: \tunknown"));
    EXPECT_TRUE(report.contains("Phys Memory: \tTotal: 0;    Available: unknown"));
}

TEST(ConfigurationReport, ParsesTheSystemFiles)
{
    const QString meminfo = "MemTotal:        4019320 kB\nMemAvailable:    2000000 kB\nHugePages_Total:       0\n";
    EXPECT_EQ(meminfoBytes(meminfo, "MemTotal"), 4019320LL * 1024);
    EXPECT_EQ(meminfoBytes(meminfo, "MemAvailable"), 2000000LL * 1024);
    EXPECT_EQ(meminfoBytes(meminfo, "HugePages_Total"), 0);
    EXPECT_EQ(meminfoBytes(meminfo, "SwapTotal"), -1);
    EXPECT_EQ(meminfoBytes(meminfo, "Mem"), -1);

    EXPECT_EQ(cpuModel("processor\t: 0\nmodel name\t: Intel Xeon\nprocessor\t: 1\nmodel name\t: Other\n"), "Intel Xeon");
    EXPECT_EQ(cpuModel("Processor\t: ARMv7 rev 5 (v7l)\n"), "ARMv7 rev 5 (v7l)");
    EXPECT_EQ(cpuModel(""), "");

    EXPECT_EQ(keyboardDescription("XKBMODEL=\"pc105\"\nXKBLAYOUT=\"de\"\nXKBVARIANT=\"nodeadkeys\"\n"),
              "model pc105, layout de nodeadkeys");
    EXPECT_EQ(keyboardDescription("XKBLAYOUT=us\n"), "layout us");
    EXPECT_EQ(keyboardDescription(""), "");

    EXPECT_EQ(localeFileLang("#  File generated by update-locale\nLANG=\"en_GB.UTF-8\"\n"), "en_GB");
    EXPECT_EQ(localeFileLang("LANG=C\n"), "C");
    EXPECT_EQ(localeFileLang("LANGUAGE=fr\n"), "");
}

TEST(ConfigurationReport, GatheredFactsNameTheSettingsFileAndItsSavingLevel)
{
    xbase::test::ScratchDir dir;
    Settings settings(QString::fromStdString(dir.file("QUILLB.ini")));
    settings.setInteger("Editing", "AggressiveSave", 0);
    const QStringList report = configurationReport(gatherSystemFacts(settings));
    EXPECT_EQ(report.last(), "Aggr. Save:  \t0");
    EXPECT_EQ(report[report.size() - 3], "[" + settings.path() + "]");
    EXPECT_TRUE(report.contains("[Printers]"));
}

TEST(TConfigurationInfo, ShowsTheReportFromTheTopAndCopiesIt)
{
    MessageLog log;
    QStringList report;
    for (int i = 0; i < 200; ++i)
        report << QString("line %1\tvalue").arg(i);
    TConfigurationInfo d(report);
    EXPECT_EQ(d.windowTitle(), "Configuration Information");
    auto* memo = d.findChild<QPlainTextEdit*>("ReportMemo");
    EXPECT_TRUE(memo->isReadOnly());
    d.show();
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);

    QTest::mouseClick(d.findChild<QPushButton*>("CopyButton"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), report.join("\n"));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text, "Information copied to clipboard");
    EXPECT_EQ(log.messages[0].caption, "Configuration Information");
}

} // namespace
} // namespace qb::test
