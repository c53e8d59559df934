#include "utilities/tcheckstatezip.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/system_tables.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "utilities/result_grid.h"
#include "utilities/result_records.h"
#include "utilities/state_zip_check.h"
#include "utilities/temporary_index.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpContext = 1410;

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* wrapped(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

std::vector<GridColumn> referenceColumns()
{
    return {
        {QStringLiteral("State or Province"), QStringLiteral("NAME"), {}},
        {QStringLiteral("Abbreviation"), QStringLiteral("STATE"), {}},
        {QStringLiteral("Starting Zip/Post"), QStringLiteral("LOW_ZIP"), {}},
        {QStringLiteral("Ending Zip/Post"), QStringLiteral("HIGH_ZIP"), {}},
        // A row the check cannot trust says why, where the user edits it.
        {QStringLiteral("Problem"), QString(), [](xbase::Table& t) {
             return cszRowFault(QString::fromStdString(t.text("LOW_ZIP")), QString::fromStdString(t.text("HIGH_ZIP")));
         }},
    };
}

} // namespace

TCheckStateZip::TCheckStateZip(AddressTable& addresses, QWidget* parent) : QDialog(parent), addresses_(addresses)
{
    setObjectName(QStringLiteral("TCheckStateZip"));
    setWindowTitle(QStringLiteral("Check State and Zip Codes"));

    setup_ = new QWidget(this);
    setup_->setObjectName(QStringLiteral("SetupPanel"));
    auto* title = new QLabel(QStringLiteral("Check For State/Province & Zipcode/Postal Code Anomalies"), setup_);
    title->setTextFormat(Qt::PlainText);
    blanks_ = new QCheckBox(QStringLiteral("Include records with blank State/Province or Zip/Postcode entries?"), setup_);
    blanks_->setObjectName(QStringLiteral("BlanksCheckBox"));
    auto* perform = newButton(setup_, "PerformCheckButton", QStringLiteral("Perform Check Now"));
    connect(perform, &QPushButton::clicked, this, &TCheckStateZip::PerformCheckClick);
    auto* setupLayout = new QVBoxLayout(setup_);
    setupLayout->addWidget(title);
    setupLayout->addWidget(wrapped(QStringLiteral("A check will be performed by comparing the records in the file against the State/Province file, which contains a list of State/Zip Province/Postcode combinations. This file may be edited or added to by clicking the 'Edit State/Province File' button below."), setup_));
    setupLayout->addWidget(blanks_);
    setupLayout->addWidget(perform);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->hide();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("CountLabel"));

    resultPanel_ = new QWidget(this);
    resultPanel_->setObjectName(QStringLiteral("ResultPanel"));
    result_ = new ResultGrid(addresses_.table(), resultGridColumns(addresses_), QStringLiteral("ResultGrid"), resultPanel_);
    auto* resultLayout = new QVBoxLayout(resultPanel_);
    resultLayout->addWidget(wrapped(QStringLiteral("These records have questionable state/zip or province/postcode combinations. You may edit the contents to make changes. When you are done, press the Close button."), resultPanel_));
    resultLayout->addWidget(result_, 1);
    result_->addButtons({
        {"EditButton", "&Edit", [this] { result_->edit(); }},
        {"SaveButton", "&Save", [this] { result_->save(); }},
        {"UndoButton", "&Cancel", [this] { result_->undo(); }},
        {"TagButton", "&Tag", [this] { TagButtonClick(); }},
        {"TagAllButton", "Tag &All", [this] { TagAllButtonClick(); }},
    });
    result_->tagOnDoubleClick(addresses_);
    resultPanel_->hide();

    referencePanel_ = new QWidget(this);
    referencePanel_->setObjectName(QStringLiteral("ReferencePanel"));
    referencePanel_->hide();

    help_ = newButton(this, "HelpButton", QStringLiteral("Help"));
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(kHelpContext, this); });
    cancel_ = newButton(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel_, &QPushButton::clicked, this, &TCheckStateZip::CancelButtonClick);
    cancel_->hide();
    close_ = newButton(this, "CloseButton", QStringLiteral("Close"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    editReference_ = newButton(this, "EditReferenceButton", QStringLiteral("Edit State/Province File"));
    connect(editReference_, &QPushButton::clicked, this, &TCheckStateZip::EditReferenceClick);

    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {help_, editReference_, cancel_, close_})
        bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setup_);
    layout->addWidget(gauge_);
    layout->addWidget(count_);
    layout->addWidget(resultPanel_, 1);
    layout->addWidget(referencePanel_, 1);
    layout->addLayout(bottom);
    resize(760, 480);
}

TCheckStateZip::~TCheckStateZip() = default;

