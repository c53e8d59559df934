#include "reports/treportsetup.h"

#include "core/address_table.h"
#include "core/description_list_model.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/layout_stream.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"
#include "reports/report_file.h"
#include "reports/treportdesigner.h"
#include "reports/treportpanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

namespace {

void setUpReportJob(TBaseReport& job, const char* name)
{
    job.setObjectName(QLatin1String(name));
    job.setUnits(Units::unInch);
    job.setTitle(QStringLiteral("Quillbase"));
}

} // namespace

TReportStatusWindow::TReportStatusWindow(const char* className, TBaseReport& job, PrintRunMode mode, QWidget* parent)
    : TPrintStatusWindow(job, mode, PrintStatusTexts{}, parent)
{
    setObjectName(QLatin1String(className));
}

ReportRunHooks reportWindowHooks(QWidget* parent, const char* className)
{
    ReportRunHooks hooks;
    hooks.inform = [](const QString& text) { showInformation(text); };
    hooks.runStatus = [parent, className](TBaseReport& job, PrintStatusTexts,
                                          const std::function<void(const std::function<bool()>&)>& loop) {
        const PrintRunMode mode = dynamic_cast<TReportFiler*>(&job) ? PrintRunMode::Preview : PrintRunMode::Print;
        TReportStatusWindow window(className, job, mode, parent);
        job.OnPrint = [&] { loop([&window] { return window.loop().shouldStop(); }); };
        // The window stays with its final text until the user closes it.
        window.exec();
        return window.loop().outcome();
    };
    hooks.preview = [parent](const TPageStream& pages) {
        TPreviewForm form(&pages, 2, parent);   // at the page's width
        form.setWindowTitle(QStringLiteral("Preview Report"));
        form.exec();
    };
    return hooks;
}

