#include "mainwindow/configuration_report.h"

#include "core/preferences.h"
#include "core/printer_check.h"

#include <QFile>
#include <QGuiApplication>
#include <QInputDevice>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScreen>
#include <QSysInfo>
#include <QWidget>
#include <QThread>

namespace qb {
namespace {

const QString kSeparator = QStringLiteral(";    ");

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(f.readAll()) : QString();
}

QString bytes(const QLocale& locale, qint64 n)
{
    return n < 0 ? QStringLiteral("unknown") : locale.toString(n);
}

QString totalAndAvailable(const QLocale& locale, qint64 total, qint64 available)
{
    return QStringLiteral("Total: ") + bytes(locale, total) + kSeparator + QStringLiteral("Available: ")
           + bytes(locale, available);
}

QString fontSize(int dpi)
{
    if (dpi == 96)
        return QStringLiteral("Small Fonts in use");
    if (dpi == 120)
        return QStringLiteral("Large Fonts in use");
    return QStringLiteral("Custom font size in use");
}

// Value of KEY=value (quotes removed) in a shell-style file.
QString shellValue(const QString& text, const QString& key)
{
    const QRegularExpression re(QStringLiteral("^\\s*") + QRegularExpression::escape(key) + QStringLiteral("=\"?([^\"\\n]*)\"?\\s*$"),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(text);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

} // namespace

qint64 colourCount(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 15: return 32768;
    case 16: return 65535;   // the report has always said 65535 here; support staff know it
    case 24:
    case 32: return 16777216;
    default: return bitsPerPixel > 0 && bitsPerPixel < 63 ? qint64(1) << bitsPerPixel : 0;
    }
}

QStringList configurationReport(const SystemFacts& f)
{
    const QLocale& loc = f.locale;
    QStringList r;
    r << loc.toString(f.now, loc.dateFormat(QLocale::LongFormat) + QLatin1Char(' ') + loc.timeFormat(QLocale::LongFormat));
    r << QString() << QStringLiteral("[Product]") << QStringLiteral("Program:     \tQuillbase")
      << QStringLiteral("Version:     \t") + kProgramVersion << QString();

    r << QStringLiteral("[Environment]");
    r << QStringLiteral("System:      \t") + f.osName + QStringLiteral(" (kernel ") + f.kernel + QLatin1Char(')');
    QString cpu = QStringLiteral("CPU:         \tProcessor:  ") + f.architecture + QLatin1Char(' ') + f.processor;
    if (f.processorCount > 0)
        cpu += QStringLiteral(" (%1 processors)").arg(f.processorCount);
    r << cpu;
    r << QStringLiteral("Video:       \t%1 x %2 x %3 colors")
             .arg(f.screenWidth)
             .arg(f.screenHeight)
             .arg(loc.toString(colourCount(f.bitsPerPixel)));
    r << QStringLiteral("Video Driver:\t") + f.displayServer;
    r << QStringLiteral("Keyboard:    \t") + f.keyboard;
    r << QStringLiteral("Mouse:       \t") + f.pointingDevices.join(QStringLiteral(", "));
    r << QStringLiteral("Font:        \t") + fontSize(f.logicalDpi);

    const qint64 load = f.physTotal > 0 && f.physAvailable >= 0
                            ? (f.physTotal - f.physAvailable) * 100 / f.physTotal
                            : -1;
    r << QStringLiteral("Memory Load: \t") + (load < 0 ? QStringLiteral("unknown") : QString::number(load) + QLatin1Char('%'));
    r << QStringLiteral("Phys Memory: \t") + totalAndAvailable(loc, f.physTotal, f.physAvailable);
    r << QStringLiteral("Page File:   \t") + totalAndAvailable(loc, f.swapTotal, f.swapAvailable);
    r << QStringLiteral("Virt Memory: \t") + totalAndAvailable(loc, f.commitTotal, f.commitAvailable);

    const QLocale system(f.systemLocaleName.isEmpty() ? QStringLiteral("C") : f.systemLocaleName);
    r << QStringLiteral("Language:    \tUser: ") + QLocale::languageToString(loc.language()) + kSeparator
             + QStringLiteral("System: ") + QLocale::languageToString(system.language());
    r << QStringLiteral("Country:     \tUser: ") + QLocale::territoryToString(loc.territory()) + kSeparator
             + QStringLiteral("System: ") + QLocale::territoryToString(system.territory());
    r << QStringLiteral("Date Format: \tShort: ") + loc.dateFormat(QLocale::ShortFormat) + kSeparator
             + QStringLiteral("Long: ") + loc.dateFormat(QLocale::LongFormat);
    r << QStringLiteral("Time Format: \tShort: ") + loc.timeFormat(QLocale::ShortFormat) + kSeparator
             + QStringLiteral("Long: ") + loc.timeFormat(QLocale::LongFormat);

    r << QString();
    for (const auto& [heading, lines] : f.sections) {
        r << QLatin1Char('[') + heading + QLatin1Char(']');
        for (const auto& [key, value] : lines)
            r << key + QLatin1Char('=') + value;
        r << QString();
    }

    r << QString() << QLatin1Char('[') + f.settingsPath + QLatin1Char(']') << QString()
      << QStringLiteral("Aggr. Save:  \t") + QString::number(f.aggressiveSave);
    return r;
}

qint64 meminfoBytes(const QString& meminfo, const QString& key)
{
    const QRegularExpression re(QStringLiteral("^") + QRegularExpression::escape(key) + QStringLiteral(":\\s*(\\d+)\\s*(kB)?\\s*$"),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(meminfo);
    if (!m.hasMatch())
        return -1;
    const qint64 n = m.captured(1).toLongLong();
    return m.captured(2).isEmpty() ? n : n * 1024;
}

QString cpuModel(const QString& cpuinfo)
{
    for (const char* key : {"model name", "Processor", "cpu model", "cpu"}) {
        const QRegularExpression re(QStringLiteral("^") + QLatin1StringView(key) + QStringLiteral("\\s*:\\s*(.+)$"),
                                    QRegularExpression::MultilineOption);
        const auto m = re.match(cpuinfo);
        if (m.hasMatch())
            return m.captured(1).trimmed();
    }
    return {};
}

QString keyboardDescription(const QString& defaultKeyboard)
{
    QStringList parts;
    const QString model = shellValue(defaultKeyboard, QStringLiteral("XKBMODEL"));
    const QString layout = shellValue(defaultKeyboard, QStringLiteral("XKBLAYOUT"));
    const QString variant = shellValue(defaultKeyboard, QStringLiteral("XKBVARIANT"));
    if (!model.isEmpty())
        parts << QStringLiteral("model ") + model;
    if (!layout.isEmpty())
        parts << QStringLiteral("layout ") + layout + (variant.isEmpty() ? QString() : QLatin1Char(' ') + variant);
    return parts.join(QStringLiteral(", "));
}

QString localeFileLang(const QString& localeFile)
{
    QString lang = shellValue(localeFile, QStringLiteral("LANG"));
    const qsizetype dot = lang.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        lang.truncate(dot);
    return lang;
}

SystemFacts gatherSystemFacts(const Settings& settings, const QWidget* window)
{
    SystemFacts f;
    f.now = QDateTime::currentDateTime();
    f.locale = QLocale::system();
    f.systemLocaleName = localeFileLang(readText(QStringLiteral("/etc/default/locale")));
    if (f.systemLocaleName.isEmpty())
        f.systemLocaleName = localeFileLang(readText(QStringLiteral("/etc/locale.conf")));
    f.osName = QSysInfo::prettyProductName();
    f.kernel = QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    f.architecture = QSysInfo::currentCpuArchitecture();
    f.processor = cpuModel(readText(QStringLiteral("/proc/cpuinfo")));
    f.processorCount = QThread::idealThreadCount();

    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        f.screenWidth = screen->size().width();
        f.screenHeight = screen->size().height();
        f.bitsPerPixel = screen->depth();
        f.logicalDpi = qRound(screen->logicalDotsPerInch());
    }
    const QString session = qEnvironmentVariable("XDG_SESSION_TYPE");
    f.displayServer = QGuiApplication::platformName() + (session.isEmpty() ? QString() : QStringLiteral(" (") + session + QLatin1Char(')'));
    f.keyboard = keyboardDescription(readText(QStringLiteral("/etc/default/keyboard")));
    for (const QInputDevice* device : QInputDevice::devices()) {
        if (device->type() == QInputDevice::DeviceType::Mouse || device->type() == QInputDevice::DeviceType::TouchPad)
        {
            // X servers may hand names over with a terminating NUL or other controls.
            QString name = device->name();
            name.removeIf([](QChar c) { return c.category() == QChar::Other_Control || c.isNull(); });
            f.pointingDevices << name.trimmed();
        }
    }

    const QString meminfo = readText(QStringLiteral("/proc/meminfo"));
    f.physTotal = meminfoBytes(meminfo, QStringLiteral("MemTotal"));
    f.physAvailable = meminfoBytes(meminfo, QStringLiteral("MemAvailable"));
    f.swapTotal = meminfoBytes(meminfo, QStringLiteral("SwapTotal"));
    f.swapAvailable = meminfoBytes(meminfo, QStringLiteral("SwapFree"));
    // What Windows called virtual memory is closest to the kernel's commit limit.
    f.commitTotal = meminfoBytes(meminfo, QStringLiteral("CommitLimit"));
    const qint64 committed = meminfoBytes(meminfo, QStringLiteral("Committed_AS"));
    if (f.commitTotal >= 0 && committed >= 0)
        f.commitAvailable = std::max<qint64>(0, f.commitTotal - committed);

    std::vector<std::pair<QString, QString>> printers;
    printers.emplace_back(QStringLiteral("Selected"), QtPrinterSource::selectedPrinter());
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) {
        QString value = p.makeAndModel().isEmpty() ? p.description() : p.makeAndModel();
        if (p.printerName() == systemDefault)
            value += QStringLiteral(" (default)");
        printers.emplace_back(p.printerName(), value);
    }
    printers.emplace_back(QtPrinterSource::pdfPrinterName(), QStringLiteral("built in"));
    f.sections.emplace_back(QStringLiteral("Printers"), std::move(printers));

    // The dialler's ports and the devices they stand for.
    std::vector<std::pair<QString, QString>> ports;
    for (int i = 0; i < 4; ++i) {
        const QString device = QStringLiteral("/dev/ttyS%1").arg(i);
        ports.emplace_back(QStringLiteral("COM%1").arg(i + 1),
                           device + (QFile::exists(device) ? QString() : QStringLiteral(" (missing)")));
    }
    f.sections.emplace_back(QStringLiteral("Ports"), std::move(ports));

    std::vector<std::pair<QString, QString>> international;
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_MONETARY",
                             "LC_PAPER", "LC_MEASUREMENT", "TZ"}) {
        if (qEnvironmentVariableIsSet(name))
            international.emplace_back(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    f.sections.emplace_back(QStringLiteral("International"), std::move(international));

    f.settingsPath = settings.path();
    f.aggressiveSave = EditingPreferences::read(settings).aggressiveSave;
    return f;
}

} // namespace qb