void TCheckStateZip::PerformCheckClick()
{
    if (checking_)
        return;
    for (QWidget* w : {static_cast<QWidget*>(help_), static_cast<QWidget*>(close_), setup_, static_cast<QWidget*>(editReference_)})
        w->hide();
    cancel_->show();
    checking_ = true;
    cancelled_ = false;
    found_ = 0;
    CheckProgress progress(gauge_, count_, [](uint64_t found) {
        return QStringLiteral("Found ") + QString::number(found) + QStringLiteral(" records with questionable state or zipcodes");
    }, cancelled_);
    bool shown = false;
    // An engine error anywhere (a damaged CSZ.DBF, a table that cannot be
    // read) is told; the window stays usable and can be closed.
    try {
        std::unique_ptr<xbase::Table> csz = openSystemTable(SystemTable::CityStateZip, xbase::OpenMode::Exclusive);
        if (csz) {
            const CszReference reference(*csz);
            csz.reset();
            xbase::Table& table = addresses_.table();
            index_.reset();
            index_ = std::make_unique<TemporaryIndex>(table, stateZipIndexPath(addresses_.path()), QStringLiteral("upper(LNAME)+upper(FNAME)"));
            progress.begin();
            const StateZipOutcome outcome =
                checkStateAndZip(table, reference, blanks_->isChecked(), *index_, progress.keepGoing(), progress.onFound());
            found_ = outcome.found;
            progress.end({});
            if (!outcome.error.isEmpty())
                showInformation(outcome.error);
            table.selectOrder(index_->order());
            resultPanel_->show();
            result_->refresh();
            shown = true;
        }
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    progress.end(shown ? std::optional<uint64_t>(found_) : std::nullopt);
    if (!shown)
        setup_->show();
    checking_ = false;
    cancel_->hide();
    for (QPushButton* b : {help_, close_, editReference_})
        b->show();
}

void TCheckStateZip::CancelButtonClick()
{
    if (checking_ && askQuestion(QStringLiteral("Cancel operation?"), windowTitle()))
        cancelled_ = true;
}

void TCheckStateZip::TagButtonClick()
{
    result_->tagCurrent(addresses_);
}

void TCheckStateZip::TagAllButtonClick()
{
    result_->tagAll(addresses_, QStringLiteral("Tag all records with questionable state or zipcodes?"));
}

void TCheckStateZip::EditReferenceClick()
{
    if (csz_) {
        closeReference();
        return;
    }
    csz_ = openSystemTable(SystemTable::CityStateZip, xbase::OpenMode::Exclusive, QStringLiteral("Unable to open CSZ.DBF"));
    if (!csz_)
        return;
    // The rows in the order of their abbreviations, as the check meets them.
    try {
        csz_->selectOrder("STATE");
    } catch (const std::exception&) {
    }
    hiddenForReference_ = resultPanel_->isVisible() ? resultPanel_ : setup_;
    hiddenForReference_->hide();
    cancel_->setEnabled(false);
    delete reference_;
    reference_ = new ResultGrid(*csz_, referenceColumns(), QStringLiteral("ReferenceGrid"), referencePanel_);
    delete referencePanel_->layout();
    auto* layout = new QVBoxLayout(referencePanel_);
    layout->addWidget(new QLabel(QStringLiteral("Make changes to the State/Province file to best reflect your country"), referencePanel_));
    layout->addWidget(reference_, 1);
    reference_->addButtons({
        {"CszAddButton", "Add", [this] { reference_->addRow(); }},
        {"CszDeleteButton", "Delete", [this] {
             // A row added and not saved yet is only dropped.
             const uint32_t recno = reference_->currentRecno();
             if (recno == 0) {
                 reference_->undo();
                 return;
             }
             if (!reference_->finishEditing())
                 return;
             try {
                 if (csz_->go(recno))
                     csz_->deleteRecord();
             } catch (const std::exception& e) {
                 showInformation(QString::fromStdString(e.what()));
             }
             reference_->refresh();
         }},
        {"CszSaveButton", "Save", [this] { reference_->save(); }},
        {"CszUndoButton", "Undo", [this] { reference_->undo(); }},
    });
    reference_->refresh();
    referencePanel_->show();
    editReference_->setText(QStringLiteral("Stop Editing"));
}

bool TCheckStateZip::closeReference()
{
    if (reference_ && !reference_->finishEditing())
        return false;
    delete reference_;
    reference_ = nullptr;
    csz_.reset();
    referencePanel_->hide();
    editReference_->setText(QStringLiteral("Edit State/Province File"));
    cancel_->setEnabled(true);
    if (hiddenForReference_)
        hiddenForReference_->show();
    return true;
}

void TCheckStateZip::reject()
{
    if (checking_) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

void TCheckStateZip::done(int result)
{
    // Close is refused while a check runs.
    if (checking_)
        return;
    if (csz_ && !closeReference())
        return;
    if (!result_->finishEditing())
        return;
    index_.reset();
    QDialog::done(result);
}

} // namespace qb
