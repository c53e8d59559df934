#pragma once
// The check run at start-up and before every print command: is there a
// printer to print on?

#include <QString>

namespace qb {

// What the check needs to know about the system's printers.
class PrinterSource {
public:
    virtual ~PrinterSource() = default;
    virtual int installedCount() const = 0;
    // The selected printer's name; empty when none is selected.
    virtual QString currentPrinter() const = 0;
    // Selects the system's default printer, if there is one.
    virtual void selectDefault() = 0;
};

// The printers Qt knows through CUPS, plus our built-in "PDF file" printer,
// which is always listed and is the default when CUPS names none, so on this
// platform the check passes. The selection is the program's own and is shared
// by every instance.
class QtPrinterSource : public PrinterSource {
public:
    static QString pdfPrinterName();

    int installedCount() const override;
    QString currentPrinter() const override;
    void selectDefault() override;

    static QString selectedPrinter();
    static void setSelectedPrinter(const QString& name);
};

// True when a printer is installed and one is selected (selecting the default
// when none is); otherwise tells the user why not and returns false.
bool checkPrinter(PrinterSource& printers);
// The same over the system's printers.
bool checkPrinter();

} // namespace qb
