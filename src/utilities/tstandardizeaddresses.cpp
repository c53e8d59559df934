#include "utilities/tstandardizeaddresses.h"

#include "core/address_table.h"
#include "utilities/bulk_restore.h"
#include "core/messages.h"
#include "core/system_tables.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "utilities/result_grid.h"
#include "utilities/result_records.h"
#include "utilities/temporary_index.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpContext = 1460;

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

} // namespace

TStandardizeAddresses::TStandardizeAddresses(AddressTable& addresses, QWidget* parent) : QDialog(parent), addresses_(addresses)
{
    setObjectName(QStringLiteral("TStandardizeAddresses"));
    setWindowTitle(QStringLiteral("Standardize Addresses"));

    setup_ = new QWidget(this);
    setup_->setObjectName(QStringLiteral("SetupPanel"));
    auto* perform = newButton(setup_, "PerformCheckButton", QStringLiteral("&Find Addresses to Standardize"));
    connect(perform, &QPushButton::clicked, this, &TStandardizeAddresses::PerformCheckClick);
    auto* setupLayout = new QVBoxLayout(setup_);
    setupLayout->addWidget(wrapped(QStringLiteral("The address lines, cities and states are compared with the form the postal service's addressing standard writes them in: capitals, no punctuation, the standard abbreviations of street suffixes, apartment and suite designators, directions and states. Nothing is changed until you tag the records and choose 'Standardize Tagged'. Addresses that cannot be read with certainty are shown and left as they are."), setup_));
    setupLayout->addWidget(perform);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->hide();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("CountLabel"));

    resultPanel_ = new QWidget(this);
    resultPanel_->setObjectName(QStringLiteral("ResultPanel"));
    std::vector<GridColumn> columns = resultGridColumns(addresses_);
    columns.resize(3);   // Tagged, last and first name
    const std::pair<const char*, const char*> fields[] = {
        {"Address 1", "STREET"}, {"Address 2", "STREET2"}, {"City", "CITY"}, {"State", "STATE"}};
    for (const auto& [title, field] : fields) {
        const QString name = QLatin1String(field);
        columns.push_back({QLatin1String(title), name, {}});
        columns.push_back({QLatin1String(title) + QStringLiteral(" standard"), QString(),
                           [this, name](xbase::Table& t) { return proposed(t.recno(), name); }});
    }
    result_ = new ResultGrid(addresses_.table(), columns, QStringLiteral("ResultGrid"), resultPanel_);
    auto* resultLayout = new QVBoxLayout(resultPanel_);
    resultLayout->addWidget(wrapped(QStringLiteral("These records differ from the standard form. Tag the records to change and press 'Standardize Tagged'; you may also edit a field yourself."), resultPanel_));
    resultLayout->addWidget(result_, 1);
    result_->addButtons({
        {"EditButton", "&Edit", [this] { result_->edit(); }},
        {"SaveButton", "&Save", [this] { result_->save(); }},
        {"UndoButton", "&Cancel", [this] { result_->undo(); }},
        {"TagButton", "&Tag", [this] { TagButtonClick(); }},
        {"TagAllButton", "Tag &All", [this] { TagAllButtonClick(); }},
        {"ApplyButton", "Standardize Ta&gged", [this] { ApplyButtonClick(); }},
    });
    result_->tagOnDoubleClick(addresses_);
    resultPanel_->hide();

    help_ = newButton(this, "HelpButton", QStringLiteral("Help"));
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(kHelpContext, this); });
    cancel_ = newButton(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel_, &QPushButton::clicked, this, &TStandardizeAddresses::CancelButtonClick);
    cancel_->hide();
    close_ = newButton(this, "CloseButton", QStringLiteral("Close"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {help_, cancel_, close_})
        bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setup_);
    layout->addWidget(gauge_);
    layout->addWidget(count_);
    layout->addWidget(resultPanel_, 1);
    layout->addLayout(bottom);
    resize(900, 480);
}

TStandardizeAddresses::~TStandardizeAddresses() = default;

