// Quillbase starts here. Until the main window exists it only shows which
// engine it carries, so the program folder can be built and run in place.

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillbase");
    QMessageBox::information(nullptr, "Quillbase", "Quillbase table engine build.\nThe main window is not built yet.");
    return 0;
}
