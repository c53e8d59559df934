// Quillbase starts here. Until the main window exists it settles the program
// folder and says which one it uses, so the folder can be built and run in place.

#include "core/paths.h"
#include "platform/instance/single_instance.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // One run per user: a later start only brings this one forward, and never
    // shows a window of its own.
    qb::SingleInstance instance(qb::SingleInstance::defaultKey());
    if (!instance.claim())
        return 0;
    QObject::connect(&instance, &qb::SingleInstance::activationRequested, [] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window)
            window = QApplication::activeWindow();
        if (!window) {
            for (QWidget* candidate : QApplication::topLevelWidgets())
                if (candidate->isVisible() || candidate->isMinimized()) {
                    window = candidate;
                    break;
                }
        }
        qb::SingleInstance::bringForward(window);
    });

    QApplication::setApplicationName("Quillbase");
    qb::ProgramFolder::setPath(qb::ProgramFolder::choose(QCoreApplication::applicationDirPath(),
                                                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    QMessageBox::information(nullptr, "Quillbase",
                             "Program folder: " + qb::ProgramFolder::path() + "\nThe main window is not built yet.");
    return 0;
}
