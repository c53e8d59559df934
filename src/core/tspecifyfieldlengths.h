#pragma once
// "Specify Field Lengths": the widths the next new address database gives its
// 18 variable character fields, optionally kept as the settings' defaults.

#include "core/field_lengths.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;

namespace qb {

class TSpecifyFieldLengths : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1042;

    explicit TSpecifyFieldLengths(const FieldLengths& current, QWidget* parent = nullptr);

    // The widths chosen; the ones given until "Ok" was pressed.
    const FieldLengths& lengths() const { return lengths_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OkButtonClick();
    void DefaultsButtonClick();
    void checkBox(int index);

    FieldLengths lengths_;
    FieldLengths restore_;   // what a box falls back to: as opened, or the defaults once pressed
    std::array<QLineEdit*, FieldLengths::Count> edits_{};
    QCheckBox* useForAll_ = nullptr;
};

} // namespace qb
