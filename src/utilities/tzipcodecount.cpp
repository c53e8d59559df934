#include "utilities/tzipcodecount.h"

#include "core/messages.h"
#include "core/printer_check.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"
#include "utilities/zip_count.h"
#include "utilities/zip_count_report.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpContext = 1400;

PrintStatusTexts zipCountStatusTexts()
{
    PrintStatusTexts t;
    t.cancelQuestion = QStringLiteral("Cancel Printing?");
    t.printCanceled = QStringLiteral("\rPrint Canceled!");
    t.previewCanceled = QStringLiteral("\rPreview Canceled!");
    t.previewStopped = QStringLiteral("\rPreview Stopped at page %p!");
    t.printCompleted = QStringLiteral("\rPrint Completed!");
    t.previewReady = QStringLiteral("\rPreview Ready!");
    return t;
}

} // namespace

TZipCodeCount::TZipCodeCount(xbase::Table& table, QWidget* parent)
    : QDialog(parent), table_(table), printerJob_(std::make_unique<TReportPrinter>()), previewJob_(std::make_unique<TReportFiler>())
{
    setObjectName(QStringLiteral("TZipCodeCount"));
    setWindowTitle(QStringLiteral("Count Zip Codes"));
    setUpZipCountJob(*printerJob_);
    setUpZipCountJob(*previewJob_);

    heading_ = new QLabel(QStringLiteral("Counting the number of occurrences of each zip code:"), this);
    heading_->setObjectName(QStringLiteral("HeadingLabel"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    auto button = [this](const char* name, const QString& caption, auto handler) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    cancel_ = button("CancelButton", QStringLiteral("Cancel"), &TZipCodeCount::CancelButtonClick);
    resultButtons_ = {
        button("PrintButton", QStringLiteral("Print"), &TZipCodeCount::PrintButtonClick),
        button("PreviewButton", QStringLiteral("Preview"), &TZipCodeCount::PreviewButtonClick),
        button("PrinterSetupButton", QStringLiteral("Printer Setup"),
               [this] {
                   if (printerJob_->PrinterNames().isEmpty())
                       showInformation(QStringLiteral("There are no printers installed"));
                   else
                       printerJob_->ShowPrintDialog(this);
               }),
        button("OkButton", QStringLiteral("Ok"), &QDialog::accept),
        button("HelpButton", QStringLiteral("Help"), [this] { showHelp(kHelpContext, this); }),
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancel_);
    for (QPushButton* b : resultButtons_)
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    showResultButtons(false);
}

TZipCodeCount::~TZipCodeCount() = default;

void TZipCodeCount::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    QTimer::singleShot(0, this, &TZipCodeCount::Count);
}

void TZipCodeCount::showResultButtons(bool on)
{
    for (QPushButton* b : resultButtons_)
        b->setVisible(on);
    cancel_->setVisible(!on);
    status_->setVisible(!on);
}

void TZipCodeCount::Count()
{
    if (counting_)
        return;
    counting_ = true;
    cancelled_ = false;
    showResultButtons(false);
    result_.clear();
    counted_ = false;
    status_->setText(QStringLiteral("Reading database records..."));
    EventBreaks breaks;
    const ZipCountResult counted = countZipCodes(
        table_,
        [this, &breaks](uint64_t done, uint64_t) {
            if (done % 100 == 0)
                status_->setText(QStringLiteral("Reading record ") + QString::number(done));
            breaks.take();
            return !cancelled_;
        },
        [this] {
            status_->setText(QStringLiteral("Sorting Zip Codes..."));
            QCoreApplication::processEvents();
        });
    counting_ = false;
    showResultButtons(true);
    if (!counted.error.isEmpty()) {
        // Nothing counted: the window stays to be closed, and a Print counts again.
        showInformation(counted.error);
        return;
    }
    if (counted.cancelled) {
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    result_ = counted.lines;
    counted_ = true;
    QApplication::beep();
    heading_->setText(QStringLiteral("Finished counting. Press Print or Preview for the report"));
}

void TZipCodeCount::CancelButtonClick()
{
    if (counting_ && askQuestion(QStringLiteral("Cancel Count?"), QStringLiteral("CANCEL")))
        cancelled_ = true;
}

void TZipCodeCount::reject()
{
    // Closing while counting asks as Cancel does; the count then ends the window.
    if (counting_) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

void TZipCodeCount::PrintButtonClick() { run(false); }

void TZipCodeCount::PreviewButtonClick() { run(true); }

void TZipCodeCount::run(bool preview)
{
    if (!checkPrinter())
        return;
    if (!counted_)
        Count();
    if (!counted_)
        return;
    TBaseReport& job = preview ? static_cast<TBaseReport&>(*previewJob_) : *printerJob_;
    if (preview)
        previewJob_->stream()->clear();
    TPrintStatusWindow window(job, preview ? PrintRunMode::Preview : PrintRunMode::Print, zipCountStatusTexts(), this);
    window.setObjectName(QStringLiteral("PrintStatusScreen"));
    job.OnPrint = [&] { printZipCountList(job, result_, [&window] { return window.loop().shouldStop(); }); };
    job.OnAfterPrint = [&] {
        if (preview && !window.loop().stopRequested() && !job.Aborted())
            QTimer::singleShot(0, &window, &QDialog::accept);
    };
    window.exec();
    job.OnPrint = nullptr;
    job.OnAfterPrint = nullptr;
    lastOutcome_ = window.loop().outcome();
    if (preview && (lastOutcome_ == PrintOutcome::Completed || lastOutcome_ == PrintOutcome::Stopped)) {
        TPreviewForm form(previewJob_->stream(), 100, this);
        form.setWindowTitle(QStringLiteral("Preview Zipcode Count"));
        form.exec();
    }
}

} // namespace qb
