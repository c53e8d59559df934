#include "utilities/tcheckduplicates.h"

#include "core/system_tables.h"
#include "utilities/address_standard.h"

#include <QCheckBox>
#include <QFileInfo>

#include "core/address_table.h"
#include "core/messages.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "utilities/result_grid.h"
#include "utilities/result_records.h"
#include "utilities/temporary_index.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpContext = 1420;

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TCheckDuplicates::TCheckDuplicates(AddressTable& addresses, QWidget* parent) : QDialog(parent), addresses_(addresses)
{
    setObjectName(QStringLiteral("TCheckDuplicates"));
    setWindowTitle(QStringLiteral("Check and Repair Duplicates"));

    setup_ = new QWidget(this);
    setup_->setObjectName(QStringLiteral("SetupPanel"));
    auto* group = new QGroupBox(QStringLiteral("What to check:"), setup_);
    lastFirst_ = new QRadioButton(QStringLiteral("&Last + First"), group);
    lastFirst_->setObjectName(QStringLiteral("rbLastFirst"));
    lastFirst_->setChecked(true);
    lastInitial_ = new QRadioButton(QStringLiteral("Last + &First Initial"), group);
    lastInitial_->setObjectName(QStringLiteral("rbLastInitial"));
    street_ = new QRadioButton(QStringLiteral("&Street Address"), group);
    street_->setObjectName(QStringLiteral("rbStreet"));
    auto* groupLayout = new QVBoxLayout(group);
    for (QRadioButton* b : {lastFirst_, lastInitial_, street_})
        groupLayout->addWidget(b);
    streetLabel_ = new QLabel(QStringLiteral("Check how many characters of street address (max 30)"), setup_);
    streetLength_ = new QSpinBox(setup_);
    streetLength_->setObjectName(QStringLiteral("StreetLengthSpin"));
    streetLength_->setRange(1, kMaxStreetCharacters);
    streetLength_->setValue(kMaxStreetCharacters);
    standardStreets_ = new QCheckBox(QStringLiteral("Compare streets in the postal standard form (123 N MAIN ST APT 4)"), setup_);
    standardStreets_->setObjectName(QStringLiteral("StandardStreetsCheckBox"));
    auto showSpin = [this] {
        streetLabel_->setVisible(street_->isChecked());
        streetLength_->setVisible(street_->isChecked());
        standardStreets_->setVisible(street_->isChecked());
    };
    connect(street_, &QRadioButton::toggled, this, showSpin);
    showSpin();
    auto* perform = newButton(setup_, "PerformCheckButton", QStringLiteral("&Perform Duplicate Check Now"));
    connect(perform, &QPushButton::clicked, this, &TCheckDuplicates::PerformCheckClick);
    auto* setupLayout = new QVBoxLayout(setup_);
    setupLayout->addWidget(group);
    setupLayout->addWidget(streetLabel_);
    setupLayout->addWidget(streetLength_);
    setupLayout->addWidget(standardStreets_);
    setupLayout->addWidget(perform);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->hide();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("CountLabel"));

    gridPanel_ = new QWidget(this);
    gridPanel_->setObjectName(QStringLiteral("GridPanel"));
    result_ = new ResultGrid(addresses_.table(), resultGridColumns(addresses_), QStringLiteral("DuplicateGrid"), gridPanel_);
    auto* gridLayout = new QVBoxLayout(gridPanel_);
    gridLayout->addWidget(result_, 1);
    result_->addButtons({
        {"DeleteButton", "&Delete", [this] { DeleteButtonClick(); }},
        {"SaveButton", "S&ave", [this] { result_->save(); }},
        {"UndoButton", "&Undo", [this] { result_->undo(); }},
        {"TagButton", "&Tag", [this] { TagButtonClick(); }},
        {"TagAllButton", "Tag &All", [this] { TagAllButtonClick(); }},
    });
    result_->tagOnDoubleClick(addresses_);
    gridPanel_->hide();

    help_ = newButton(this, "HelpButton", QStringLiteral("Help"));
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(kHelpContext, this); });
    cancel_ = newButton(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel_, &QPushButton::clicked, this, &TCheckDuplicates::CancelButtonClick);
    cancel_->hide();
    ok_ = newButton(this, "OkButton", QStringLiteral("Ok"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {help_, cancel_, ok_})
        bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setup_);
    layout->addWidget(gauge_);
    layout->addWidget(count_);
    layout->addWidget(gridPanel_, 1);
    layout->addLayout(bottom);
    resize(760, 480);
}

