#pragma once
// "Convert Case": the chosen fields of the current record, of all records or
// of the filter's records in upper case, lower case or with capital initials.

#include "utilities/case_conversion.h"

#include <QDialog>

class QCheckBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qb {

class TConvertCase : public QDialog {
    Q_OBJECT
public:
    TConvertCase(xbase::Table& table, bool filterSet, QWidget* parent = nullptr);

    const BulkOutcome& outcome() const { return outcome_; }
    bool converting() const { return converting_; }

    void ConvertButtonClick();
    void CancelButtonClick();

protected:
    void reject() override;

private:
    xbase::Table& table_;
    std::vector<QCheckBox*> fields_;
    QCheckBox* all_ = nullptr;
    QRadioButton* current_ = nullptr;
    QRadioButton* allRecords_ = nullptr;
    QRadioButton* filtered_ = nullptr;
    QRadioButton* upper_ = nullptr;
    QRadioButton* firstLetter_ = nullptr;
    QRadioButton* lower_ = nullptr;
    QWidget* options_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QPushButton* help_ = nullptr;
    BulkOutcome outcome_;
    bool converting_ = false;
    bool cancelled_ = false;
};

} // namespace qb
