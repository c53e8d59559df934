#include "envelopes/tqbenvelopes.h"

#include "core/address_table.h"
#include "core/description_list_model.h"
#include "core/layout_names.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/preferences.h"
#include "core/record_steps.h"
#include "core/settings.h"
#include "envelopes/envelope_dialogs.h"
#include "envelopes/envelope_printer.h"
#include "envelopes/tenvelopedesignscreen.h"
#include "envelopes/tenvelopepanel.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <malloc.h>

namespace qb {

namespace {

void setUpEnvelopeJob(TBaseReport& job, const char* name)
{
    job.setObjectName(QLatin1String(name));
    job.setUnits(Units::unInch);
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
    job.setTitle(QStringLiteral("Quillbase"));
}

QString field(AddressTable& t, const char* name)
{
    try {
        return t.isOpen() && !t.table().eof() ? QString::fromStdString(t.table().text(name)).trimmed() : QString();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

TEnvelopeForm::TEnvelopeForm(TBaseReport& job, PrintRunMode mode, QWidget* parent)
    : TPrintStatusWindow(job, mode, envelopeStatusTexts(), parent)
{
    setObjectName(QStringLiteral("TEnvelopeForm"));
}

TQBEnvelopes::TQBEnvelopes(xbase::Table& envelopes, AddressTable& addresses, bool filterSet, QWidget* parent)
    : QDialog(parent), envelopes_(envelopes), addresses_(addresses), catalogue_(envelopes),
      model_(std::make_unique<DescriptionListModel>(envelopes, "BINARY")),
      printerJob_(std::make_unique<TReportPrinter>()), previewJob_(std::make_unique<TReportFiler>())
{
    setWindowTitle(QStringLiteral("Print Envelope"));
    setObjectName(QStringLiteral("TQBEnvelopes"));
    setUpEnvelopeJob(*printerJob_, "EnvelopeReportPrinter");
    setUpEnvelopeJob(*previewJob_, "EnvelopeReportFiler");
    grid_ = newCatalogueGrid(model_.get(), "EnvelopeSetupGrid", this);
    const auto button = [this](const char* name, const QString& caption, void (TQBEnvelopes::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    modify_ = button("ModifyButton", QStringLiteral("Modify"), &TQBEnvelopes::ModifyButtonClick);
    new_ = button("NewButton", QStringLiteral("New"), &TQBEnvelopes::NewButtonClick);
    delete_ = button("DeleteButton", QStringLiteral("Delete"), &TQBEnvelopes::DeleteButtonClick);
    clone_ = button("CloneButton", QStringLiteral("Clone"), &TQBEnvelopes::CloneButtonClick);
    print_ = button("PrintButton", QStringLiteral("&Print"), &TQBEnvelopes::PrintClick);
    print_->setDefault(true);
    preview_ = button("PreviewButton", QStringLiteral("Pre&view"), &TQBEnvelopes::PreviewClick);
    QPushButton* setup = button("PrinterSetupButton", QStringLiteral("Printer Setup"), &TQBEnvelopes::PrinterSetupClick);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    // The current record and its navigation.
    auto* record = new QGroupBox(QStringLiteral("Current Record"), this);
    record->setObjectName(QStringLiteral("CurrentRecordPanel"));
    auto* recordGrid = new QGridLayout(record);
    const auto value = [this, recordGrid](int row, const char* caption, const char* name) {
        recordGrid->addWidget(new QLabel(QLatin1String(caption), this), row, 0);
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        recordGrid->addWidget(l, row, 1);
        return l;
    };
    first_ = value(0, "First", "FirstName");
    last_ = value(1, "Last", "LastName");
    org_ = value(2, "Org", "Org");
    city_ = value(3, "City", "City");
    auto* nav = new QHBoxLayout;
    static const char* const moves[] = {"FirstButton", "PriorButton", "NextButton", "LastButton"};
    static const char* const arrows[] = {"|<", "<", ">", ">|"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QLatin1String(arrows[i]), this);
        b->setObjectName(QLatin1String(moves[i]));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { moveRecord(i); });
        nav->addWidget(b);
    }
    recordGrid->addLayout(nav, 4, 0, 1, 2);

    // What to print.
    auto* what = new QGroupBox(QStringLiteral("What to Print"), this);
    what->setObjectName(QStringLiteral("WhatToPrintPanel"));
    all_ = new QRadioButton(QStringLiteral("All records"), what);
    all_->setObjectName(QStringLiteral("rbQAll"));
    filter_ = new QRadioButton(QStringLiteral("Records matching filter"), what);
    filter_->setObjectName(QStringLiteral("rbQFilter"));
    filter_->setEnabled(filterSet);
    onlyThis_ = new QRadioButton(QStringLiteral("Only current record"), what);
    onlyThis_->setObjectName(QStringLiteral("rbOnlyThis"));
    onlyThis_->setChecked(true);
    startCurrent_ = new QCheckBox(QStringLiteral("Start from current record"), what);
    startCurrent_->setObjectName(QStringLiteral("StartCurrentCheck"));
    auto* whatLayout = new QVBoxLayout(what);
    for (QWidget* w : std::initializer_list<QWidget*>{all_, filter_, onlyThis_, startCurrent_})
        whatLayout->addWidget(w);

    // The preview of the highlighted layout at 30 percent, and the panel a
    // layout is loaded into for printing.
    display_ = new TEnvelopePanel(this);
    display_->setObjectName(QStringLiteral("EDisplay"));
    display_->setDataset(&addresses_);
    display_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hiddenOwner_ = new QWidget(this);
    hiddenOwner_->hide();
    hiddenPanel_ = new TEnvelopePanel(hiddenOwner_);
    hiddenPanel_->setDataset(&addresses_);

    auto* upper = new QHBoxLayout;
    auto* list = new QVBoxLayout;
    auto* listCaption = new QLabel(QStringLiteral("&Select Envelope Setup"), this);
    listCaption->setBuddy(grid_);
    list->addWidget(listCaption);
    list->addWidget(grid_, 1);
    upper->addLayout(list, 2);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {modify_, new_, delete_, clone_})
        side->addWidget(b);
    side->addStretch();
    upper->addLayout(side);
    upper->addWidget(record);
    auto* middle = new QHBoxLayout;
    middle->addWidget(display_, 0, Qt::AlignTop);
    middle->addWidget(what);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print_, preview_, setup, ok, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(middle);
    layout->addLayout(buttons);

    connect(grid_, &QTableView::doubleClicked, this, &TQBEnvelopes::ModifyButtonClick);
    reloadList();
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TQBEnvelopes::RowChange);

    printHooks.inform = [](const QString& text) { showInformation(text); };
    printHooks.confirm = [this](TBaseReport& job, EnvelopeFeed& feed) {
        const EnvelopeSize size = EnvelopeLayoutRecord{QString(), catalogue_.read().code, QString(), false}.size();
        TEnvelopePrePrint dialog(job, feed, size.width, size.height, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        feed = dialog.feed();
        return true;
    };
    printHooks.runStatus = [this](TBaseReport& job, PrintStatusTexts,
                                  const std::function<void(const std::function<bool()>&)>& loop) {
        const PrintRunMode mode = dynamic_cast<TReportFiler*>(&job) ? PrintRunMode::Preview : PrintRunMode::Print;
        TEnvelopeForm window(job, mode, this);
        job.OnPrint = [&] { loop([&window] { return window.loop().shouldStop(); }); };
        // The window closes by itself when the run ends, unless pieces went
        // without their barcode or their whole address: then it says which
        // and waits for Ok.
        job.OnAfterPrint = [&] {
            QTimer::singleShot(0, &window, [this, &window] {
                if (notes_.isEmpty())
                    return window.accept();
                window.statusLabel()->setText(window.statusLabel()->text() + QStringLiteral("\n\n") +
                                              notes_.report(QStringLiteral("envelope"), QStringLiteral("envelopes"), 10)
                                                  .join(QLatin1Char('\n')));
            });
        };
        window.exec();
        job.OnAfterPrint = nullptr;
        return window.loop().outcome();
    };
    printHooks.noted = [this](const design::PieceNotes& notes) { notes_ = notes; };
    printHooks.preview = [this](const TPageStream& pages) {
        TPreviewForm form(&pages, 1, this);
        form.setWindowTitle(QStringLiteral("Preview Envelope"));
        form.exec();
    };
    runDesigner = [this](EnvelopeLayoutRecord& edited, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(edited, panel, addresses_, this);
        return designer.exec() == QDialog::Accepted;
    };
    chooseSize = [this](int code) -> std::optional<int> {
        TChooseEnvelopeLayout dialog(code, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.code();
    };
    showRecord();
}

TQBEnvelopes::~TQBEnvelopes() = default;

void TQBEnvelopes::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        loadPrinterSettings();
    }
}

void TQBEnvelopes::loadPrinterSettings()
{
    const Settings settings = Settings::program();
    feed_ = EnvelopeFeedPreferences::read(settings);
    // A saved printer, source or paper no longer there leaves the current one.
    const EnvelopePrinterPreferences p = EnvelopePrinterPreferences::read(settings);
    applyEnvelopePrinter(*printerJob_, p);
    applyEnvelopePrinter(*previewJob_, p);
}

void TQBEnvelopes::savePrinterSettings()
{
    Settings settings = Settings::program();
    feed_.write(settings);
    envelopePrinterOf(*printerJob_).write(settings);
}

void TQBEnvelopes::reloadList(const QString& selectFile)
{
    reloadCatalogue(grid_, *model_, envelopes_, selectFile);
    RowChange();
}

void TQBEnvelopes::RowChange()
{
    followCatalogueRow(grid_, *model_, envelopes_);
    SetButtons();
    rebuildPreview();
}

void TQBEnvelopes::SetButtons()
{
    const bool any = model_->rowCount() > 0 && grid_->currentIndex().isValid();
    for (QWidget* w : std::initializer_list<QWidget*>{modify_, delete_, clone_, grid_, print_, preview_})
        w->setEnabled(any);
}

void TQBEnvelopes::rebuildPreview()
{
    display_->clearObjects();
    display_->setZoom(1.0f);
    const EnvelopeLayoutRecord r = catalogue_.read();
    const EnvelopeSize s = envelopeSize(r.code).value_or(*envelopeSize(kDefaultEnvelopeCode));
    display_->resize(TEnvelopePanel::surfaceSize(s.width, s.height));
    if (catalogue_.hasCurrent() && !catalogue_.layoutPath(r.fileName).isEmpty()) {
        const QString path = resolvePath(catalogue_.layoutPath(r.fileName));
        if (QFileInfo::exists(path)) {
            try {
                display_->loadFromFile(path);
            } catch (const std::exception&) {
                // A layout that does not read shows nothing here; Modify and Print say why.
                display_->clearObjects();
            }
        }
    }
    display_->setZoom(0.3f);
    const int ppi = 96;
    display_->setFixedSize(int(std::lround(ppi * s.width * 0.3)), int(std::lround(ppi * s.height * 0.3)));
    display_->refreshData();
    display_->update();
}

void TQBEnvelopes::showRecord()
{
    first_->setText(field(addresses_, "FNAME"));
    last_->setText(field(addresses_, "LNAME"));
    org_->setText(field(addresses_, "ORG"));
    city_->setText(field(addresses_, "CITY"));
}

void TQBEnvelopes::moveRecord(int which)
{
    if (!addresses_.isOpen())
        return;
    const QString error = stepRecord(addresses_.table(), RecordStep(which));
    if (!error.isEmpty())
        showInformation(error);
    showRecord();
    display_->refreshData();
}

void TQBEnvelopes::ModifyButtonClick()
{
    if (grid_->currentIndex().isValid())
        modify(false, catalogue_.read().code);
}

void TQBEnvelopes::NewButtonClick()
{
    const int current = catalogue_.hasCurrent() ? catalogue_.read().code : kDefaultEnvelopeCode;
    if (const std::optional<int> code = chooseSize(current))
        modify(true, *code);
}

void TQBEnvelopes::modify(bool isNew, int code)
{
    EnvelopeLayoutRecord record;
    if (isNew) {
        record.isNew = true;
        record.code = code;
        record.description = QStringLiteral("<New envelope>");
    } else {
        record = catalogue_.read();
    }
    // The designer's panel lives for this one session.
    const std::unique_ptr<TEnvelopePanel> panel = std::make_unique<TEnvelopePanel>(hiddenOwner_);
    panel->setDataset(&addresses_);
    panel->setPrinterArea({int(std::trunc(printerJob_->OffsetLeft() / printerJob_->UnitsFactor() * 96)),
                           int(std::trunc(printerJob_->OffsetTop() / printerJob_->UnitsFactor() * 96)),
                           int(std::trunc(printerJob_->OffsetRight() / printerJob_->UnitsFactor() * 96)),
                           int(std::trunc(printerJob_->OffsetBottom() / printerJob_->UnitsFactor() * 96)),
                           int(std::trunc(printerJob_->PageWidth() / printerJob_->UnitsFactor() * 96)),
                           int(std::trunc(printerJob_->PageHeight() / printerJob_->UnitsFactor() * 96))});
    // A name that leads out of sysdata is never opened: the design starts empty
    // under a new name, as for a missing file.
    const QString path = catalogue_.layoutPath(record.fileName);
    if (!isNew && !record.fileName.isEmpty() && path.isEmpty())
        showInformation(notPlainFileNameMessage(record.fileName));
    const QString existing = path.isEmpty() ? QString() : resolvePath(path);
    if (!isNew && !existing.isEmpty() && QFileInfo::exists(existing)) {
        try {
            panel->loadFromFile(existing);
        } catch (const std::exception& e) {
            // Half a layout is never shown, so it can never be saved over the whole one.
            showInformation(QStringLiteral("Unable to read the envelope layout ") + existing + QStringLiteral("\r\n") +
                            QString::fromStdString(e.what()));
            return;
        }
    } else {
        const std::optional<QString> name = catalogue_.newFileName();
        if (!name)
            return;
        record.fileName = *name;
    }
    panel->refreshData();
    if (runDesigner && runDesigner(record, panel.get()))
        catalogue_.save(record, [&panel](const QString& path) {
            panel->saveToFile(path);
            return true;
        });
    reloadList(record.fileName);
    // The designer may have moved the table: the panel shows the record a run prints.
    showRecord();
}

void TQBEnvelopes::DeleteButtonClick()
{
    if (catalogue_.remove())
        reloadList();
}

void TQBEnvelopes::CloneButtonClick()
{
    const QString before = catalogue_.read().fileName;
    if (catalogue_.clone([](const QString& from, const QString& to) {
            QFile::remove(to);
            return QFile::copy(from, to);
        }))
        reloadList();
    else
        reloadList(before);
}

void TQBEnvelopes::PrintClick() { run(PrintRunMode::Print); }
void TQBEnvelopes::PreviewClick() { run(PrintRunMode::Preview); }

void TQBEnvelopes::PrinterSetupClick()
{
    // The dialog opens on the highlighted layout's envelope, fed as set.
    if (catalogue_.hasCurrent()) {
        printerJob_->SetPaperSize(catalogue_.read().code, 0, 0);
        printerJob_->setOrientation(feed_.orientation == kPortrait ? Orientation::poPortrait : Orientation::poLandScape);
    }
    if (printerJob_->ShowPrinterSetup(this)) {
        previewJob_->setPrinterSettings(printerJob_->printerSettings());
        savePrinterSettings();
    }
}

void TQBEnvelopes::run(PrintRunMode mode)
{
    if (!catalogue_.hasCurrent())
        return;
    loadPrinterSettings();
    const EnvelopeLayoutRecord r = catalogue_.read();
    lastRun_ = {};
    if (!r.fileName.isEmpty() && catalogue_.layoutPath(r.fileName).isEmpty()) {
        showInformation(notPlainFileNameMessage(r.fileName));
        return;
    }
    EnvelopePrintRequest request;
    request.layoutPath = r.fileName.isEmpty() ? QString() : catalogue_.layoutPath(r.fileName);
    request.code = r.code;
    request.feed = feed_;
    request.records = onlyThis_->isChecked() ? PrintRecords::OnlyCurrent
                      : all_->isChecked()    ? PrintRecords::All
                                             : PrintRecords::Filter;
    request.startFromCurrent = startCurrent_->isChecked();
    request.mode = mode;
    EnvelopePrintHooks hooks = printHooks;
    // "Envelope Print" always works on the printer job, so that its Printer
    // Setup chooses the paper the print will use; a preview then records on
    // that same paper. Its Ok takes the feed and saves it with the printer's
    // settings, preview or not.
    hooks.confirm = [this](TBaseReport& job, EnvelopeFeed& feed) {
        if (&job != printerJob_.get()) {
            printerJob_->setPrinterSettings(job.printerSettings());
            printerJob_->setOrientation(job.orientation());
        }
        if (printHooks.confirm && !printHooks.confirm(*printerJob_, feed))
            return false;
        if (&job != printerJob_.get()) {
            job.setPrinterSettings(printerJob_->printerSettings());
            job.setOrientation(printerJob_->orientation());
        }
        feed_ = feed;
        savePrinterSettings();
        return true;
    };
    TBaseReport* job = printerJob_.get();
    auto stream = std::make_unique<TPageStream>();
    if (mode == PrintRunMode::Preview) {
        previewJob_->setPrinterSettings(printerJob_->printerSettings());
        previewJob_->setStream(stream.get());
        job = previewJob_.get();
    }
    notes_ = {};
    lastRun_ = runEnvelopePrint(addresses_, *hiddenPanel_, *job, request, hooks);
    if (mode == PrintRunMode::Preview) {
        previewJob_->setStream(nullptr);
        // The recorded pages (some 30 KB an envelope) go once the preview is
        // closed, and their memory back to the system: the allocator would
        // otherwise keep it for the rest of the session.
        stream.reset();
        malloc_trim(0);
    }
    showRecord();
    display_->refreshData();
}

} // namespace qb
