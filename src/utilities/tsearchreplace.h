#pragma once
// "Search and Replace" and "Delete Records": the two bulk editing windows.

#include "utilities/search_replace.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace qb {

class TSearchReplace : public QDialog {
    Q_OBJECT
public:
    // filterConditions: the main window's filter conditions, empty without a filter.
    TSearchReplace(xbase::Table& table, const QString& filterConditions, QWidget* parent = nullptr);

    const ReplaceOutcome& outcome() const { return outcome_; }
    bool running() const;
    void ReplaceButtonClick();
    void CancelButtonClick();

protected:
    void reject() override;

private:
    void FieldChange();

    xbase::Table& table_;
    QString filterConditions_;
    QComboBox* field_ = nullptr;
    QRadioButton* exact_ = nullptr;
    QRadioButton* contains_ = nullptr;
    QLineEdit* search_ = nullptr;
    QCheckBox* caseSensitive_ = nullptr;
    QRadioButton* whole_ = nullptr;
    QRadioButton* partial_ = nullptr;
    QLineEdit* replacement_ = nullptr;
    QRadioButton* allRecords_ = nullptr;
    QRadioButton* filtered_ = nullptr;
    QWidget* options_ = nullptr;
    QWidget* replaceButton_ = nullptr;
    BulkProgress* progress_ = nullptr;
    ReplaceOutcome outcome_;
};

class TDeleteRecords : public QDialog {
    Q_OBJECT
public:
    TDeleteRecords(xbase::Table& table, const QString& filterConditions, QWidget* parent = nullptr);

    const BulkOutcome& outcome() const { return outcome_; }
    bool running() const;
    void DeleteNowClick();
    void CancelButtonClick();

protected:
    void reject() override;

private:
    xbase::Table& table_;
    QString filterConditions_;
    QRadioButton* all_ = nullptr;
    QRadioButton* matching_ = nullptr;
    QRadioButton* notMatching_ = nullptr;
    QWidget* deleteNow_ = nullptr;
    BulkProgress* progress_ = nullptr;
    BulkOutcome outcome_;
};

} // namespace qb
