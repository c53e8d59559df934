#include "transfer/file_choice.h"

#include <QFileDialog>
#include <QFileInfo>

namespace qb {

namespace {
FileChooser& chooser()
{
    static FileChooser c;
    return c;
}
} // namespace

void setFileChooser(FileChooser c) { chooser() = std::move(c); }

QString chooseFile(QWidget* parent, const FileQuestion& q)
{
    QString chosen;
    if (chooser()) {
        chosen = chooser()(q);
    } else {
        QFileDialog dialog(parent, QString(), q.folder, q.filter);
        dialog.setAcceptMode(q.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(q.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The windows ask about overwriting themselves, with their own words.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!q.presetName.isEmpty())
            dialog.selectFile(q.presetName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty() || chosen.contains(QLatin1Char('*')))
        return {};
    if (q.save && !q.defaultExtension.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + q.defaultExtension;
    return chosen;
}

} // namespace qb
