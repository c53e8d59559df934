#pragma once
// "Address Filter": a box for each of the eighteen conditions, laid over the
// places of the matching fields of the main window, the "Tagged" and
// "Reverse" check boxes, and Test, Clear, Ok and Cancel. "Test" hands the
// boxes to the main window, which applies them and reports the matches.

#include "mainwindow/address_filter.h"

#include <QDialog>
#include <QRect>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qb {

// Where the dialog puts a condition: its box and its label, in the main
// window's record area coordinates. Empty rects: the main window was never
// laid out, and the dialog stacks its boxes itself.
struct QueryFormPlacement {
    std::array<QRect, kFilterFieldCount> boxes{};
    std::array<QRect, kFilterFieldCount> labels{};
    QRect tagged;
};

// A box sits 25 pixels lower than its field, same left edge and width.
QRect queryBoxRect(const QRect& field);

inline const QString kFilterHint = QStringLiteral(
    "Hint: to look for only part of a value, first type in a $ and then the value to look for. As an example, to find "
    "all records containing the code letter C in the Codes field, type in $C. Right click on any field or press HELP "
    "for more helpful tips");
inline const QString kFilterDateHint =
    QStringLiteral("Note: enter dates in the form: YYYYMMDD\r(i.e. 19970428 for April 28, 1997)");

class TAddressQueryForm : public QDialog {
    Q_OBJECT
public:
    // The main window's answer to "Test": the number of matches, or nullopt
    // when no filter is set afterwards.
    using Apply = std::function<std::optional<uint32_t>(const FilterConditions&)>;

    TAddressQueryForm(const FilterConditions& current, const QueryFormPlacement& placement, Apply apply,
                      QWidget* parent = nullptr);

    FilterConditions conditions() const;
    QLineEdit* conditionBox(int index) const { return boxes_[size_t(index)]; }
    QString matchLine() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TestButtonClick();
    void ClearButtonClick();
    void OkButtonClick();

    Apply apply_;
    std::array<QLineEdit*, kFilterFieldCount> boxes_{};
    QCheckBox* tagged_;
    QCheckBox* reverse_;
    QLabel* matches_;
    QLabel* dateFormat_;
};

} // namespace qb
