#pragma once
// "Check and Repair Duplicates": finds possible duplicates by name or street
// and shows them in a live grid for editing, deleting and tagging.

#include "utilities/duplicate_check.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QSpinBox;

namespace qb {

class AddressTable;
class ResultGrid;
class TemporaryIndex;

class TCheckDuplicates : public QDialog {
    Q_OBJECT
public:
    TCheckDuplicates(AddressTable& addresses, QWidget* parent = nullptr);
    ~TCheckDuplicates() override;

    uint64_t found() const { return found_; }
    ResultGrid* resultGrid() const { return result_; }

    void PerformCheckClick();
    void CancelButtonClick();
    void DeleteButtonClick();
    void TagButtonClick();
    void TagAllButtonClick();

protected:
    void reject() override;
    void done(int result) override;

private:
    DuplicateKind kind() const;

    AddressTable& addresses_;
    std::unique_ptr<TemporaryIndex> index_;
    QWidget* setup_ = nullptr;
    QWidget* gridPanel_ = nullptr;
    ResultGrid* result_ = nullptr;
    QRadioButton* lastFirst_ = nullptr;
    QRadioButton* lastInitial_ = nullptr;
    QRadioButton* street_ = nullptr;
    QSpinBox* streetLength_ = nullptr;
    QCheckBox* standardStreets_ = nullptr;
    QLabel* streetLabel_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* help_ = nullptr;
    uint64_t found_ = 0;
    bool checking_ = false;
    bool cancelled_ = false;
};

} // namespace qb
