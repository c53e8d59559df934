#include "design/tintelligentmaildialog.h"

#include "core/messages.h"
#include "design/tklabeldialogs.h"
#include "design/tkpostnetbarcode.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace qb::design {

namespace {

QLineEdit* digitsEdit(const QString& name, const QString& text, int maxLength, const QString& whatsThis, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    e->setWhatsThis(whatsThis);
    return e;
}

QLineEdit* fieldEdit(const QString& name, const QString& text, const QString& whatsThis, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setWhatsThis(whatsThis);
    return e;
}

} // namespace

TIntelligentMailDialog::TIntelligentMailDialog(const TKIntelligentMailBarCode& o, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Intelligent Mail Barcode"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    barcodeId_ = digitsEdit(QStringLiteral("BarcodeIdentifier"), o.stringValue(QStringLiteral("BarcodeIdentifier")), 2,
                            QStringLiteral("Two digits, the second 0 to 4; 00 unless your mail presort says otherwise."),
                            this);
    serviceType_ = digitsEdit(QStringLiteral("ServiceType"), o.stringValue(QStringLiteral("ServiceType")), 3,
                              QStringLiteral("The three-digit service type of the mail class and services."), this);
    mailerId_ = digitsEdit(QStringLiteral("MailerIdentifier"), o.stringValue(QStringLiteral("MailerIdentifier")), 9,
                           QStringLiteral("Your mailer identifier from the postal service: 6 or 9 digits."), this);
    form->addRow(QStringLiteral("&Barcode identifier:"), barcodeId_);
    form->addRow(QStringLiteral("&Service type:"), serviceType_);
    form->addRow(QStringLiteral("&Mailer identifier:"), mailerId_);

    const QString field = o.stringValue(QStringLiteral("SerialField")).trimmed();
    counted_ = new QRadioButton(QStringLiteral("&Count up from"), this);
    counted_->setObjectName(QStringLiteral("SerialCounted"));
    fromField_ = new QRadioButton(QStringLiteral("&Take from field"), this);
    fromField_->setObjectName(QStringLiteral("SerialFromField"));
    serialStart_ = digitsEdit(QStringLiteral("SerialStart"), o.stringValue(QStringLiteral("SerialStart")), 9,
                              QStringLiteral("The serial number of the first piece printed; each further piece "
                                             "counts one up."),
                              this);
    serialField_ = fieldEdit(QStringLiteral("SerialField"), field,
                             QStringLiteral("The field holding each record's serial number; shorter numbers get "
                                            "leading zeros."),
                             this);
    (field.isEmpty() ? counted_ : fromField_)->setChecked(true);
    form->addRow(QStringLiteral("Serial number:"), new QLabel(this));
    form->addRow(counted_, serialStart_);
    form->addRow(fromField_, serialField_);
    const auto enable = [this] {
        serialStart_->setEnabled(counted_->isChecked());
        serialField_->setEnabled(fromField_->isChecked());
    };
    connect(counted_, &QRadioButton::toggled, this, enable);
    enable();

    zipField_ = fieldEdit(QStringLiteral("ZipCodeField"), o.stringValue(QStringLiteral("ZipCodeField")),
                          QStringLiteral("The field holding the zip code."), this);
    addressField_ = fieldEdit(QStringLiteral("AddressField"), o.stringValue(QStringLiteral("AddressField")),
                              QStringLiteral("The street field, whose house number gives the delivery point."), this);
    routing_ = new QComboBox(this);
    routing_->setObjectName(QStringLiteral("BarCodeType"));
    routing_->addItems({QStringLiteral("Zip (5 digits)"), QStringLiteral("Zip+4 (9 digits)"),
                        QStringLiteral("Zip+4 and delivery point (11 digits)")});
    routing_->setCurrentIndex(qBound(0, o.intValue(QStringLiteral("BarCodeType")), 2));
    routing_->setWhatsThis(QStringLiteral("How much of the zip code goes into the barcode. A record whose zip "
                                          "cannot give it prints the barcode without a routing code."));
    form->addRow(QStringLiteral("&Zip code field:"), zipField_);
    form->addRow(QStringLiteral("S&treet field:"), addressField_);
    form->addRow(QStringLiteral("&Routing code:"), routing_);
    layout->addLayout(form);
    addDialogButtons(this, layout, kIntelligentMailHelpContext);
}

QString TIntelligentMailDialog::problem() const
{
    imb::Fields f;
    f.barcodeId = barcodeId_->text();
    f.serviceType = serviceType_->text();
    f.mailerId = mailerId_->text();
    const int serialDigits = f.mailerId.size() == 9 ? 6 : 9;
    if (counted_->isChecked()) {
        if (serialStart_->text().isEmpty())
            return QStringLiteral("Enter the serial number to count up from.");
        f.serial = serialStart_->text().size() > serialDigits ? serialStart_->text()
                                                               : imb::serialNumber(serialStart_->text(), 0, serialDigits);
    } else {
        if (serialField_->text().trimmed().isEmpty())
            return QStringLiteral("Enter the field that holds the serial number.");
        f.serial = QString(serialDigits, QLatin1Char('0'));
    }
    if (zipField_->text().trimmed().isEmpty())
        return QStringLiteral("Enter the field that holds the zip code.");
    return imb::check(f);
}

void TIntelligentMailDialog::accept()
{
    const QString why = problem();
    if (!why.isEmpty()) {
        showInformation(why, windowTitle());
        return;
    }
    QDialog::accept();
}

void TIntelligentMailDialog::apply(TKIntelligentMailBarCode& o) const
{
    o.setValue(QStringLiteral("BarcodeIdentifier"), barcodeId_->text());
    o.setValue(QStringLiteral("ServiceType"), serviceType_->text());
    o.setValue(QStringLiteral("MailerIdentifier"), mailerId_->text());
    o.setValue(QStringLiteral("SerialStart"), serialStart_->text());
    o.setValue(QStringLiteral("SerialField"), fromField_->isChecked() ? serialField_->text().trimmed() : QString());
    o.setValue(QStringLiteral("ZipCodeField"), zipField_->text().trimmed());
    o.setValue(QStringLiteral("AddressField"), addressField_->text().trimmed());
    o.setValue(QStringLiteral("BarCodeType"), routing_->currentIndex());
    o.resetCounter();
}

} // namespace qb::design
