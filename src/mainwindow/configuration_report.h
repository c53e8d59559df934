#pragma once
// The configuration report users send with a support request: what program,
// what machine, which settings file. The facts are gathered apart from the
// report so that the report itself is a plain function of them.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class QWidget;

namespace qb {

inline constexpr QLatin1StringView kProgramVersion{"2.8e"};
// The project's page, which " Visit Our Internet Website" opens in the desktop's browser.
inline constexpr QLatin1StringView kProjectWebsite{"https://quillbase.example.org/"};

// What the report says about this machine.
struct SystemFacts {
    QDateTime now;
    QLocale locale;                 // the user's: patterns, names, digit grouping
    QString systemLocaleName;       // the system's default, e.g. "en_US"; empty: unknown
    QString osName;                 // "Debian GNU/Linux 12 (bookworm)"
    QString kernel;                 // "linux 6.1.0-18-amd64"
    QString architecture;           // "x86_64"
    QString processor;              // model name
    int processorCount = 0;
    int screenWidth = 0, screenHeight = 0, bitsPerPixel = 0;
    int logicalDpi = 96;
    QString displayServer;          // Qt's platform plugin and session type: "xcb (x11)"
    QString keyboard;               // keyboard model and layout
    QStringList pointingDevices;
    // Bytes; -1 when unknown.
    qint64 physTotal = -1, physAvailable = -1, swapTotal = -1, swapAvailable = -1, commitTotal = -1,
           commitAvailable = -1;
    // The sections that stand in for WIN.INI's: heading and key=value lines.
    std::vector<std::pair<QString, std::vector<std::pair<QString, QString>>>> sections;
    QString settingsPath;
    int aggressiveSave = 1;
};

// The report, line by line: program, system, processor, screen, font size,
// memory, language and country, date and time formats, printers, ports and
// locale variables, and the settings file.
QStringList configurationReport(const SystemFacts& facts);

// "2", "16" .. "16,777,216" for the bits per pixel; other depths as 2 to that power.
qint64 colourCount(int bitsPerPixel);

// Parsers of the files the facts come from, each given the file's text.
// /proc/meminfo: value of key in bytes, -1 when missing.
qint64 meminfoBytes(const QString& meminfo, const QString& key);
// /proc/cpuinfo: the first "model name" (or "Processor", "cpu model").
QString cpuModel(const QString& cpuinfo);
// /etc/default/keyboard: "model pc105, layout us".
QString keyboardDescription(const QString& defaultKeyboard);
// /etc/default/locale or /etc/locale.conf: LANG without encoding ("en_US").
QString localeFileLang(const QString& localeFile);

// This machine now; the screen of window (or the primary screen), the
// settings file and its "AggressiveSave".
class Settings;
SystemFacts gatherSystemFacts(const Settings& settings, const QWidget* window = nullptr);

} // namespace qb
