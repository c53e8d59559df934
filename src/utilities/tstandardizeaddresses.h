#pragma once
// "Standardize Addresses": finds the address fields that differ from the
// postal standard's form, shows those records with the fields as they are and
// as they would be side by side, and writes the standard form into the
// records the user tagged. Fields it cannot read are shown and left alone.

#include "utilities/address_standard.h"

#include <QDialog>

#include <map>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qb {

class AddressTable;
class ResultGrid;
class TemporaryIndex;

class TStandardizeAddresses : public QDialog {
    Q_OBJECT
public:
    TStandardizeAddresses(AddressTable& addresses, QWidget* parent = nullptr);
    ~TStandardizeAddresses() override;

    bool running() const { return running_; }
    ResultGrid* resultGrid() const { return result_; }
    const StandardPlan& plan() const { return plan_; }

    void PerformCheckClick();
    void CancelButtonClick();
    void TagButtonClick();
    void TagAllButtonClick();
    void ApplyButtonClick();

protected:
    void reject() override;
    void done(int result) override;

private:
    // The standard form of a record's field as the grid shows it: the new
    // text, "(left as it is)" or nothing when the field is already standard.
    QString proposed(uint32_t recno, const QString& field) const;

    AddressTable& addresses_;
    StandardPlan plan_;
    std::map<std::pair<uint32_t, QString>, QString> proposed_;
    std::unique_ptr<TemporaryIndex> index_;
    QWidget* setup_ = nullptr;
    QWidget* resultPanel_ = nullptr;
    ResultGrid* result_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* help_ = nullptr;
    bool running_ = false;
    bool cancelled_ = false;
};

} // namespace qb
