// Quillbase starts here. Until the main window exists it settles the program
// folder and says which one it uses, so the folder can be built and run in place.

#include "core/paths.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillbase");
    qb::ProgramFolder::setPath(qb::ProgramFolder::choose(QCoreApplication::applicationDirPath(),
                                                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    QMessageBox::information(nullptr, "Quillbase",
                             "Program folder: " + qb::ProgramFolder::path() + "\nThe main window is not built yet.");
    return 0;
}