QString TStandardizeAddresses::proposed(uint32_t recno, const QString& field) const
{
    const auto it = proposed_.find({recno, field});
    return it == proposed_.end() ? QString() : it->second;
}

void TStandardizeAddresses::PerformCheckClick()
{
    if (running_)
        return;
    for (QWidget* w : {static_cast<QWidget*>(help_), static_cast<QWidget*>(close_), setup_})
        w->hide();
    cancel_->show();
    running_ = true;
    cancelled_ = false;
    CheckProgress progress(gauge_, count_, [](uint64_t found) {
        return QStringLiteral("Found ") + QString::number(found) + QStringLiteral(" fields to standardize");
    }, cancelled_);
    bool shown = false;
    uint64_t found = 0;
    try {
        QString error;
        const auto standard =
            AddressStandard::load(QFileInfo(systemTablePath(SystemTable::CityStateZip)).absolutePath(), &error);
        if (!standard) {
            showInformation(error);
        } else {
            xbase::Table& table = addresses_.table();
            progress.begin();
            plan_ = planStandardChanges(table, *standard, progress.keepGoing());
            found = plan_.changes.size();
            if (!plan_.error.isEmpty())
                showInformation(plan_.error);
            proposed_.clear();
            std::vector<uint32_t> recnos;
            for (const StandardChange& c : plan_.changes) {
                proposed_[{c.recno, c.field}] = c.after;
                recnos.push_back(c.recno);
            }
            for (const StandardChange& c : plan_.unreadable) {
                proposed_[{c.recno, c.field}] = QStringLiteral("(left as it is)");
                recnos.push_back(c.recno);
            }
            std::sort(recnos.begin(), recnos.end());
            recnos.erase(std::unique(recnos.begin(), recnos.end()), recnos.end());
            index_.reset();
            // Named like the state and zip check's result, so that one left by a
            // crash is removed at the next start the same way.
            index_ = std::make_unique<TemporaryIndex>(table, stateZipIndexPath(addresses_.path()), QStringLiteral("upper(LNAME)+upper(FNAME)"));
            index_->add(recnos);
            table.selectOrder(index_->order());
            resultPanel_->show();
            result_->refresh();
            shown = true;
        }
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    progress.end(shown ? std::optional<uint64_t>(found) : std::nullopt);
    if (!shown)
        setup_->show();
    running_ = false;
    cancel_->hide();
    for (QPushButton* b : {help_, close_})
        b->show();
}

void TStandardizeAddresses::CancelButtonClick()
{
    if (running_ && askQuestion(QStringLiteral("Cancel operation?"), windowTitle()))
        cancelled_ = true;
}

void TStandardizeAddresses::TagButtonClick()
{
    result_->tagCurrent(addresses_);
}

void TStandardizeAddresses::TagAllButtonClick()
{
    result_->tagAll(addresses_, QStringLiteral("Tag all records found?"));
}

void TStandardizeAddresses::ApplyButtonClick()
{
    if (running_ || plan_.changes.empty() || !result_->finishEditing())
        return;
    if (!askQuestion(QStringLiteral("Change the tagged records to the standard form?"), windowTitle()))
        return;
    try {
        const BulkOutcome outcome = runWithRestorePoint<BulkOutcome>(addresses_.table(), windowTitle(), [this] {
            return applyStandardChanges(addresses_.table(), plan_.changes, [this](uint32_t) { return addresses_.tagged(); });
        }, askToGoOnWithoutRestorePoint);
        if (!outcome.error.isEmpty())
            showInformation(outcome.error + QStringLiteral("\r\n") + QStringLiteral("Standardized ") + recordCount(outcome.changed));
        else
            showInformation(QStringLiteral("Standardized ") + recordCount(outcome.changed));
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    result_->refresh();
}

void TStandardizeAddresses::reject()
{
    if (running_) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

void TStandardizeAddresses::done(int result)
{
    if (running_)
        return;
    if (!result_->finishEditing())
        return;
    index_.reset();
    QDialog::done(result);
}

} // namespace qb
