#pragma once
// "Count Zip Codes": counts as soon as it opens, keeps the result while it is
// open, and prints or previews it as often as asked without counting again.

#include "printing/print_status.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QLabel;
class QPushButton;

namespace qb {

namespace xbase {
class Table;
}
class TReportPrinter;
class TReportFiler;

class TZipCodeCount : public QDialog {
    Q_OBJECT
public:
    TZipCodeCount(xbase::Table& table, QWidget* parent = nullptr);
    ~TZipCodeCount() override;

    const QStringList& result() const { return result_; }
    bool counted() const { return counted_; }
    TReportPrinter& printerJob() { return *printerJob_; }
    PrintOutcome lastOutcome() const { return lastOutcome_; }
    // Runs the count now (the window does on its first showing).
    void Count();

    void PrintButtonClick();
    void PreviewButtonClick();
    void CancelButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void run(bool preview);
    void showResultButtons(bool on);

    xbase::Table& table_;
    std::unique_ptr<TReportPrinter> printerJob_;
    std::unique_ptr<TReportFiler> previewJob_;
    QLabel* heading_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QList<QPushButton*> resultButtons_;
    QStringList result_;
    bool counted_ = false;
    bool counting_ = false;
    bool cancelled_ = false;
    bool activated_ = false;
    PrintOutcome lastOutcome_ = PrintOutcome::NotRun;
};

} // namespace qb
