#include "letters/twppageprop.h"

#include "core/messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qb {

namespace {
LengthUnit& rememberedUnit()
{
    static LengthUnit unit = LengthUnit::Inch;
    return unit;
}
} // namespace

LengthUnit TWPPageProp::lastUnit() { return rememberedUnit(); }

TWPPageProp::TWPPageProp(const richtext::PageLayout& page, QWidget* parent) : QDialog(parent), page_(page)
{
    setObjectName(QStringLiteral("TWPPageProp"));
    setWindowTitle(QStringLiteral("Page Properties"));
    unit_ = new QComboBox(this);
    unit_->setObjectName(QStringLiteral("UnitCombo"));
    unit_->addItems({QStringLiteral("Inch"), QStringLiteral("Cm"), QStringLiteral("Twips")});
    unit_->setCurrentIndex(int(rememberedUnit()));

    const auto box = [this](const char* name, int& value) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        connect(e, &QLineEdit::textEdited, this, [this, e, &value] { boxEdited(e, value); });
        return e;
    };
    width_ = box("WidthEdit", page_.width);
    height_ = box("HeightEdit", page_.height);
    top_ = box("TopEdit", page_.top);
    bottom_ = box("BottomEdit", page_.bottom);
    left_ = box("LeftEdit", page_.left);
    right_ = box("RightEdit", page_.right);

    auto* paper = new QGroupBox(QStringLiteral(" Paper Size "), this);
    auto* paperForm = new QFormLayout(paper);
    paperForm->addRow(QStringLiteral("Width"), width_);
    paperForm->addRow(QStringLiteral("Height"), height_);
    auto* margins = new QGroupBox(QStringLiteral(" Margins "), this);
    auto* marginForm = new QFormLayout(margins);
    marginForm->addRow(QStringLiteral("Top"), top_);
    marginForm->addRow(QStringLiteral("Bottom"), bottom_);
    marginForm->addRow(QStringLiteral("Left"), left_);
    marginForm->addRow(QStringLiteral("Right"), right_);

    QDialogButtonBox* buttons = okCancelButtons(this);

    auto* unitRow = new QFormLayout;
    unitRow->addRow(QStringLiteral("Unit"), unit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(unitRow);
    layout->addWidget(paper);
    layout->addWidget(margins);
    layout->addWidget(buttons);

    connect(unit_, &QComboBox::currentIndexChanged, this, &TWPPageProp::showValues);
    showValues();
}

void TWPPageProp::showValues()
{
    const LengthUnit unit = LengthUnit(unit_->currentIndex());
    width_->setText(lengthText(page_.width, unit));
    height_->setText(lengthText(page_.height, unit));
    top_->setText(lengthText(page_.top, unit));
    bottom_->setText(lengthText(page_.bottom, unit));
    left_->setText(lengthText(page_.left, unit));
    right_->setText(lengthText(page_.right, unit));
}

void TWPPageProp::boxEdited(QLineEdit* box, int& value)
{
    const std::optional<int> twips = lengthTwips(box->text(), LengthUnit(unit_->currentIndex()));
    if (twips)
        value = *twips;
    else if (!unfinishedNumber(box->text()))
        showInformation(notANumber(box->text()));
}

void TWPPageProp::accept()
{
    rememberedUnit() = LengthUnit(unit_->currentIndex());
    QDialog::accept();
}

} // namespace qb
