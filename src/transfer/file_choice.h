#pragma once
// The open and save dialogs of the import and export windows. Tests install a
// chooser that answers instead, as they do for message boxes.

#include <QString>
#include <functional>

class QWidget;

namespace qb {

struct FileQuestion {
    bool save = false;
    QString folder;            // where the dialog starts
    QString presetName;        // "*.dbf"
    QString filter;            // "DBF Files (*.DBF *.dbf)"
    QString defaultExtension;  // added to a saved name without one, no dot
};

// The chosen file's path; empty when the user cancelled.
using FileChooser = std::function<QString(const FileQuestion&)>;
void setFileChooser(FileChooser chooser);
QString chooseFile(QWidget* parent, const FileQuestion& question);

} // namespace qb
