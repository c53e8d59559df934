#pragma once
// The picture dialog: a folder tree and a file list of the picture formats,
// "Stretch" and "AutoSize" options and a preview of the selected file.
// Pictures are decoded by our own picture layer; metafiles stay vectors.

#include "platform/image/picture.h"

#include <QDialog>

class QCheckBox;
class QFileSystemModel;
class QLabel;
class QListView;
class QScrollArea;
class QTreeView;

namespace qb::design {

class TKImageBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TKImageBrowser(QWidget* parent = nullptr);

    static QStringList fileMask();

    bool stretch() const;
    void setStretch(bool on);
    bool autoSize() const;
    void setAutoSize(bool on);
    // The selected file's full path; empty when none is selected.
    QString selectedFile() const { return selected_; }
    const qb::image::Picture& previewPicture() const { return preview_; }

    void setDirectory(const QString& path);
    // What selecting a file in the list does; public for the screens' tests.
    void selectFile(const QString& path);

private:
    void showPreview();

    QFileSystemModel* dirs_;
    QFileSystemModel* files_;
    QTreeView* dirView_;
    QListView* fileView_;
    QCheckBox* stretch_;
    QCheckBox* autoSize_;
    QScrollArea* scroll_;
    QLabel* previewLabel_;
    QString selected_;
    qb::image::Picture preview_;
};

} // namespace qb::design