TReportSetup::TReportSetup(xbase::Table& reports, AddressTable& addresses, bool filterSet, QWidget* parent)
    : QDialog(parent), reports_(reports), addresses_(addresses), catalogue_(reports),
      model_(std::make_unique<DescriptionListModel>(reports, "BINARY")),
      printerJob_(std::make_unique<TReportPrinter>()), previewJob_(std::make_unique<TReportFiler>())
{
    setWindowTitle(QStringLiteral("Print Report"));
    setObjectName(QStringLiteral("TReportSetup"));
    setUpReportJob(*printerJob_, "ReportPrinter");
    setUpReportJob(*previewJob_, "ReportFiler");
    const auto button = [this](QWidget* parentWidget, const char* name, const QString& caption,
                               void (TReportSetup::*handler)()) {
        auto* b = new QPushButton(caption, parentWidget);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("ReportPages"));

    // The built-in lists.
    auto* builtIn = new QWidget(pages_);
    builtIn->setObjectName(QStringLiteral("BuiltInPage"));
    reportList_ = new QListWidget(builtIn);
    reportList_->setObjectName(QStringLiteral("ReportList"));
    reportList_->addItems(kBuiltInReports);
    reportList_->setCurrentRow(0);
    title_ = new QLineEdit(QStringLiteral("Report 1"), builtIn);
    title_->setObjectName(QStringLiteral("ReportTitle"));
    printMemo_ = new QCheckBox(QStringLiteral("Print Memo"), builtIn);
    printMemo_->setObjectName(QStringLiteral("PrintMemo"));
    printCodes_ = new QCheckBox(QStringLiteral("Print Codes"), builtIn);
    printCodes_->setObjectName(QStringLiteral("PrintCodes"));
    connect(reportList_, &QListWidget::currentRowChanged, this,
            [this](int row) { title_->setText(QStringLiteral("Report %1").arg(row + 1)); });
    auto* builtInLayout = new QVBoxLayout(builtIn);
    builtInLayout->addWidget(new QLabel(QStringLiteral("Select Report:"), builtIn));
    builtInLayout->addWidget(reportList_);
    builtInLayout->addWidget(new QLabel(QStringLiteral("Report Title"), builtIn));
    builtInLayout->addWidget(title_);
    builtInLayout->addWidget(printMemo_);
    builtInLayout->addWidget(printCodes_);
    pages_->addTab(builtIn, QStringLiteral("Built In Reports"));

    // The stored reports.
    auto* designed = new QWidget(pages_);
    designed->setObjectName(QStringLiteral("UserReportsPage"));
    grid_ = newCatalogueGrid(model_.get(), "UserReportsGrid", designed);
    new_ = button(designed, "NewButton", QStringLiteral("New"), &TReportSetup::NewButtonClick);
    modify_ = button(designed, "ModifyButton", QStringLiteral("Modify"), &TReportSetup::ModifyButtonClick);
    delete_ = button(designed, "DeleteButton", QStringLiteral("Delete"), &TReportSetup::DeleteButtonClick);
    clone_ = button(designed, "CloneButton", QStringLiteral("Clone"), &TReportSetup::CloneButtonClick);
    auto* designedLayout = new QHBoxLayout(designed);
    designedLayout->addWidget(grid_, 1);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {new_, modify_, delete_, clone_})
        side->addWidget(b);
    side->addStretch();
    designedLayout->addLayout(side);
    pages_->addTab(designed, QStringLiteral("Report Designer"));

    // What to print.
    auto* what = new QGroupBox(QStringLiteral("What to Print"), this);
    what->setObjectName(QStringLiteral("WhatToPrintPanel"));
    what_ = what;
    all_ = new QRadioButton(QStringLiteral("All records"), what);
    all_->setObjectName(QStringLiteral("rbQAll"));
    filter_ = new QRadioButton(QStringLiteral("Records matching filter"), what);
    filter_->setObjectName(QStringLiteral("rbQFilter"));
    onlyThis_ = new QRadioButton(QStringLiteral("Only current record"), what);
    onlyThis_->setObjectName(QStringLiteral("rbOnlyThis"));
    // Without a filter there is nothing to match: all records it is.
    filter_->setEnabled(filterSet);
    (filterSet ? filter_ : all_)->setChecked(true);
    startCurrent_ = new QCheckBox(QStringLiteral("Start from current record"), what);
    startCurrent_->setObjectName(QStringLiteral("StartCurrentCheck"));
    onePerPage_ = new QCheckBox(QStringLiteral("One Record Per Page"), what);
    onePerPage_->setObjectName(QStringLiteral("OnePerPageCheck"));
    auto* whatLayout = new QVBoxLayout(what);
    for (QWidget* w : std::initializer_list<QWidget*>{all_, filter_, onlyThis_, startCurrent_, onePerPage_})
        whatLayout->addWidget(w);

    print_ = button(this, "PrintButton", QStringLiteral("Print"), &TReportSetup::PrintClick);
    preview_ = button(this, "PreviewButton", QStringLiteral("Preview"), &TReportSetup::PreviewClick);
    QPushButton* setup = button(this, "PrinterSetupButton", QStringLiteral("Printer Setup"), &TReportSetup::PrinterSetupClick);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* upper = new QHBoxLayout;
    upper->addWidget(pages_, 1);
    upper->addWidget(what);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print_, preview_, setup, ok, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(buttons);

    hiddenOwner_ = new QWidget(this);
    hiddenOwner_->hide();
    hidden_ = {new TReportPanel(rpkHeader, hiddenOwner_), new TReportPanel(rpkDetail, hiddenOwner_),
               new TReportPanel(rpkFooter, hiddenOwner_)};

    connect(grid_, &QTableView::doubleClicked, this, &TReportSetup::ModifyButtonClick);
    connect(pages_, &QTabWidget::currentChanged, this, [this] { SetButtons(); });
    reloadList();
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TReportSetup::RowChange);

    printHooks = reportWindowHooks(this, "TUserDefinedReportPrint");
    builtInHooks = reportWindowHooks(this, "TBuiltInReportPrint");
    printDialog = [this](TReportPrinter& job) { return job.ShowPrintDialog(this); };
    runDesigner = [this](ReportRecord& record, ReportLayout& edited, const ReportBands& bands) {
        TReportDesigner designer(record, edited, bands, addresses_, this);
        return designer.exec() == QDialog::Accepted;
    };
    SetButtons();
}

TReportSetup::~TReportSetup() = default;

void TReportSetup::reloadList(const QString& selectFile)
{
    reloadCatalogue(grid_, *model_, reports_, selectFile);
    RowChange();
}

void TReportSetup::RowChange()
{
    followCatalogueRow(grid_, *model_, reports_);
    SetButtons();
}

