#include "utilities/tsearchreplace.h"

#include "utilities/bulk_restore.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kReplaceHelp = 1440;
constexpr int kDeleteHelp = 1450;

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption)
{
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TSearchReplace::TSearchReplace(xbase::Table& table, const QString& filterConditions, QWidget* parent)
    : QDialog(parent), table_(table), filterConditions_(filterConditions)
{
    setObjectName(QStringLiteral("TSearchReplace"));
    setWindowTitle(QStringLiteral("Search and Replace"));
    field_ = new QComboBox(this);
    field_->setObjectName(QStringLiteral("FieldCombo"));
    for (const ReplaceField& f : replaceFields())
        field_->addItem(QLatin1String(f.entry), QLatin1String(f.field));

    auto* where = new QGroupBox(QStringLiteral("Where the field value:"), this);
    exact_ = radio(where, "rbExact", QStringLiteral("Is exactly equal to (leave empty for blank)"));
    contains_ = radio(where, "rbContains", QStringLiteral("Contains"));
    exact_->setChecked(true);
    search_ = new QLineEdit(where);
    search_->setObjectName(QStringLiteral("SearchEdit"));
    caseSensitive_ = new QCheckBox(QStringLiteral("Case sensitive"), where);
    caseSensitive_->setObjectName(QStringLiteral("cbCaseSensitive"));
    auto* whereLayout = new QFormLayout(where);
    whereLayout->addRow(exact_);
    whereLayout->addRow(contains_);
    whereLayout->addRow(QStringLiteral("Value:"), search_);
    whereLayout->addRow(caseSensitive_);

    auto* action = new QGroupBox(QStringLiteral("And do this action:"), this);
    whole_ = radio(action, "rbWhole", QStringLiteral("Replace the whole field with"));
    partial_ = radio(action, "rbPartial", QStringLiteral("Replace only the matching text with"));
    whole_->setChecked(true);
    replacement_ = new QLineEdit(action);
    replacement_->setObjectName(QStringLiteral("ReplaceEdit"));
    auto* actionLayout = new QFormLayout(action);
    actionLayout->addRow(whole_);
    actionLayout->addRow(partial_);
    actionLayout->addRow(QStringLiteral("Value:"), replacement_);

    auto* using_ = new QGroupBox(QStringLiteral("Using:"), this);
    allRecords_ = radio(using_, "rbAllRecords", QStringLiteral("All Records"));
    filtered_ = radio(using_, "rbFiltered", QStringLiteral("Records matching current Filter"));
    allRecords_->setChecked(true);
    filtered_->setEnabled(!filterConditions_.isEmpty());
    auto* usingLayout = new QVBoxLayout(using_);
    usingLayout->addWidget(allRecords_);
    usingLayout->addWidget(filtered_);

    auto* replace = button(this, "ReplaceButton", QStringLiteral("Replace "));
    connect(replace, &QPushButton::clicked, this, &TSearchReplace::ReplaceButtonClick);
    replaceButton_ = replace;
    auto* cancel = button(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &TSearchReplace::CancelButtonClick);
    auto* help = button(this, "HelpButton", QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(kReplaceHelp, this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(replace);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Search for field:"), field_);
    options_ = new QWidget(this);
    auto* optionsLayout = new QVBoxLayout(options_);
    optionsLayout->setContentsMargins(0, 0, 0, 0);
    optionsLayout->addLayout(form);
    optionsLayout->addWidget(where);
    optionsLayout->addWidget(action);
    optionsLayout->addWidget(using_);
    progress_ = new BulkProgress(QStringLiteral("Replacing Records "), QStringLiteral("Cancel Replace?"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    connect(field_, &QComboBox::currentIndexChanged, this, &TSearchReplace::FieldChange);
    FieldChange();
}

// Both values hold at most what the field holds.
void TSearchReplace::FieldChange()
{
    const int index = table_.fieldIndex(field_->currentData().toString().toStdString());
    const int width = index >= 0 ? table_.field(index).length : 0;
    for (QLineEdit* e : {search_, replacement_}) {
        e->setMaxLength(width);
        e->setText(e->text().left(width));
    }
}

void TSearchReplace::ReplaceButtonClick()
{
    ReplaceRequest r;
    r.field = field_->currentData().toString();
    r.contains = contains_->isChecked();
    r.search = search_->text();
    r.caseSensitive = caseSensitive_->isChecked();
    r.wholeField = whole_->isChecked();
    r.replacement = replacement_->text();
    r.filteredOnly = filtered_->isChecked();
    if (progress_->running() || !askQuestionDefaultNo(replaceQuestion(r, field_->currentText()), QStringLiteral("Replace")))
        return;
    // One run at a time: the options and Replace go while it runs.
    options_->setEnabled(false);
    replaceButton_->setEnabled(false);
    outcome_ = runWithRestorePoint<ReplaceOutcome>(
        table_, QStringLiteral("Search and Replace"),
        [&] { return replaceFieldValues(table_, r, filterConditions_, progress_->start()); }, askToGoOnWithoutRestorePoint);
    progress_->finish();
    const QString count = QStringLiteral("Replaced ") + recordCount(outcome_.changed);
    if (!outcome_.error.isEmpty()) {
        showInformation(outcome_.error + QStringLiteral("\r\n") + count);
        accept();
        return;
    }
    if (outcome_.cancelled) {
        showInformation(count + QStringLiteral("\r\nCancelled before completion"));
        accept();
        return;
    }
    showInformation(count);
    if (outcome_.tooLong > 0)
        showInformation(recordCount(outcome_.tooLong) + QStringLiteral(" matching the search were left as they were: the new value would not fit the field"));
    showInformation(QStringLiteral("Replacement done"));
    accept();
}

bool TSearchReplace::running() const { return progress_->running(); }

void TSearchReplace::CancelButtonClick()
{
    if (!progress_->cancel())
        QDialog::reject();
}

void TSearchReplace::reject() { CancelButtonClick(); }

TDeleteRecords::TDeleteRecords(xbase::Table& table, const QString& filterConditions, QWidget* parent)
    : QDialog(parent), table_(table), filterConditions_(filterConditions)
{
    setObjectName(QStringLiteral("TDeleteRecords"));
    setWindowTitle(QStringLiteral("Delete Records"));
    all_ = radio(this, "rbDeleteAll", QStringLiteral("Delete &All Records"));
    matching_ = radio(this, "rbDeleteMatching", QStringLiteral("Delete Records matching current &Filter"));
    notMatching_ = radio(this, "rbDeleteNotMatching", QStringLiteral("Delete Records which do &NOT match current Filter"));
    // With a filter set its own records are the likely choice, not the whole table.
    (filterConditions_.isEmpty() ? all_ : matching_)->setChecked(true);
    matching_->setEnabled(!filterConditions_.isEmpty());
    notMatching_->setEnabled(!filterConditions_.isEmpty());
    auto* now = button(this, "DeleteNowButton", QStringLiteral("Delete Now"));
    connect(now, &QPushButton::clicked, this, &TDeleteRecords::DeleteNowClick);
    deleteNow_ = now;
    auto* cancel = button(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &TDeleteRecords::CancelButtonClick);
    progress_ = new BulkProgress(QStringLiteral("Deleting Records "), QStringLiteral("Cancel Delete?"), this);
    auto* layout = new QVBoxLayout(this);
    for (QRadioButton* r : {all_, matching_, notMatching_})
        layout->addWidget(r);
    layout->addWidget(progress_);
    auto* help = button(this, "HelpButton", QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(kDeleteHelp, this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(now);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    layout->addLayout(buttons);
}

void TDeleteRecords::DeleteNowClick()
{
    if (progress_->running())
        return;
    const DeleteChoice choice = matching_->isChecked() ? DeleteChoice::Matching : notMatching_->isChecked() ? DeleteChoice::NotMatching : DeleteChoice::All;
    uint64_t count = 0;
    try {
        count = recordsToDelete(table_, choice, filterConditions_);
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
        return;
    }
    if (!askQuestionDefaultNo(deleteQuestion(choice, count, !filterConditions_.isEmpty()), QStringLiteral("DELETE")))
        return;
    // One run at a time: the choices and Delete Now go while it runs.
    for (QWidget* w : {static_cast<QWidget*>(all_), static_cast<QWidget*>(matching_), static_cast<QWidget*>(notMatching_), deleteNow_})
        w->setEnabled(false);
    outcome_ = runWithRestorePoint<BulkOutcome>(
        table_, QStringLiteral("Delete Records"),
        [&] { return deleteRecords(table_, choice, filterConditions_, progress_->start()); }, askToGoOnWithoutRestorePoint);
    progress_->finish();
    const QString deleted = QStringLiteral("Deleted ") + recordCount(outcome_.changed);
    if (!outcome_.error.isEmpty())
        showInformation(outcome_.error + QStringLiteral("\r\n") + deleted);
    else if (outcome_.cancelled)
        showInformation(deleted + QStringLiteral("\r\nCancelled before completion"));
    else
        showInformation(deleted);
    if (outcome_.changed > 0)
        showInformation(QStringLiteral("For optimum space usage, please select\r\n[Rebuild Indexes] from the File menu"));
    accept();
}

bool TDeleteRecords::running() const { return progress_->running(); }

void TDeleteRecords::CancelButtonClick()
{
    if (!progress_->cancel())
        QDialog::reject();
}

void TDeleteRecords::reject() { CancelButtonClick(); }

} // namespace qb
