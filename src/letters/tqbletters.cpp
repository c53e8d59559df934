#include "letters/tqbletters.h"

#include "core/address_table.h"
#include "core/description_list_model.h"
#include "core/messages.h"
#include "core/placement.h"
#include "letters/tletterdesign.h"
#include "letters/tletterprint.h"
#include "letters/trtfpreviewform.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

TQBLetters::TQBLetters(xbase::Table& letters, AddressTable& addresses, bool filterSet, QWidget* parent)
    : QDialog(parent), letters_(letters), addresses_(addresses), catalogue_(letters),
      model_(std::make_unique<DescriptionListModel>(letters, "DESCRIPT", QStringLiteral("Letter Description"))),
      printerJob_(std::make_unique<TReportPrinter>())
{
    setObjectName(QStringLiteral("TQBLetters"));
    setWindowTitle(QStringLiteral("Print Letters"));
    printerJob_->setObjectName(QStringLiteral("LetterPrinter"));
    printerJob_->setTitle(QStringLiteral("Quillbase letters"));

    grid_ = newCatalogueGrid(model_.get(), "LetterGrid", this);

    const auto button = [this](const char* name, const QString& caption, void (TQBLetters::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    modify_ = button("ModifyButton", QStringLiteral("Modify"), &TQBLetters::ModifyButtonClick);
    new_ = button("NewButton", QStringLiteral("New"), &TQBLetters::NewButtonClick);
    delete_ = button("DeleteButton", QStringLiteral("Delete"), &TQBLetters::DeleteButtonClick);
    clone_ = button("CloneButton", QStringLiteral("Clone"), &TQBLetters::CloneButtonClick);

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
    copies_ = new QSpinBox(what);
    copies_->setObjectName(QStringLiteral("NumberofEachLabel"));
    copies_->setRange(1, kMaxLetterCopies);
    copies_->setValue(1);
    auto* whatLayout = new QVBoxLayout(what);
    for (QWidget* w : std::initializer_list<QWidget*>{all_, filter_, onlyThis_, startCurrent_})
        whatLayout->addWidget(w);
    auto* copiesRow = new QHBoxLayout;
    copiesRow->addWidget(new QLabel(QStringLiteral("# copies of each letter"), what));
    copiesRow->addWidget(copies_);
    copiesRow->addStretch();
    whatLayout->addLayout(copiesRow);

    printer_ = new QLabel(this);
    printer_->setObjectName(QStringLiteral("PrinterLabel"));
    print_ = button("PrintButton", QStringLiteral("Print"), &TQBLetters::PrintButtonClick);
    preview_ = button("PreviewButton", QStringLiteral("Preview"), &TQBLetters::PreviewButtonClick);
    auto* setup = button("PrinterSetupButton", QStringLiteral("Printer Setup"), &TQBLetters::PrinterSetupButtonClick);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* upper = new QHBoxLayout;
    auto* list = new QVBoxLayout;
    list->addWidget(new QLabel(QStringLiteral("Select Letter"), this));
    list->addWidget(grid_, 1);
    upper->addLayout(list, 2);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {modify_, new_, delete_, clone_})
        side->addWidget(b);
    side->addStretch();
    upper->addLayout(side);
    auto* lower = new QHBoxLayout;
    lower->addWidget(what);
    auto* printerSide = new QVBoxLayout;
    printerSide->addWidget(printer_);
    printerSide->addWidget(setup);
    printerSide->addStretch();
    lower->addLayout(printerSide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print_, preview_, ok, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(lower);
    layout->addLayout(buttons);

    connect(grid_, &QTableView::doubleClicked, this, &TQBLetters::ModifyButtonClick);
    reloadList();
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TQBLetters::RowChange);
    showPrinter();

    printDialog = [this] { return printerJob_->ShowPrintDialog(this); };
    printerSetup = [this] { return printerJob_->ShowPrinterSetup(this); };
    runEditor = [](TLetterDesign& editor) {
        centreWindow(&editor);
        return editor.exec() == QDialog::Accepted;
    };
    runPrint = [this](LetterPrintLoop& loop) {
        TLetterPrint window(loop, *printerJob_, this);
        centreWindow(&window);
        window.exec();
        return window.outcome();
    };
    runPreview = [this](const richtext::RichText& letterTemplate) {
        TRTFPreviewForm form(letterTemplate, addresses_, this);
        form.exec();
    };
}

TQBLetters::~TQBLetters() = default;

void TQBLetters::showPrinter()
{
    const QStringList names = printerJob_->PrinterNames();
    printer_->setText(QStringLiteral("Printer: ") + names.value(printerJob_->SelectedPrinter()));
}

void TQBLetters::reloadList(uint32_t select)
{
    const uint32_t current = select ? select : letters_.eof() ? 0 : letters_.recno();
    model_->reload();
    selectCatalogueRow(grid_, *model_, letters_, -1, current);
    RowChange();
}

void TQBLetters::RowChange()
{
    followCatalogueRow(grid_, *model_, letters_);
    SetButtons();
}

void TQBLetters::SetButtons()
{
    const bool any = model_->rowCount() > 0 && grid_->currentIndex().isValid();
    for (QWidget* w : std::initializer_list<QWidget*>{modify_, clone_, print_, preview_, delete_, grid_})
        w->setEnabled(any);
}

void TQBLetters::ModifyButtonClick()
{
    if (grid_->currentIndex().isValid())
        modify(false);
}

void TQBLetters::NewButtonClick() { modify(true); }

void TQBLetters::modify(bool isNew)
{
    richtext::RichText stored(richtext::RichText::Layout::Editor);
    QString note;
    if (!isNew) {
        // A row whose template cannot be read is left as it is.
        QString error;
        const std::optional<richtext::RtfReadResult> read = catalogue_.read(stored, error);
        if (!read) {
            showInformation(error);
            return;
        }
        note = letterReadNote(*read);
        if (!note.isEmpty())
            showInformation(note);
    }
    TLetterDesign editor(isNew ? kUntitledLetter : catalogue_.description(), isNew ? nullptr : &stored, &addresses_,
                         this);
    editor.setReadNote(note);
    if (!runEditor || !runEditor(editor))
        return;
    // A template left as it was is not written again: what this editor
    // cannot show stays in it.
    if (!isNew && !editor.changed())
        return;
    if (catalogue_.save(isNew, editor.description(), editor.text()))
        reloadList(letters_.recno());
    else
        reloadList();
}

void TQBLetters::DeleteButtonClick()
{
    if (catalogue_.remove())
        reloadList();
}

void TQBLetters::CloneButtonClick()
{
    if (catalogue_.clone())
        reloadList(letters_.recno());
}

void TQBLetters::PrinterSetupButtonClick()
{
    if (printerSetup && printerSetup())
        printerJob_->setCopies(1);
    showPrinter();
}

void TQBLetters::PrintButtonClick()
{
    if (!grid_->currentIndex().isValid())
        return;
    if (!printDialog || !printDialog())
        return;
    // The copies are the screen's, whatever the dialog said; the pages all.
    printerJob_->setCopies(1);
    printerJob_->setFirstPage(1);
    printerJob_->setLastPage(kAllPages);
    showPrinter();
    richtext::RichText letterTemplate;
    if (!catalogue_.load(letterTemplate))
        return;
    const auto which = all_->isChecked()      ? LetterRunRecords::Records::All
                       : onlyThis_->isChecked() ? LetterRunRecords::Records::OnlyCurrent
                                                : LetterRunRecords::Records::Filter;
    LetterRunRecords records(addresses_.table(), which, startCurrent_->isChecked(),
                             [](const QString& text) { showInformation(text); });
    LetterPrintLoop loop(addresses_.table(), letterTemplate, copies_->value(), onlyThis_->isChecked());
    if (runPrint)
        runPrint(loop);
    lastPages_ = loop.pages();
    lastLetters_ = loop.letters();
}

void TQBLetters::PreviewButtonClick()
{
    if (!grid_->currentIndex().isValid())
        return;
    richtext::RichText letterTemplate;
    if (!catalogue_.load(letterTemplate))
        return;
    if (runPreview)
        runPreview(letterTemplate);
}

} // namespace qb
