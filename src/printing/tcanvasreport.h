#pragma once
// Jobs that draw on the selected printer: TReportPrinter prints what its
// callbacks produce. The "PDF file" printer writes to pdfFileName(), or asks
// for a file when none is set; the file appears only when the document is
// complete (an aborted or failed job leaves an existing file as it was). A
// CUPS queue is sent the job as one PDF once it is complete, with the chosen
// paper, paper source and copies; an aborted or failed job sends nothing.

#include "printing/tbasereport.h"

#include <QPainter>
#include <memory>

class QPrinter;
class QWidget;

namespace qb {

class TCanvasReport : public TBaseReport {
    Q_OBJECT
public:
    explicit TCanvasReport(QObject* parent = nullptr);
    ~TCanvasReport() override;

    // The operating system's print dialog: printer, copies and page range.
    // On OK they are taken over (all pages: 1 to no limit); true on OK.
    bool ShowPrintDialog(QWidget* parent = nullptr);
    // The page setup dialog; on OK paper and orientation are taken over.
    bool ShowPrinterSetup(QWidget* parent = nullptr);

    // Asks where the "PDF file" printer writes when a job has no file name;
    // an empty answer cancels the job. The default asks with a file dialog.
    using PdfFileChooser = std::function<QString()>;
    static void setPdfFileChooser(PdfFileChooser chooser);

protected:
    double devicePpiX() const override { return ppiX_; }
    double devicePpiY() const override { return ppiY_; }
    bool checkDevice() override;
    void deviceBeginDocument() override;
    void deviceBeginPage() override;
    void deviceDraw(DrawCommand&& command) override;
    void deviceEndDocument(bool discard) override;
    bool outputIsPreview() const override { return false; }

    QPainter* painter() { return painter_.isActive() ? &painter_ : nullptr; }

private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QString finalPdf_, partialPdf_;   // partialPdf_: the job's own PDF while it is drawn
    bool documentCancelled_ = false;
    double ppiX_ = 1200, ppiY_ = 1200;
};

class TReportPrinter : public TCanvasReport {
    Q_OBJECT
public:
    using TCanvasReport::TCanvasReport;
};

} // namespace qb
