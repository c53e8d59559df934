#include "labels/tlabelsetupscreen.h"

#include "core/description_list_model.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/tklabelpanel.h"
#include "labels/tlabeldesignscreen.h"
#include "labels/tselectspecificlabels.h"
#include "labels/tsortbulkmail.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace qb {

namespace {

QString inches(double v) { return QString::number(v, 'f', 3); }

void setUpLabelJob(TBaseReport& job, const char* name)
{
    job.setObjectName(QLatin1String(name));
    job.setUnits(Units::unInch);
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
    job.setTitle(QStringLiteral("Quillbase"));
}

} // namespace

TLabelSetupScreen::TLabelSetupScreen(xbase::Table& labels, AddressTable& addresses, bool filterSet, QWidget* parent)
    : QDialog(parent), labels_(labels), addresses_(addresses), catalogue_(labels),
      model_(std::make_unique<DescriptionListModel>(labels, "BINARY")), printerJob_(std::make_unique<TReportPrinter>()),
      previewJob_(std::make_unique<TReportFiler>())
{
    setWindowTitle(QStringLiteral("Print Labels"));
    setObjectName(QStringLiteral("TLabelSetupScreen"));
    setUpLabelJob(*printerJob_, "LabelReportPrinter");
    setUpLabelJob(*previewJob_, "LabelReportFiler");

    grid_ = newCatalogueGrid(model_.get(), "LabelSetupGrid", this);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("InfoPanel"));
    info_->setTextFormat(Qt::PlainText);
    info_->setMinimumWidth(220);

    const auto button = [this](const char* name, const QString& caption, void (TLabelSetupScreen::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    modify_ = button("ModifyButton", QStringLiteral("Modify"), &TLabelSetupScreen::ModifyButtonClick);
    new_ = button("NewButton", QStringLiteral("New"), &TLabelSetupScreen::NewButtonClick);
    delete_ = button("DeleteButton", QStringLiteral("Delete"), &TLabelSetupScreen::DeleteButtonClick);
    clone_ = button("CloneButton", QStringLiteral("Clone"), &TLabelSetupScreen::CloneButtonClick);

    whatToPrint_ = new QGroupBox(QStringLiteral("What to Print"), this);
    whatToPrint_->setObjectName(QStringLiteral("WhatToPrintPanel"));
    all_ = new QRadioButton(QStringLiteral("All records"), whatToPrint_);
    all_->setObjectName(QStringLiteral("rbQAll"));
    filter_ = new QRadioButton(QStringLiteral("Records matching filter"), whatToPrint_);
    filter_->setObjectName(QStringLiteral("rbQFilter"));
    onlyThis_ = new QRadioButton(QStringLiteral("Only current record"), whatToPrint_);
    onlyThis_->setObjectName(QStringLiteral("rbOnlyThis"));
    startCurrent_ = new QCheckBox(QStringLiteral("Start from current record"), whatToPrint_);
    startCurrent_->setObjectName(QStringLiteral("StartCurrentCheck"));
    presort_ = new QCheckBox(QStringLiteral("Presort for Bulk Mail"), whatToPrint_);
    presort_->setObjectName(QStringLiteral("PresortCheck"));
    if (filterSet) {
        filter_->setChecked(true);
    } else {
        filter_->setEnabled(false);
        all_->setChecked(true);
    }
    auto* what = new QVBoxLayout(whatToPrint_);
    for (QWidget* w : std::initializer_list<QWidget*>{all_, filter_, onlyThis_, startCurrent_, presort_})
        what->addWidget(w);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{all_, filter_, onlyThis_, startCurrent_})
        connect(b, &QAbstractButton::clicked, this, [this] {
            presorted_ = false;
            presort_->setEnabled(!onlyThis_->isChecked());
            if (onlyThis_->isChecked())
                presort_->setChecked(false);
        });

    printerPanel_ = new QGroupBox(QStringLiteral("Printer"), this);
    printerPanel_->setObjectName(QStringLiteral("PrinterPanel"));
    printer_ = new QComboBox(printerPanel_);
    printer_->setObjectName(QStringLiteral("PrinterCombo"));
    printer_->addItems(printerJob_->PrinterNames());
    printer_->setCurrentIndex(printerJob_->SelectedPrinter());
    connect(printer_, &QComboBox::activated, this, &TLabelSetupScreen::PrinterChange);
    (new QVBoxLayout(printerPanel_))->addWidget(printer_);

    print_ = button("PrintNow", QStringLiteral("Print"), &TLabelSetupScreen::PrintNowClick);
    preview_ = button("Previewbutton", QStringLiteral("Preview"), &TLabelSetupScreen::PreviewbuttonClick);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("ReturnButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* upper = new QHBoxLayout;
    auto* list = new QVBoxLayout;
    list->addWidget(new QLabel(QStringLiteral("Select Label"), this));
    list->addWidget(grid_, 1);
    upper->addLayout(list, 2);
    auto* side = new QVBoxLayout;
    side->addWidget(info_);
    for (QPushButton* b : {modify_, new_, delete_, clone_})
        side->addWidget(b);
    side->addStretch();
    upper->addLayout(side, 1);
    auto* lower = new QHBoxLayout;
    lower->addWidget(whatToPrint_);
    lower->addWidget(printerPanel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print_, preview_, ok, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(lower);
    layout->addLayout(buttons);

    // The panel a layout is loaded into for printing and cloning never shows;
    // the designer's panel is made for each Modify or New (see modify).
    hiddenOwner_ = new QWidget(this);
    hiddenOwner_->hide();
    hiddenPanel_ = new design::TKLabelPanel(hiddenOwner_);
    hiddenPanel_->setDataset(&addresses_);

    connect(grid_, &QTableView::doubleClicked, this, &TLabelSetupScreen::ModifyButtonClick);
    reloadList();
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TLabelSetupScreen::RowChange);

    askPositions = [this](const LabelStock& stock, PositionMask& mask, int& copies, bool presort) {
        QStringList printers;
        for (int i = 0; i < printer_->count(); ++i)
            printers << printer_->itemText(i);
        const int before = printer_->currentIndex();
        TSelectSpecificLabels dialog(stock, mask, printers, before, presort, this);
        connect(&dialog, &TSelectSpecificLabels::printerChosen, this, &TLabelSetupScreen::PrinterChange);
        if (dialog.exec() != QDialog::Accepted) {
            // Cancel changes nothing, the printer chosen meanwhile included.
            PrinterChange(before);
            return false;
        }
        mask = dialog.mask();
        copies = dialog.copies();
        return true;
    };
    printHooks.presort = [this](xbase::Table& table) {
        TSortBulkMail window(table, ProgramFolder::file(QStringLiteral("PRESORT.PSL")), this);
        return window.exec() == QDialog::Accepted;
    };
    printHooks.inform = [](const QString& text) { showInformation(text); };
    printHooks.askYesNo = [](const QString& text) { return askQuestion(text, QStringLiteral("Paper Size")); };
    printHooks.runStatus = [this](TBaseReport& job, PrintStatusTexts texts,
                                  const std::function<void(const std::function<bool()>&)>& loop) {
        const PrintRunMode mode = dynamic_cast<TReportFiler*>(&job) ? PrintRunMode::Preview : PrintRunMode::Print;
        TPrintStatusWindow window(job, mode, texts, this);
        job.OnPrint = [&] { loop([&window] { return window.loop().shouldStop(); }); };
        // A preview that ran to its end closes its status window by itself.
        job.OnAfterPrint = [&] {
            // Labels that went without their barcode or their whole address
            // are named, and the window waits for Ok.
            if (!notes_.isEmpty())
                QTimer::singleShot(0, &window, [this, &window] {
                    window.statusLabel()->setText(window.statusLabel()->text() + QStringLiteral("\n\n") +
                                                  notes_.report(QStringLiteral("label"), QStringLiteral("labels"), 10)
                                                      .join(QLatin1Char('\n')));
                });
            else if (mode == PrintRunMode::Preview && !window.loop().stopRequested() && !job.Aborted())
                QTimer::singleShot(0, &window, &QDialog::accept);
        };
        window.exec();
        job.OnAfterPrint = nullptr;
        return window.loop().outcome();
    };
    printHooks.noted = [this](const design::PieceNotes& notes) { notes_ = notes; };
    printHooks.preview = [this](const TPageStream& pages) {
        TPreviewForm form(&pages, 2, this);
        form.setWindowTitle(QStringLiteral("Preview Labels"));
        form.exec();
    };
    runDesigner = [this](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
        TLabelDesignScreen designer(record, panel, addresses_, this);
        return designer.exec() == QDialog::Accepted;
    };
}

TLabelSetupScreen::~TLabelSetupScreen() = default;

void TLabelSetupScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_)
        FormActivate();
}

