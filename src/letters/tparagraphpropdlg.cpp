#include "letters/tparagraphpropdlg.h"

#include "core/messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qb {

TParagraphPropDlg::TParagraphPropDlg(const ParagraphValues& values, QWidget* parent) : QDialog(parent), values_(values)
{
    setObjectName(QStringLiteral("TParagraphPropDlg"));
    setWindowTitle(QStringLiteral("Paragraph Properties"));
    const auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    first_ = edit("FirstIndentEdit");
    left_ = edit("LeftIndentEdit");
    right_ = edit("RightIndentEdit");
    before_ = edit("SpaceBeforeEdit");
    lineHeight_ = edit("LineHeightEdit");
    after_ = edit("SpaceAfterEdit");
    units_ = new QComboBox(this);
    units_->setObjectName(QStringLiteral("UnitsCombo"));
    units_->addItems({QStringLiteral("Inch"), QStringLiteral("Cm")});
    firstLine_ = new QComboBox(this);
    firstLine_->setObjectName(QStringLiteral("FirstLineCombo"));
    firstLine_->addItems({QStringLiteral("Same as Left Indent"), QStringLiteral("Indented by")});
    firstLine_->setCurrentIndex(values_.first != values_.left ? 1 : 0);
    first_->setEnabled(firstLine_->currentIndex() == 1);

    connect(first_, &QLineEdit::textEdited, this, [this] { indentEdited(first_, values_.first); });
    connect(left_, &QLineEdit::textEdited, this, [this] {
        indentEdited(left_, values_.left);
        if (firstLine_->currentIndex() == 0)
            sameAsLeft();
    });
    connect(right_, &QLineEdit::textEdited, this, [this] { indentEdited(right_, values_.right); });
    connect(before_, &QLineEdit::textEdited, this, [this] { pointsEdited(before_, values_.before); });
    connect(lineHeight_, &QLineEdit::textEdited, this, [this] { pointsEdited(lineHeight_, values_.lineHeight); });
    connect(after_, &QLineEdit::textEdited, this, [this] { pointsEdited(after_, values_.after); });
    connect(units_, &QComboBox::currentIndexChanged, this, [this] {
        showIndents();
        setHints();
    });
    connect(firstLine_, &QComboBox::activated, this, [this](int index) {
        first_->setEnabled(index == 1);
        if (index == 0)
            sameAsLeft();
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Units"), units_);
    form->addRow(QStringLiteral("Left Indent"), left_);
    form->addRow(QStringLiteral("Right Indent"), right_);
    form->addRow(QStringLiteral("First Line"), firstLine_);
    form->addRow(QStringLiteral("First Indent"), first_);
    form->addRow(QStringLiteral("Space before (pts)"), before_);
    form->addRow(QStringLiteral("Line Height (pts)"), lineHeight_);
    form->addRow(QStringLiteral("Space after (pts)"), after_);
    QDialogButtonBox* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    showIndents();
    setHints();
    before_->setText(pointsText(values_.before));
    lineHeight_->setText(pointsText(values_.lineHeight));
    after_->setText(pointsText(values_.after));
}

LengthUnit TParagraphPropDlg::unit() const { return units_->currentIndex() == 1 ? LengthUnit::Cm : LengthUnit::Inch; }

void TParagraphPropDlg::showIndents()
{
    first_->setText(lengthText(values_.first, unit()));
    left_->setText(lengthText(values_.left, unit()));
    right_->setText(lengthText(values_.right, unit()));
}

void TParagraphPropDlg::setHints()
{
    const QString in = unit() == LengthUnit::Cm ? QStringLiteral("centimeters") : QStringLiteral("inches");
    left_->setToolTip(QStringLiteral("Specify left indent for the paragraph in ") + in);
    right_->setToolTip(QStringLiteral("Specify right indent for the paragraph in ") + in);
    first_->setToolTip(QStringLiteral("Specify first line indent for the paragraph in ") + in);
}

void TParagraphPropDlg::sameAsLeft()
{
    first_->setText(left_->text());
    values_.first = values_.left;
}

void TParagraphPropDlg::indentEdited(QLineEdit* box, int& value)
{
    if (const std::optional<int> twips = lengthTwips(box->text(), unit()))
        value = *twips;
    else if (!unfinishedNumber(box->text()))
        showInformation(notANumber(box->text()));
}

void TParagraphPropDlg::pointsEdited(QLineEdit* box, int& value)
{
    if (const std::optional<int> twips = pointsTwips(box->text()))
        value = *twips;
    else if (!unfinishedNumber(box->text()))
        showInformation(notANumber(box->text()));
}

} // namespace qb
