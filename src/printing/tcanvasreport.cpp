#include "printing/tcanvasreport.h"

#include "core/messages.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace qb {
namespace {

TCanvasReport::PdfFileChooser& pdfChooser()
{
    static TCanvasReport::PdfFileChooser chooser;
    return chooser;
}

QString askPdfFile()
{
    if (pdfChooser())
        return pdfChooser()();
    return QFileDialog::getSaveFileName(nullptr, QStringLiteral("Save PDF file"), QString(),
                                        QStringLiteral("PDF files (*.pdf)"));
}

} // namespace

TCanvasReport::TCanvasReport(QObject* parent) : TBaseReport(parent) {}

TCanvasReport::~TCanvasReport()
{
    if (painter_.isActive())
        painter_.end();
    if (!partialPdf_.isEmpty())
        QFile::remove(partialPdf_);
}

void TCanvasReport::setPdfFileChooser(PdfFileChooser chooser) { pdfChooser() = std::move(chooser); }

bool TCanvasReport::checkDevice()
{
    if (printer::installedPrinters().isEmpty()) {
        showInformation(QStringLiteral("No printers are defined, aborting print job."));
        return false;
    }
    return true;
}

void TCanvasReport::deviceBeginDocument()
{
    documentCancelled_ = false;
    finalPdf_.clear();
    partialPdf_.clear();
    printer::PrinterSettings s = settings_;
    if (s.printer.isPdf) {
        finalPdf_ = s.pdfPath.isEmpty() ? askPdfFile() : s.pdfPath;
        if (finalPdf_.isEmpty()) {
            // The user chose no file: nothing is printed and nothing completes.
            documentCancelled_ = true;
            AbortJob();
            return;
        }
        // Written beside the target and renamed over it once complete.
        const QFileInfo info(finalPdf_);
        partialPdf_ = info.absoluteDir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(::getpid()));
        s.pdfPath = partialPdf_;
    } else {
        // A queue gets the job only once it is complete: it is drawn into a
        // PDF of our own first, which a cancel or an error simply deletes.
        // Qt's own queue output would hand the pages drawn so far to the
        // printer even when the job is aborted.
        QTemporaryFile spool(QDir::temp().filePath(QStringLiteral("quillbase-job-XXXXXX.pdf")));
        spool.setAutoRemove(false);
        if (!spool.open())
            throw PrintError(QStringLiteral("Cannot print on \"%1\": no room for the job").arg(s.printer.device));
        partialPdf_ = spool.fileName();
        s.paper = s.paper ? *s.paper : printer::defaultPaper(s.printer);
        s.printer = printer::pdfPrinter();
        s.binKeyword.clear();
        s.copies = 0;
        s.pdfPath = partialPdf_;
    }
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer::configure(*printer_, s);
    printer_->setDocName(Title());
    ppiX_ = printer_->logicalDpiX();
    ppiY_ = printer_->logicalDpiY();
    invalidateFont();
}

void TCanvasReport::deviceBeginPage()
{
    if (!printer_)
        return;
    if (painter_.isActive()) {
        if (!printer_->newPage())
            throw PrintError(QStringLiteral("The printer \"%1\" refused a new page").arg(settings_.printer.device));
        return;
    }
    // The device opens with the first page that is printed, so a job whose
    // pages all lie outside the range produces no document at all.
    if (!painter_.begin(printer_.get())) {
        if (settings_.printer.isPdf)
            throw PrintError(QStringLiteral("Cannot write the PDF file \"%1\"").arg(finalPdf_));
        throw PrintError(QStringLiteral("Cannot print on \"%1\"").arg(settings_.printer.device));
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void TCanvasReport::deviceDraw(DrawCommand&& command)
{
    if (painter_.isActive())
        playCommand(painter_, command);
}

void TCanvasReport::deviceEndDocument(bool discard)
{
    const bool opened = painter_.isActive();
    if (opened)
        painter_.end();
    printer_.reset();
    const QString partial = partialPdf_;
    partialPdf_.clear();
    if (partial.isEmpty())
        return;
    if (discard || !opened) {
        QFile::remove(partial);
        return;
    }
    if (!settings_.printer.isPdf) {
        try {
            printer::submitPdf(settings_, partial, Title());
        } catch (const printer::PrintQueueError& e) {
            QFile::remove(partial);
            throw PrintError(e.message);
        }
        QFile::remove(partial);
        return;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(finalPdf_).constData()) != 0) {
        QFile::remove(partial);
        throw PrintError(QStringLiteral("Cannot write the PDF file \"%1\"").arg(finalPdf_));
    }
}

bool TCanvasReport::ShowPrintDialog(QWidget* parent)
{
    requireIdle("ShowPrintDialog");
    QPrinter printer(QPrinter::HighResolution);
    printer::configure(printer, settings_);
    if (settings_.printer.isPdf)
        printer.setOutputFileName(settings_.pdfPath);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, 9999);
    if (LastPage() >= kAllPages && FirstPage() <= 1) {
        printer.setPrintRange(QPrinter::AllPages);
    } else {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(std::max(1, FirstPage()), std::clamp(LastPage(), std::max(1, FirstPage()), 9999));
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        SelectPrinterByName(printer::pdfPrinterDevice());
        setPdfFileName(printer.outputFileName());
    } else {
        SelectPrinterByName(printer.printerName());
    }
    setCopies(printer.copyCount());
    if (printer.printRange() == QPrinter::PageRange) {
        setFirstPage(printer.fromPage());
        setLastPage(printer.toPage());
    } else {
        setFirstPage(1);
        setLastPage(kAllPages);
    }
    return true;
}

bool TCanvasReport::ShowPrinterSetup(QWidget* parent)
{
    requireIdle("ShowPrinterSetup");
    QPrinter printer(QPrinter::HighResolution);
    printer::configure(printer, settings_);
    QPageSetupDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printer::PrinterSettings s = settings_;
    s.paper = printer.pageLayout().pageSize();
    setPrinterSettings(s);
    setOrientation(printer.pageLayout().orientation() == QPageLayout::Landscape ? Orientation::poLandScape
                                                                                : Orientation::poPortrait);
    return true;
}

} // namespace qb
