#include "utilities/tsearchreplace.h"

#include "core/messages.h"
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
    exact_ = radio(where, "rbExact", QStringLiteral("Is exactly equal to  (leave empty for blank)"));
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
    auto* cancel = button(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(replace);
    buttons->addWidget(cancel);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Search for field:"), field_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(where);
    layout->addWidget(action);
    layout->addWidget(using_);
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
    if (!askQuestion(replaceQuestion(r, field_->currentText()), QStringLiteral("Replace")))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    outcome_ = replaceFieldValues(table_, r, filterConditions_);
    QApplication::restoreOverrideCursor();
    const QString count = QStringLiteral("Replaced ") + QString::number(outcome_.changed) + QStringLiteral(" records");
    if (!outcome_.error.isEmpty()) {
        showInformation(outcome_.error + QStringLiteral("\r\n") + count);
        accept();
        return;
    }
    showInformation(count);
    if (outcome_.tooLong > 0)
        showInformation(QString::number(outcome_.tooLong) + QStringLiteral(" matching records were left as they were: the new value would not fit the field"));
    showInformation(QStringLiteral("Replacement done"));
    accept();
}

TDeleteRecords::TDeleteRecords(xbase::Table& table, const QString& filterConditions, QWidget* parent)
    : QDialog(parent), table_(table), filterConditions_(filterConditions)
{
    setObjectName(QStringLiteral("TDeleteRecords"));
    setWindowTitle(QStringLiteral("Delete Records"));
    all_ = radio(this, "rbDeleteAll", QStringLiteral("Delete &All Records"));
    matching_ = radio(this, "rbDeleteMatching", QStringLiteral("Delete Records matching current &Filter"));
    notMatching_ = radio(this, "rbDeleteNotMatching", QStringLiteral("Delete Records which do &NOT match current Filter"));
    all_->setChecked(true);
    matching_->setEnabled(!filterConditions_.isEmpty());
    notMatching_->setEnabled(!filterConditions_.isEmpty());
    auto* now = button(this, "DeleteNowButton", QStringLiteral("Delete Now"));
    connect(now, &QPushButton::clicked, this, &TDeleteRecords::DeleteNowClick);
    auto* cancel = button(this, "CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    for (QRadioButton* r : {all_, matching_, notMatching_})
        layout->addWidget(r);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(now);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void TDeleteRecords::DeleteNowClick()
{
    if (!askQuestion(QStringLiteral("Are you sure?"), QStringLiteral("DELETE")))
        return;
    const DeleteChoice choice = matching_->isChecked() ? DeleteChoice::Matching : notMatching_->isChecked() ? DeleteChoice::NotMatching : DeleteChoice::All;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EventBreaks breaks;
    outcome_ = deleteRecords(table_, choice, filterConditions_, [&breaks](uint64_t, uint64_t) {
        breaks.take();
        return true;
    });
    QApplication::restoreOverrideCursor();
    const QString count = QStringLiteral("Deleted ") + QString::number(outcome_.changed) + QStringLiteral(" records");
    if (!outcome_.error.isEmpty()) {
        showInformation(outcome_.error + QStringLiteral("\r\n") + count);
        accept();
        return;
    }
    showInformation(count);
    showInformation(QStringLiteral("For optimum space usage, please select\r\n[Rebuild Indexes] from the File menu"));
    accept();
}

} // namespace qb
