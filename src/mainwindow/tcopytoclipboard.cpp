#include "mainwindow/tcopytoclipboard.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

TCopyToClipBoard::TCopyToClipBoard(const RecordFields& record, QWidget* parent) : QDialog(parent), record_(record)
{
    setObjectName(QStringLiteral("TCopyToClipBoard"));
    setWindowTitle(QStringLiteral("Copy Record To Clipboard"));

    auto box = [this](const char* name, const QString& caption, const QString& help) {
        auto* b = new QCheckBox(caption, this);
        b->setObjectName(QLatin1StringView(name));
        b->setChecked(true);
        b->setWhatsThis(help);
        return b;
    };
    name_ = box("NameCheck", QStringLiteral("Name, Organization, Title"),
                QStringLiteral("Copies the full name, the title and the organization, one line each."));
    address_ = box("AddressCheck", QStringLiteral("Address"),
                   QStringLiteral("Copies both address lines, the city, state and zip line, and the country."));
    phones_ = box("PhoneCheck", QStringLiteral("Phone Numbers"), QStringLiteral("Copies the phone numbers the record has."));
    codes_ = box("CodesCheck", QStringLiteral("Codes"), QStringLiteral("Copies the record's codes."));
    // "&&" shows as a single ampersand.
    comments_ = box("CommentsCheck", QStringLiteral("Comments 1 && 2"), QStringLiteral("Copies the two comment fields."));

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &TCopyToClipBoard::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* b : {name_, address_, phones_, codes_, comments_})
        layout->addWidget(b);
    layout->addLayout(buttons);
    installWhatsThisMenus(this);
}

RecordTextParts TCopyToClipBoard::parts() const
{
    RecordTextParts p;
    p.name = name_->isChecked();
    p.address = address_->isChecked();
    p.phones = phones_->isChecked();
    p.codes = codes_->isChecked();
    p.comments = comments_->isChecked();
    return p;
}

void TCopyToClipBoard::OkButtonClick()
{
    QGuiApplication::clipboard()->setText(recordText(record_, parts()));
    showInformation(QStringLiteral("Record copied to Clipboard"));
    accept();
}

} // namespace qb