void TLabelSetupScreen::FormActivate()
{
    activated_ = true;
    // A presort list never outlives the screen that made it.
    QFile::remove(ProgramFolder::file(QStringLiteral("PRESORT.PSL")));
    presorted_ = false;
}

void TLabelSetupScreen::reloadList(const QString& selectFile)
{
    reloadCatalogue(grid_, *model_, labels_, selectFile);
    RowChange();
}

void TLabelSetupScreen::RowChange()
{
    const uint32_t recno = followCatalogueRow(grid_, *model_, labels_);
    SetButtons();
    if (recno == 0) {
        info_->clear();
        return;
    }
    const LabelStock s = catalogue_.read().stock;
    info_->setText(QStringLiteral("Sheet Name: %1\nLabel Height: %2\nLabel Width: %3\n# Across: %4\n# Down: %5\n"
                                  "Paper Size: %6\nPaper Width: %7\nPaper Height: %8")
                       .arg(sheetName(s), inches(s.labelHeight), inches(s.labelWidth))
                       .arg(s.across)
                       .arg(s.down)
                       .arg(s.paperSize, inches(s.sheetWidth), inches(s.sheetDepth)));
}

QString TLabelSetupScreen::infoText() const { return info_->text(); }

void TLabelSetupScreen::SetButtons()
{
    const bool any = model_->rowCount() > 0 && grid_->currentIndex().isValid();
    for (QWidget* w : std::initializer_list<QWidget*>{modify_, delete_, clone_, grid_, print_, preview_})
        w->setEnabled(any);
    whatToPrint_->setVisible(any);
    printerPanel_->setVisible(any);
}

