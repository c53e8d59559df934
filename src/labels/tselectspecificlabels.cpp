#include "labels/tselectspecificlabels.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qb {

namespace {
int T(double v) { return int(v); }   // truncation toward zero
} // namespace

QRect positionRect(const LabelStock& stock, int row, int column, int pixelsPerInch)
{
    const double s = 0.2 * pixelsPerInch;
    int left = T(stock.leftMargin * s) + column * T(stock.horizontalPitch * s) + 10;
    int top = T(stock.topMargin * s) + row * T(stock.verticalPitch * s) + 10;
    if (column >= stock.across / 2 && stock.middleExtraX > 0)
        left += T(stock.middleExtraX * s);
    if (row >= stock.down / 2 && stock.middleExtraY > 0)
        top += T(stock.middleExtraY * s);
    return QRect(QPoint(left, top), QPoint(left + T(stock.labelWidth * s), top + T(stock.labelHeight * s)));
}

QSize sheetDrawingSize(const LabelStock& stock, int pixelsPerInch)
{
    const double s = 0.2 * pixelsPerInch;
    return QSize(T(stock.sheetWidth * s), T(stock.sheetDepth * s));
}

SheetDrawing::SheetDrawing(const LabelStock& stock, PositionMask& mask, QWidget* parent)
    : QWidget(parent), stock_(stock), mask_(mask)
{
    setObjectName(QStringLiteral("SheetDrawing"));
}

QSize SheetDrawing::sizeHint() const
{
    return sheetDrawingSize(stock_, logicalDpiX()) + QSize(20, 20);
}

int SheetDrawing::positionAt(const QPoint& point) const
{
    const int across = std::clamp(stock_.across, 0, 10), down = std::clamp(stock_.down, 0, 30);
    for (int r = 0; r < down; ++r)
        for (int c = 0; c < across; ++c)
            if (positionRect(stock_, r, c, logicalDpiX()).contains(point))
                return c + r * stock_.across;
    return -1;
}

void SheetDrawing::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRect(QPoint(10, 10), sheetDrawingSize(stock_, logicalDpiX())), Qt::white);
    p.setPen(Qt::black);
    const int across = std::clamp(stock_.across, 0, 10), down = std::clamp(stock_.down, 0, 30);
    for (int r = 0; r < down; ++r)
        for (int c = 0; c < across; ++c) {
            p.setBrush(mask_.isSet(c + r * stock_.across) ? QColor(255, 0, 0) : QColor(Qt::white));
            p.drawRect(positionRect(stock_, r, c, logicalDpiX()));
        }
}

void SheetDrawing::mousePressEvent(QMouseEvent* event)
{
    const int position = positionAt(event->position().toPoint());
    if (position < 0)
        return;
    mask_.set(position, !mask_.isSet(position));
    update();
}

TSelectSpecificLabels::TSelectSpecificLabels(const LabelStock& stock, const PositionMask& mask,
                                             const QStringList& printers, int printerIndex, bool presort,
                                             QWidget* parent)
    : QDialog(parent), stock_(stock), mask_(mask)
{
    setWindowTitle(QStringLiteral("Labels Print"));
    setObjectName(QStringLiteral("TSelectSpecificLabels"));

    auto* caption = new QLabel(QStringLiteral(" Select Labels To Print"), this);
    drawing_ = new SheetDrawing(stock_, mask_, this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(drawing_);
    drawing_->resize(drawing_->sizeHint());
    const QSize area = drawing_->sizeHint();
    scroll->setMinimumSize(std::min(area.width() + 4, 900), std::min(area.height() + 4, 700));

    auto* all = new QPushButton(QStringLiteral("&All"), this);
    all->setObjectName(QStringLiteral("AllButton"));
    auto* none = new QPushButton(QStringLiteral("&None"), this);
    none->setObjectName(QStringLiteral("NoneButton"));
    for (QPushButton* b : {all, none})
        b->setAutoDefault(false);
    connect(all, &QPushButton::clicked, this, [this] {
        mask_.setAll(true);
        drawing_->update();
    });
    connect(none, &QPushButton::clicked, this, [this] {
        mask_.setAll(false);
        drawing_->update();
    });

    printer_ = new QComboBox(this);
    printer_->setObjectName(QStringLiteral("PrinterCombo"));
    printer_->addItems(printers);
    printer_->setCurrentIndex(printerIndex);
    connect(printer_, &QComboBox::activated, this, &TSelectSpecificLabels::printerChosen);
    numberOfEach_ = new QSpinBox(this);
    numberOfEach_->setObjectName(QStringLiteral("NumberOfEach"));
    numberOfEach_->setRange(1, 99);
    numberOfEach_->setValue(1);
    auto* numberLabel = new QLabel(QStringLiteral("Number of each label to print"), this);
    numberLabel->setBuddy(numberOfEach_);
    // A presorted run prints one of each label.
    numberOfEach_->setVisible(!presort);
    numberLabel->setVisible(!presort);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    connect(ok, &QPushButton::clicked, this, &TSelectSpecificLabels::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* side = new QFormLayout;
    side->addRow(QStringLiteral("Printer"), printer_);
    side->addRow(numberLabel, numberOfEach_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {all, none})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(scroll, 1);
    layout->addLayout(side);
    layout->addLayout(buttons);
}

int TSelectSpecificLabels::copies() const { return std::max(1, numberOfEach_->value()); }
int TSelectSpecificLabels::printerIndex() const { return printer_->currentIndex(); }

void TSelectSpecificLabels::OkButtonClick()
{
    if (!mask_.anySelected(stock_)) {
        showInformation(QStringLiteral("You must select at least one card to print"));
        return;
    }
    accept();
}

} // namespace qb
