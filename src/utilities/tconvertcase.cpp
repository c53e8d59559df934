#include "utilities/tconvertcase.h"

#include "utilities/bulk_restore.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpContext = 1430;

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption)
{
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

} // namespace

TConvertCase::TConvertCase(xbase::Table& table, bool filterSet, QWidget* parent) : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("TConvertCase"));
    setWindowTitle(QStringLiteral("Convert Case"));
    options_ = new QWidget(this);
    auto* fieldsBox = new QGroupBox(QStringLiteral("Which fields should be converted ?"), options_);
    auto* grid = new QGridLayout(fieldsBox);
    int i = 0;
    for (const CaseField& f : caseFields()) {
        auto* box = new QCheckBox(QLatin1String(f.caption), fieldsBox);
        box->setObjectName(QStringLiteral("cb") + QLatin1String(f.field));
        fields_.push_back(box);
        grid->addWidget(box, i % 8, i / 8);
        ++i;
    }
    all_ = new QCheckBox(QStringLiteral("All"), fieldsBox);
    all_->setObjectName(QStringLiteral("cbAll"));
    grid->addWidget(all_, i % 8, i / 8);
    connect(all_, &QCheckBox::clicked, this, [this](bool on) {
        for (QCheckBox* b : fields_)
            b->setChecked(on);
    });

    auto* which = new QGroupBox(QStringLiteral("Records"), options_);
    current_ = radio(which, "rbCurrent", QStringLiteral("Current Record Only"));
    allRecords_ = radio(which, "rbAll", QStringLiteral("All Records"));
    filtered_ = radio(which, "rbFiltered", QStringLiteral("All Records Matching Filter"));
    current_->setChecked(true);
    filtered_->setEnabled(filterSet);
    auto* whichLayout = new QVBoxLayout(which);
    for (QRadioButton* r : {current_, allRecords_, filtered_})
        whichLayout->addWidget(r);

    auto* how = new QGroupBox(QStringLiteral("Conversion"), options_);
    upper_ = radio(how, "rbUpper", QStringLiteral("Uppercase"));
    firstLetter_ = radio(how, "rbFirstLetter", QStringLiteral("First letter capitalized"));
    lower_ = radio(how, "rbLower", QStringLiteral("Lowercase"));
    upper_->setChecked(true);
    auto* howLayout = new QVBoxLayout(how);
    for (QRadioButton* r : {upper_, firstLetter_, lower_})
        howLayout->addWidget(r);

    auto* optionsLayout = new QHBoxLayout(options_);
    optionsLayout->setContentsMargins(0, 0, 0, 0);
    optionsLayout->addWidget(fieldsBox);
    auto* right = new QVBoxLayout;
    right->addWidget(which);
    right->addWidget(how);
    optionsLayout->addLayout(right);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->hide();
    auto* convert = new QPushButton(QStringLiteral("Convert"), this);
    convert->setObjectName(QStringLiteral("ConvertButton"));
    connect(convert, &QPushButton::clicked, this, &TConvertCase::ConvertButtonClick);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, &TConvertCase::CancelButtonClick);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(kHelpContext, this); });
    for (QPushButton* b : {convert, cancel, help_})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(convert);
    buttons->addWidget(cancel);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options_);
    layout->addWidget(gauge_);
    layout->addLayout(buttons);
}

void TConvertCase::ConvertButtonClick()
{
    if (converting_)
        return;
    QStringList fields;
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i]->isChecked())
            fields << QLatin1String(caseFields()[i].field);
    if (fields.isEmpty()) {
        showInformation(QStringLiteral("No fields checked for conversion"));
        return;
    }
    if (!askQuestionDefaultNo(QStringLiteral("Convert now? This process cannot be undone.."), QStringLiteral("Convert")))
        return;
    help_->hide();
    options_->hide();
    const RecordChoice choice = allRecords_->isChecked() ? RecordChoice::All : filtered_->isChecked() ? RecordChoice::Filtered : RecordChoice::Current;
    if (choice == RecordChoice::All)
        gauge_->show();
    const CaseMode mode = upper_->isChecked() ? CaseMode::Upper : lower_->isChecked() ? CaseMode::Lower : CaseMode::FirstLetter;
    converting_ = true;
    cancelled_ = false;
    EventBreaks breaks;
    outcome_ = runWithRestorePoint<BulkOutcome>(table_, QStringLiteral("Convert Case"), [&] {
        return convertRecords(table_, fields, mode, choice, [this, &breaks](uint64_t done, uint64_t total) {
            gauge_->setValue(total ? int(done * 100 / total) : 0);
            breaks.take();
            return !cancelled_;
        });
    }, askToGoOnWithoutRestorePoint);
    converting_ = false;
    // What was written is said whenever the run did not go to its end.
    if (!outcome_.error.isEmpty())
        showInformation(outcome_.error + QStringLiteral("\r\nConverted ") + recordCount(outcome_.changed));
    else if (outcome_.cancelled)
        showInformation(QStringLiteral("Converted ") + recordCount(outcome_.changed));
    accept();
}

void TConvertCase::CancelButtonClick()
{
    if (!converting_) {
        QDialog::reject();
        return;
    }
    if (askQuestion(QStringLiteral("Cancel case conversion?"), windowTitle()))
        cancelled_ = true;
}

void TConvertCase::reject() { CancelButtonClick(); }

} // namespace qb
