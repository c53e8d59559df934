#pragma once
// "Copy Record To Clipboard": the current record as plain text on the clipboard.

#include "mainwindow/record_text.h"

#include <QDialog>

class QCheckBox;

namespace qb {

class TCopyToClipBoard : public QDialog {
    Q_OBJECT
public:
    explicit TCopyToClipBoard(const RecordFields& record, QWidget* parent = nullptr);

    // Which boxes are ticked now.
    RecordTextParts parts() const;

private:
    void OkButtonClick();

    RecordFields record_;
    QCheckBox* name_ = nullptr;
    QCheckBox* address_ = nullptr;
    QCheckBox* phones_ = nullptr;
    QCheckBox* codes_ = nullptr;
    QCheckBox* comments_ = nullptr;
};

} // namespace qb