TCheckDuplicates::~TCheckDuplicates() = default;

DuplicateKind TCheckDuplicates::kind() const
{
    return street_->isChecked() ? DuplicateKind::Street : lastInitial_->isChecked() ? DuplicateKind::LastFirstInitial : DuplicateKind::LastFirst;
}

void TCheckDuplicates::PerformCheckClick()
{
    if (checking_)
        return;
    for (QWidget* w : {static_cast<QWidget*>(help_), static_cast<QWidget*>(ok_), setup_})
        w->hide();
    cancel_->show();
    checking_ = true;
    cancelled_ = false;
    found_ = 0;
    CheckProgress progress(gauge_, count_, [](uint64_t found) {
        return QStringLiteral("Found ") + QString::number(found) + QStringLiteral(" possible duplicates");
    }, cancelled_);
    bool done = false;
    xbase::Table& table = addresses_.table();
    // An engine error is told; the window stays usable and can be closed.
    try {
        index_.reset();
        index_ = std::make_unique<TemporaryIndex>(table, duplicateIndexPath(), duplicateIndexExpression(kind()));
        progress.begin();
        std::optional<AddressStandard> standard;
        if (kind() == DuplicateKind::Street && standardStreets_->isChecked()) {
            QString error;
            standard = AddressStandard::load(QFileInfo(systemTablePath(SystemTable::CityStateZip)).absolutePath(), &error);
            if (!standard)
                throw std::runtime_error(error.toStdString());
        }
        const DuplicateOutcome outcome = checkDuplicates(table, kind(), streetLength_->value(), *index_, progress.keepGoing(),
                                                         progress.onFound(), standard ? &*standard : nullptr);
        found_ = outcome.found;
        progress.end({});
        if (!outcome.error.isEmpty())
            showInformation(outcome.error);
        if (found_ > 0) {
            if (kind() == DuplicateKind::Street)
                result_->model().moveColumn(QStringLiteral("STREET"), 1);
            table.selectOrder(index_->order());
            gridPanel_->show();
            result_->refresh();
        }
        done = true;
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    progress.end(done ? std::optional<uint64_t>(found_) : std::nullopt);
    checking_ = false;
    cancel_->hide();
    if (!done)
        setup_->show();
    help_->show();
    ok_->show();
}

void TCheckDuplicates::CancelButtonClick()
{
    if (checking_ && askQuestion(QStringLiteral("Cancel operation?"), windowTitle()))
        cancelled_ = true;
}

void TCheckDuplicates::DeleteButtonClick()
{
    // The row's record, by its number: whatever the grid draws while the
    // question is open, this is the record deleted.
    if (!result_->finishEditing())
        return;
    const uint32_t recno = result_->currentRecno();
    if (recno == 0 || !askQuestionDefaultNo(QStringLiteral("Delete this record?"), windowTitle()))
        return;
    xbase::Table& t = addresses_.table();
    BulkOutcome outcome;
    try {
        if (t.go(recno))
            changeRecord(t, outcome, [&] {
                t.setLogical("ISDEL", true);
                t.deleteRecord();
                return true;
            });
    } catch (const std::exception& e) {
        outcome.error = QString::fromStdString(e.what());
    }
    if (!outcome.error.isEmpty())
        showInformation(outcome.error);
    result_->refresh();
}

void TCheckDuplicates::TagButtonClick()
{
    result_->tagCurrent(addresses_);
}

void TCheckDuplicates::TagAllButtonClick()
{
    result_->tagAll(addresses_, QStringLiteral("Tag all possible duplicates?"));
}

void TCheckDuplicates::reject()
{
    if (checking_) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

void TCheckDuplicates::done(int result)
{
    if (checking_ || !result_->finishEditing())
        return;
    index_.reset();
    QDialog::done(result);
}

} // namespace qb
