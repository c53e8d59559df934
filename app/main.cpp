// Quillbase starts here: one run per user, the program folder settled, then
// the main window, which opens the first database when it first shows.

#include "core/paths.h"
#include "mainwindow/taddressmain.h"
#include "platform/instance/single_instance.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // One run per user: a later start only brings this one forward, and never
    // shows a window of its own.
    qb::SingleInstance instance(qb::SingleInstance::defaultKey());
    if (!instance.claim())
        return 0;
    QApplication::setApplicationName("Quillbase");
    qb::ProgramFolder::setPath(qb::ProgramFolder::choose(QCoreApplication::applicationDirPath(),
                                                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    qb::TAddressMain window;
    QObject::connect(&instance, &qb::SingleInstance::activationRequested, &window, [&window] {
        // A dialog open above the main window is what the user was working in.
        QWidget* modal = QApplication::activeModalWidget();
        qb::SingleInstance::bringForward(modal ? modal : &window);
    });
    // A start right after the window closed is a new run, even while this
    // process is still ending.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &instance, &qb::SingleInstance::release);
    window.show();
    return app.exec();
}