void TReportSetup::SetButtons()
{
    const bool any = model_->rowCount() > 0 && grid_->currentIndex().isValid();
    for (QWidget* w : std::initializer_list<QWidget*>{modify_, delete_, clone_, grid_})
        w->setEnabled(any);
    const bool builtIn = pages_->currentIndex() == 0;
    for (QWidget* w : std::initializer_list<QWidget*>{print_, preview_, what_})
        w->setEnabled(builtIn || any);
    onePerPage_->setVisible(!builtIn);
}

void TReportSetup::NewButtonClick() { edit(true); }

void TReportSetup::ModifyButtonClick()
{
    if (grid_->currentIndex().isValid())
        edit(false);
}

void TReportSetup::edit(bool isNew)
{
    ReportRecord record;
    ReportLayout layout;
    if (isNew)
        record.isNew = true;
    else
        record = catalogue_.read();
    // The designer's bands live for this one session.
    QWidget owner;
    const ReportBands bands{new TReportPanel(rpkHeader, &owner), new TReportPanel(rpkDetail, &owner),
                            new TReportPanel(rpkFooter, &owner)};
    bands[1]->setDataset(&addresses_);
    if (!isNew) {
        try {
            for (const QString& problem :
                 loadReportFile(&owner, bands, layout, resolvePath(ReportCatalogue::reportPath(record.fileName))))
                showInformation(problem);
        } catch (const std::exception& e) {
            // Half a report is never shown, so it can never be saved over the whole one.
            showInformation(QStringLiteral("Unable to read the report ") + record.fileName + QStringLiteral("\r\n") +
                            QString::fromStdString(e.what()));
            return;
        }
    }
    record.layout = layout.layoutText();
    if (runDesigner && runDesigner(record, layout, bands))
        catalogue_.save(record, [&](const QString& path) { saveReportFile(bands, layout, path); });
    reloadList(record.fileName);
}

void TReportSetup::DeleteButtonClick()
{
    if (catalogue_.remove())
        reloadList();
}

void TReportSetup::CloneButtonClick()
{
    if (catalogue_.clone())
        reloadList();
}

ReportSelection TReportSetup::selection(PrintRunMode mode) const
{
    ReportSelection s;
    s.records = all_->isChecked() ? PrintRecords::All
                                  : (onlyThis_->isChecked() ? PrintRecords::OnlyCurrent : PrintRecords::Filter);
    s.startFromCurrent = startCurrent_->isChecked();
    s.mode = mode;
    return s;
}

void TReportSetup::PrintClick()
{
    if (printDialog && !printDialog(*printerJob_))
        return;
    run(PrintRunMode::Print);
}

void TReportSetup::PreviewClick() { run(PrintRunMode::Preview); }

void TReportSetup::PrinterSetupClick()
{
    if (printerJob_->ShowPrinterSetup(this))
        previewJob_->setPrinterSettings(printerJob_->printerSettings());
}

void TReportSetup::run(PrintRunMode mode)
{
    TBaseReport& job = mode == PrintRunMode::Print ? static_cast<TBaseReport&>(*printerJob_)
                                                   : static_cast<TBaseReport&>(*previewJob_);
    if (mode == PrintRunMode::Preview)
        previewJob_->setStream(nullptr);
    if (pages_->currentIndex() == 0) {
        BuiltInReportRequest request;
        request.selection = selection(mode);
        request.entry = reportList_->currentRow() + 1;
        request.title = title_->text();
        request.memo = printMemo_->isChecked();
        request.codes = printCodes_->isChecked();
        lastRun_ = runBuiltInReport(addresses_, job, request, builtInHooks);
        return;
    }
    if (!catalogue_.hasCurrent())
        return;
    // A report file that is gone prints empty bands with the layout in memory.
    ReportLayout layout;
    const ReportRecord record = catalogue_.read();
    try {
        for (const QString& problem :
             loadReportFile(hiddenOwner_, hidden_, layout, resolvePath(ReportCatalogue::reportPath(record.fileName))))
            if (printHooks.inform)
                printHooks.inform(problem);
    } catch (const std::exception& e) {
        showInformation(QStringLiteral("Unable to read the report ") + record.fileName + QStringLiteral("\r\n") +
                        QString::fromStdString(e.what()));
        return;
    }
    UserReportRequest request;
    request.selection = selection(mode);
    request.onePerPage = onePerPage_->isChecked();
    lastRun_ = runUserReport(addresses_, hidden_, layout, job, request, printHooks);
}

} // namespace qb
