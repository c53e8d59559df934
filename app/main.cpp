// Quillbase starts here: one run per user, the program folder settled, then
// the main window, which opens the first database when it first shows.

#include "core/paths.h"
#include "mainwindow/configuration_report.h"
#include "mainwindow/taddressmain.h"
#include "platform/help/help_viewer.h"
#include "platform/instance/single_instance.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: quillbase [OPTION]... [DATABASE.DBF]\n"
    "Keeps name-and-address lists and prints labels, envelopes, letters and reports.\n"
    "\n"
    "  DATABASE.DBF          open this address database instead of the most recent one\n"
    "  -h, --help            show this help and exit\n"
    "  -v, --version         show the version and exit\n"
    "      --quit-after-start  start as usual, open the first database and exit\n"
    "                        (status 0 when a database is open), for checking an\n"
    "                        installation\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well.\n"
    "See quillbase(1) and qbtool(1).\n";

struct Options {
    QString database;
    bool quitAfterStart = false;
};

// What is left of the command line once Qt took its own options; false with a
// message on standard error for anything else.
bool readOptions(const QStringList& arguments, Options& options)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--quit-after-start")) {
            options.quitAfterStart = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            std::cerr << "quillbase: unknown option " << arg.toStdString() << "\n"
                      << "Try 'quillbase --help'.\n";
            return false;
        } else if (options.database.isEmpty()) {
            options.database = QFileInfo(arg).absoluteFilePath();
        } else {
            std::cerr << "quillbase: one database at a time\n"
                      << "Try 'quillbase --help'.\n";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any window system is asked for, so they work anywhere.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::cout << "Quillbase " << std::string(qb::kProgramVersion.data(), qb::kProgramVersion.size()) << "\n";
            return 0;
        }
    }

    QApplication app(argc, argv);
    Options options;
    if (!readOptions(QCoreApplication::arguments(), options))
        return 2;
    // One run per user: a later start only brings this one forward, and never
    // shows a window of its own.
    qb::SingleInstance instance(qb::SingleInstance::defaultKey());
    if (!instance.claim())
        return 0;
    QApplication::setApplicationName("Quillbase");
    QApplication::setApplicationVersion(QString(qb::kProgramVersion));
    // The desktop entry's name, so a desktop shows the window with its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillbase.Quillbase"));
    const QString executableFolder = QCoreApplication::applicationDirPath();
    qb::ProgramFolder::setPath(qb::ProgramFolder::choose(executableFolder,
                                                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    qb::setHelpFolder(qb::ProgramFolder::shipped(executableFolder) + QStringLiteral("help"));
    qb::TAddressMain window;
    window.setStartDatabase(options.database);
    QObject::connect(&instance, &qb::SingleInstance::activationRequested, &window, [&window] {
        // A dialog open above the main window is what the user was working in.
        QWidget* modal = QApplication::activeModalWidget();
        qb::SingleInstance::bringForward(modal ? modal : &window);
    });
    // A start right after the window closed is a new run, even while this
    // process is still ending.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &instance, &qb::SingleInstance::release);
    window.show();
    if (options.quitAfterStart) {
        // The first activation ran inside show(): the database is open or not.
        const bool opened = window.addressTable().isOpen();
        window.close();
        return opened ? 0 : 1;
    }
    return app.exec();
}
