#pragma once
// "Page Properties": the letter's paper size and margins in inches,
// centimetres or twips. Each box is turned into twips as it changes and kept;
// OK hands the six kept values back and remembers the unit for the next
// opening in this run.

#include "letters/letter_units.h"
#include "platform/richtext/page_layout.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace qb {

class TWPPageProp : public QDialog {
    Q_OBJECT
public:
    explicit TWPPageProp(const richtext::PageLayout& page, QWidget* parent = nullptr);

    // The kept values.
    const richtext::PageLayout& page() const { return page_; }
    static LengthUnit lastUnit();

    void accept() override;

private:
    void showValues();
    void boxEdited(QLineEdit* box, int& value);

    richtext::PageLayout page_;
    QComboBox* unit_;
    QLineEdit* width_;
    QLineEdit* height_;
    QLineEdit* top_;
    QLineEdit* bottom_;
    QLineEdit* left_;
    QLineEdit* right_;
};

} // namespace qb
