#include "mainwindow/taddressqueryform.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace qb {

namespace {
constexpr int kDateIndex = 14;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
} // namespace

QRect queryBoxRect(const QRect& field) { return field.translated(0, 25); }

TAddressQueryForm::TAddressQueryForm(const FilterConditions& current, const QueryFormPlacement& placement, Apply apply,
                                     QWidget* parent)
    : QDialog(parent), apply_(std::move(apply))
{
    setWindowTitle(QStringLiteral("Address Filter"));
    setObjectName(QStringLiteral("TAddressQueryForm"));
    // The labels take the places of the main window's labels, so they are
    // drawn in its font, or a wider one would cut them short.
    if (parent)
        setFont(parent->font());

    const bool placed = std::all_of(placement.boxes.begin(), placement.boxes.end(),
                                    [](const QRect& r) { return r.width() > 0; });
    QRect used;
    for (int i = 0; i < kFilterFieldCount; ++i) {
        const FilterField& f = filterFields()[size_t(i)];
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(f.mainField) + QStringLiteral("Box"));
        box->setText(current.texts[size_t(i)]);
        box->setToolTip(i == kDateIndex ? kFilterDateHint : kFilterHint);
        box->setWhatsThis(box->toolTip());
        box->installEventFilter(this);
        auto* label = new QLabel(QLatin1String(f.label), this);
        label->setBuddy(box);
        if (placed) {
            box->setGeometry(queryBoxRect(placement.boxes[size_t(i)]));
            label->setGeometry(queryBoxRect(placement.labels[size_t(i)]));
        } else {
            const int y = kMargin + i * kRowHeight;
            label->setGeometry(kMargin, y, 90, kRowHeight - 2);
            box->setGeometry(kMargin + 95, y, 200, kRowHeight - 2);
        }
        used |= box->geometry() | label->geometry();
        boxes_[size_t(i)] = box;
    }

    tagged_ = new QCheckBox(QStringLiteral("Tagged"), this);
    tagged_->setObjectName(QStringLiteral("TaggedCheckBox"));
    tagged_->setChecked(current.taggedOnly);
    reverse_ = new QCheckBox(QStringLiteral("Reverse"), this);
    reverse_->setObjectName(QStringLiteral("ReverseCheckBox"));
    reverse_->setChecked(current.reverse);
    tagged_->adjustSize();
    reverse_->adjustSize();
    const QPoint taggedAt = placed && placement.tagged.isValid() ? queryBoxRect(placement.tagged).topLeft()
                                                                 : QPoint(kMargin, used.bottom() + kMargin);
    tagged_->move(taggedAt);
    reverse_->move(tagged_->geometry().right() + 1 + 10, taggedAt.y());
    used |= tagged_->geometry() | reverse_->geometry();

    dateFormat_ = new QLabel(QStringLiteral("(YYYYMMDD)"), this);
    dateFormat_->setObjectName(QStringLiteral("DateFormatLabel"));
    dateFormat_->adjustSize();
    dateFormat_->move(boxes_[kDateIndex]->geometry().bottomLeft() + QPoint(0, 2));
    dateFormat_->hide();

    matches_ = new QLabel(this);
    matches_->setObjectName(QStringLiteral("MatchesLabel"));
    int x = kMargin;
    const int y = used.bottom() + kMargin;
    matches_->setGeometry(x, y, 200, kRowHeight);
    x += 210;
    const auto button = [&](const char* name, const QString& caption, void (TAddressQueryForm::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::ClickFocus);
        b->setAutoDefault(false);
        b->setGeometry(x, y, 75, kRowHeight + 2);
        x += 80;
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    button("TestButton", QStringLiteral("Test"), &TAddressQueryForm::TestButtonClick);
    button("ClearButton", QStringLiteral("Clear"), &TAddressQueryForm::ClearButtonClick);
    button("OkButton", QStringLiteral("Ok"), &TAddressQueryForm::OkButtonClick);
    button("CancelButton", QStringLiteral("Cancel"), &QDialog::reject);
    setFixedSize(std::max(used.right() + 1, x) + kMargin, y + kRowHeight + 2 + kMargin);
}

FilterConditions TAddressQueryForm::conditions() const
{
    FilterConditions c;
    for (int i = 0; i < kFilterFieldCount; ++i)
        c.texts[size_t(i)] = boxes_[size_t(i)]->text();
    c.taggedOnly = tagged_->isChecked();
    c.reverse = reverse_->isChecked();
    return c;
}

QString TAddressQueryForm::matchLine() const { return matches_->text(); }

bool TAddressQueryForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == boxes_[kDateIndex] && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        dateFormat_->setVisible(event->type() == QEvent::FocusIn);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAddressQueryForm::TestButtonClick()
{
    matches_->setText(QStringLiteral("Searching..."));
    matches_->repaint();
    const std::optional<uint32_t> matches = apply_ ? apply_(conditions()) : std::nullopt;
    matches_->setText(matches ? QString::number(*matches) + QStringLiteral(" matches") : QStringLiteral("No filter set"));
}

void TAddressQueryForm::ClearButtonClick()
{
    for (QLineEdit* box : boxes_)
        box->clear();
    tagged_->setChecked(false);
    reverse_->setChecked(false);
    TestButtonClick();
}

void TAddressQueryForm::OkButtonClick()
{
    TestButtonClick();
    accept();
}

} // namespace qb