void TLabelSetupScreen::PrinterChange(int index)
{
    printerJob_->SelectPrinter(index);
    previewJob_->SelectPrinter(index);
    if (printer_->currentIndex() != index)
        printer_->setCurrentIndex(index);
}

void TLabelSetupScreen::ModifyButtonClick()
{
    if (grid_->currentIndex().isValid())
        modify(false);
}

void TLabelSetupScreen::NewButtonClick() { modify(true); }

void TLabelSetupScreen::modify(bool isNew)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LabelLayoutRecord record;
    if (isNew) {
        record.stock = LabelStock::newLayout();
        record.isNew = true;
    } else {
        record = catalogue_.read();
    }
    // The designer's panel lives for this one session, and the design
    // clipboard with it: a copy is not offered to the next designer.
    const std::unique_ptr<design::TKLabelPanel> panel = std::make_unique<design::TKLabelPanel>(hiddenOwner_);
    panel->setDataset(&addresses_);
    const QString existing =
        record.fileName.trimmed().isEmpty() ? QString() : resolvePath(catalogue_.layoutPath(record.fileName.trimmed()));
    if (!isNew && !existing.isEmpty() && QFileInfo::exists(existing)) {
        try {
            panel->loadFromFile(existing);
        } catch (const std::exception& e) {
            // Half a layout is never shown, so it can never be saved over the whole one.
            QApplication::restoreOverrideCursor();
            showInformation(QStringLiteral("Unable to read the label layout ") + existing + QStringLiteral("\r\n") +
                            QString::fromStdString(e.what()));
            return;
        }
    } else {
        const std::optional<QString> name = catalogue_.newFileName();
        if (!name) {
            QApplication::restoreOverrideCursor();
            return;
        }
        record.fileName = *name;
    }
    panel->refreshData();
    QApplication::restoreOverrideCursor();
    if (runDesigner && runDesigner(record, panel.get()))
        catalogue_.save(record, [&panel](const QString& path) {
            panel->saveToFile(path);
            return true;
        });
    reloadList(record.fileName);
}

void TLabelSetupScreen::DeleteButtonClick()
{
    if (catalogue_.remove())
        reloadList();
}

void TLabelSetupScreen::CloneButtonClick()
{
    const bool cloned = catalogue_.clone([this](const QString& from, const QString& to) {
        hiddenPanel_->clearObjects();
        try {
            try {
                hiddenPanel_->loadFromFile(from);
            } catch (const std::exception& e) {
                throw std::runtime_error(QStringLiteral("Unable to read the label layout %1\r\n%2")
                                             .arg(from, QString::fromStdString(e.what()))
                                             .toStdString());
            }
            hiddenPanel_->saveToFile(to);
        } catch (...) {
            hiddenPanel_->clearObjects();
            throw;
        }
        hiddenPanel_->clearObjects();
        return true;
    });
    if (cloned)
        reloadList(catalogue_.read().fileName);
}

void TLabelSetupScreen::PrintNowClick() { run(PrintRunMode::Print); }
void TLabelSetupScreen::PreviewbuttonClick() { run(PrintRunMode::Preview); }

void TLabelSetupScreen::run(PrintRunMode mode)
{
    if (!grid_->currentIndex().isValid())
        return;
    hiddenPanel_->clearObjects();
    const LabelLayoutRecord record = catalogue_.read();
    PositionMask mask = mask_;
    int copies = copies_;
    if (!askPositions || !askPositions(record.stock, mask, copies, presort_->isChecked()))
        return;
    mask_ = mask;
    copies_ = std::max(1, copies);

    LabelPrintRequest request;
    request.records = all_->isChecked()       ? LabelPrintRequest::Records::All
                      : onlyThis_->isChecked() ? LabelPrintRequest::Records::OnlyCurrent
                                               : LabelPrintRequest::Records::Filter;
    request.startFromCurrent = startCurrent_->isChecked();
    request.presort = presort_->isChecked();
    request.copies = copies_;
    request.mask = mask_;
    request.mode = mode;
    request.stock = record.stock;
    request.layoutPath = record.fileName.trimmed().isEmpty() ? QString() : catalogue_.layoutPath(record.fileName.trimmed());
    request.presortPath = ProgramFolder::file(QStringLiteral("PRESORT.PSL"));
    TBaseReport& job = mode == PrintRunMode::Print ? static_cast<TBaseReport&>(*printerJob_) : *previewJob_;
    notes_ = {};
    lastRun_ = runLabelPrint(addresses_, *hiddenPanel_, job, request, presorted_, printHooks);
    hiddenPanel_->clearObjects();
}

} // namespace qb
