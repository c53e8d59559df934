#pragma once
// The properties of an Intelligent Mail barcode: the mailer's identifiers,
// where the serial number comes from, and the record's zip and street fields.
// Ok refuses identifiers the barcode cannot carry and says why.

#include "design/intelligent_mail.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace qb::design {

class TKIntelligentMailBarCode;

inline constexpr int kIntelligentMailHelpContext = 40020;

class TIntelligentMailDialog : public QDialog {
    Q_OBJECT
public:
    explicit TIntelligentMailDialog(const TKIntelligentMailBarCode& object, QWidget* parent = nullptr);

    // Empty when the values can make a barcode; otherwise why not.
    QString problem() const;
    void apply(TKIntelligentMailBarCode& object) const;

    void accept() override;

private:
    QLineEdit* barcodeId_;
    QLineEdit* serviceType_;
    QLineEdit* mailerId_;
    QRadioButton* counted_;
    QRadioButton* fromField_;
    QLineEdit* serialStart_;
    QLineEdit* serialField_;
    QLineEdit* zipField_;
    QLineEdit* addressField_;
    QComboBox* routing_;
};

} // namespace qb::design
