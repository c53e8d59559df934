#pragma once
// "Print Current Record": which fields of the current record to print, and
// Print (without a print dialog), Preview, Printer Setup and Cancel.

#include "reports/report_printing.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;

namespace qb {

class AddressTable;
class TReportFiler;
class TReportPrinter;

class TPrintCurrentRecord : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1095;

    explicit TPrintCurrentRecord(AddressTable& addresses, QWidget* parent = nullptr);
    ~TPrintCurrentRecord() override;

    QCheckBox* box(const QString& caption) const;
    std::vector<bool> checked() const;
    TReportPrinter& printerJob() { return *printerJob_; }
    const ReportRunResult& lastRun() const { return lastRun_; }

    ReportRunHooks printHooks;

    void PrintClick();
    void PreviewClick();

private:
    AddressTable& addresses_;
    std::unique_ptr<TReportPrinter> printerJob_;
    std::unique_ptr<TReportFiler> previewJob_;
    std::vector<QCheckBox*> boxes_;
    QCheckBox* all_;
    ReportRunResult lastRun_;
};

} // namespace qb
