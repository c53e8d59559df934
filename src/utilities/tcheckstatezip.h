#pragma once
// "Check State and Zip Codes": runs the check against CSZ.DBF, shows the
// questionable records in a live grid for correcting and tagging, and lets
// the user edit the reference table itself.

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qb {

namespace xbase {
class Table;
}
class AddressTable;
class ResultGrid;
class TemporaryIndex;

class TCheckStateZip : public QDialog {
    Q_OBJECT
public:
    TCheckStateZip(AddressTable& addresses, QWidget* parent = nullptr);
    ~TCheckStateZip() override;

    uint64_t found() const { return found_; }
    bool checking() const { return checking_; }
    ResultGrid* resultGrid() const { return result_; }
    ResultGrid* referenceGrid() const { return reference_; }

    void PerformCheckClick();
    void CancelButtonClick();
    void EditReferenceClick();
    void TagButtonClick();
    void TagAllButtonClick();

protected:
    void reject() override;
    void done(int result) override;

private:
    bool closeReference();   // false when the user's edits could not be saved

    AddressTable& addresses_;
    std::unique_ptr<TemporaryIndex> index_;
    std::unique_ptr<xbase::Table> csz_;
    QWidget* setup_ = nullptr;
    QWidget* resultPanel_ = nullptr;
    QWidget* referencePanel_ = nullptr;
    QWidget* hiddenForReference_ = nullptr;
    ResultGrid* result_ = nullptr;
    ResultGrid* reference_ = nullptr;
    QCheckBox* blanks_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* editReference_ = nullptr;
    uint64_t found_ = 0;
    bool checking_ = false;
    bool cancelled_ = false;
};

} // namespace qb
