#include "core/printer_check.h"

#include "core/messages.h"

#include <QPrinterInfo>
#include <QStringList>

namespace qb {

namespace {
QString g_selected;
} // namespace

QString QtPrinterSource::pdfPrinterName() { return QStringLiteral("PDF file"); }

int QtPrinterSource::installedCount() const { return int(QPrinterInfo::availablePrinterNames().size()) + 1; }

QString QtPrinterSource::currentPrinter() const
{
    // A printer removed since it was selected is no longer current.
    if (g_selected == pdfPrinterName() || QPrinterInfo::availablePrinterNames().contains(g_selected))
        return g_selected;
    return {};
}

void QtPrinterSource::selectDefault()
{
    const QString name = QPrinterInfo::defaultPrinterName();
    g_selected = name.isEmpty() ? pdfPrinterName() : name;
}

QString QtPrinterSource::selectedPrinter() { return g_selected; }

void QtPrinterSource::setSelectedPrinter(const QString& name) { g_selected = name; }

bool checkPrinter(PrinterSource& printers)
{
    if (printers.installedCount() <= 0) {
        showInformation(QStringLiteral("There are no installed printers.\r\nUnable to perform printer related operations"));
        return false;
    }
    if (printers.currentPrinter().isEmpty()) {
        printers.selectDefault();
        if (printers.currentPrinter().isEmpty()) {
            showInformation(QStringLiteral("There is no default printer selected.\r\nUnable to perform printer related operations"));
            return false;
        }
    }
    return true;
}

bool checkPrinter()
{
    QtPrinterSource printers;
    return checkPrinter(printers);
}

} // namespace qb
