#pragma once
// "Create new database": the name of a new address database in the DATA
// folder, and the field widths it will be created with.

#include "core/field_lengths.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qb {

class TNewDataBaseName : public QDialog {
    Q_OBJECT
public:
    // Reads the field widths from the settings file.
    explicit TNewDataBaseName(const QString& proposedName, QWidget* parent = nullptr);

    QString databaseName() const;
    // Where the new table goes; set once "Ok" found no file there.
    const QString& databasePath() const { return path_; }
    const FieldLengths& fieldLengths() const { return lengths_; }

private:
    void NameEditChange();
    void OkButtonClick();
    void SpecifyButtonClick();

    FieldLengths lengths_;
    QString path_;
    QLineEdit* name_ = nullptr;
    QLabel* invalid_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace qb
