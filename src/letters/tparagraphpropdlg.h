#pragma once
// "Paragraph Properties": the current paragraph's indents in inches or
// centimetres and its spacing in points. The first indent is where the first
// line begins, measured like the left indent; "Same as Left Indent" keeps it
// there.

#include "letters/letter_units.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace qb {

// Twips; first is the first line's indent from the margin.
struct ParagraphValues {
    int first = 0, left = 0, right = 0, before = 0, after = 0, lineHeight = 0;
    bool operator==(const ParagraphValues&) const = default;
};

class TParagraphPropDlg : public QDialog {
    Q_OBJECT
public:
    explicit TParagraphPropDlg(const ParagraphValues& values, QWidget* parent = nullptr);

    // The kept values.
    const ParagraphValues& values() const { return values_; }

private:
    void showIndents();
    void setHints();
    void sameAsLeft();
    void indentEdited(QLineEdit* box, int& value);
    void pointsEdited(QLineEdit* box, int& value);
    LengthUnit unit() const;

    ParagraphValues values_;
    QComboBox* units_;
    QComboBox* firstLine_;
    QLineEdit* first_;
    QLineEdit* left_;
    QLineEdit* right_;
    QLineEdit* before_;
    QLineEdit* lineHeight_;
    QLineEdit* after_;
};

} // namespace qb
