#include "core/tnewdatabasename.h"

#include "platform/help/help_viewer.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/tspecifyfieldlengths.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace qb {

TNewDataBaseName::TNewDataBaseName(const QString& proposedName, QWidget* parent)
    : QDialog(parent), lengths_(FieldLengths::read(Settings::program()))
{
    setObjectName(QStringLiteral("TNewDataBaseName"));
    setWindowTitle(QStringLiteral("Create new database"));

    auto* prompt = new QLabel(QStringLiteral("Enter the database name (no extension)"), this);
    prompt->setObjectName(QStringLiteral("NameLabel"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("NameEdit"));
    name_->setMaxLength(8);
    prompt->setBuddy(name_);
    invalid_ = new QLabel(QStringLiteral("Invalid name. Must start with A..Z, followed by A..Z,0..9 or \"_\" (underscore)"), this);
    invalid_->setObjectName(QStringLiteral("InvalidLabel"));

    ok_ = new QPushButton(QStringLiteral("Ok [PgDn]"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* specify = new QPushButton(QStringLiteral("Specify Field Lengths"), this);
    specify->setObjectName(QStringLiteral("SpecifyButton"));

    connect(name_, &QLineEdit::textChanged, this, &TNewDataBaseName::NameEditChange);
    connect(ok_, &QPushButton::clicked, this, &TNewDataBaseName::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(specify, &QPushButton::clicked, this, &TNewDataBaseName::SpecifyButtonClick);
    auto* pageDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(pageDown, &QShortcut::activated, ok_, [this] {
        if (ok_->isEnabled())
            ok_->click();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(specify);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(name_);
    layout->addWidget(invalid_);
    layout->addLayout(buttons);

    name_->setText(proposedName);
    NameEditChange();
    installWhatsThis(this, {
        {"NameEdit", "The name of the new database: up to 8 letters, digits or underscores, starting with a letter or underscore. It is created in the DATA folder."},
        {"OkButton", "Creates the database and opens it."},
        {"CancelButton", "Closes the window without creating a database."},
        {"SpecifyButton", "Sets how many characters each field of the new database can hold."},
    });
}

QString TNewDataBaseName::databaseName() const { return name_->text(); }

void TNewDataBaseName::NameEditChange()
{
    const bool valid = isValidDatabaseName(name_->text());
    ok_->setEnabled(valid);
    invalid_->setVisible(!valid);
}

void TNewDataBaseName::OkButtonClick()
{
    const QString path = qb::databasePath(name_->text());
    if (QFileInfo::exists(path)) {
        showInformation(QStringLiteral("That file already exists.Please select another name"));
        return;
    }
    path_ = path;
    accept();
}

void TNewDataBaseName::SpecifyButtonClick()
{
    TSpecifyFieldLengths dialog(lengths_, this);
    if (dialog.exec() == QDialog::Accepted)
        lengths_ = dialog.lengths();
}

} // namespace qb
