#include "core/tspecifyfieldlengths.h"

#include "platform/help/help_viewer.h"

#include "core/settings.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

namespace {
// The boxes as the dialog lists them, which is not the settings' order.
const std::pair<const char*, const char*> kBoxes[] = {
    {"First Name", "FNAME"},    {"Last Name", "LNAME"},     {"Prefix", "PREFIX"},         {"Title", "TITLE"},
    {"Organization", "ORG"},    {"Address #1", "STREET"},   {"Address #2", "STREET2"},    {"City", "CITY"},
    {"State", "STATE"},         {"Zip/Postal", "ZIP"},      {"Country", "COUNTRY"},       {"Phone #1", "PHONE"},
    {"Phone #2", "PHONE2"},     {"Fax", "FAX"},             {"E-Mail", "EMAIL"},          {"Codes", "CODES"},
    {"Comments #1", "USER1"},   {"Comments #2", "USER2"},
};
} // namespace

TSpecifyFieldLengths::TSpecifyFieldLengths(const FieldLengths& current, QWidget* parent)
    : QDialog(parent), lengths_(current), restore_(current)
{
    setObjectName(QStringLiteral("TSpecifyFieldLengths"));
    setWindowTitle(QStringLiteral("Specify Field Lengths"));

    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& [caption, field] : kBoxes) {
        const int index = FieldLengths::indexOf(QLatin1String(field));
        auto* edit = new QLineEdit(QString::number(current.at(index)), this);
        edit->setObjectName(QLatin1String(field));
        edit->installEventFilter(this);
        auto* label = new QLabel(QLatin1String(caption), this);
        label->setBuddy(edit);
        edits_[size_t(index)] = edit;
        // Two columns of nine, as on the form.
        grid->addWidget(label, row % 9, (row / 9) * 2);
        grid->addWidget(edit, row % 9, (row / 9) * 2 + 1);
        ++row;
    }

    auto* note = new QLabel(QStringLiteral("NOTE: Minimum size = 10 characters                  Maximum size = 80 characters"), this);
    note->setObjectName(QStringLiteral("NoteLabel"));
    useForAll_ = new QCheckBox(QStringLiteral("Use these settings for all new databases"), this);
    useForAll_->setObjectName(QStringLiteral("UseForAllCheckBox"));

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* defaults = new QPushButton(QStringLiteral("Defaults"), this);
    defaults->setObjectName(QStringLiteral("DefaultsButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    connect(ok, &QPushButton::clicked, this, &TSpecifyFieldLengths::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &TSpecifyFieldLengths::DefaultsButtonClick);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ok, cancel, defaults, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(useForAll_);
    layout->addLayout(buttons);
    for (QLineEdit* edit : edits_)
        edit->setWhatsThis(QStringLiteral("How many characters the field can hold, from 10 to 80."));
    installWhatsThis(this, {
        {"UseForAllCheckBox", "Keeps these lengths for every database created later."},
        {"OkButton", "Uses these lengths for the new database."},
        {"CancelButton", "Closes the window without changing the lengths."},
        {"DefaultsButton", "Puts back the lengths Quillbase starts with."},
        {"HelpButton", "Opens the help topic of this window."},
    });
}

bool TSpecifyFieldLengths::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (int i = 0; i < FieldLengths::Count; ++i)
            if (watched == edits_[size_t(i)])
                checkBox(i);
    }
    return QDialog::eventFilter(watched, event);
}

void TSpecifyFieldLengths::checkBox(int index)
{
    QLineEdit* edit = edits_[size_t(index)];
    if (!FieldLengths::dialogAccepts(edit->text()))
        edit->setText(QString::number(restore_.at(index)));
}

void TSpecifyFieldLengths::DefaultsButtonClick()
{
    restore_ = FieldLengths::dialogDefaults();
    for (int i = 0; i < FieldLengths::Count; ++i)
        edits_[size_t(i)]->setText(QString::number(restore_.at(i)));
}

void TSpecifyFieldLengths::OkButtonClick()
{
    for (int i = 0; i < FieldLengths::Count; ++i) {
        checkBox(i);
        bool ok = false;
        const int width = edits_[size_t(i)]->text().toInt(&ok);
        if (ok)
            lengths_.setAt(i, width);
    }
    if (useForAll_->isChecked()) {
        Settings settings = Settings::program();
        lengths_.write(settings);
    }
    accept();
}

} // namespace qb
