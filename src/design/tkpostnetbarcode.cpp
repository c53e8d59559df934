#include "design/tkpostnetbarcode.h"

#include "design/design_printer.h"
#include "design/tkbasepanel.h"
#include "design/tintelligentmaildialog.h"

#include <QMenu>
#include <QPainter>

namespace qb::design {

// ---- TKPostNetBarCode ---------------------------------------------------------------

TKPostNetBarCode::TKPostNetBarCode(const ClassTable& table, QWidget* parent) : TKGraphicControl(table, parent) {}

const QImage& TKPostNetBarCode::screenPicture()
{
    // A sample code drawn once: what the designer sees is only a stand-in.
    static const QImage picture = [] {
        QImage img(270, 16, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        const QList<bool> bars = postnet::bars(QStringLiteral("12345678901"));
        const double pitch = 270.0 / bars.size();
        for (int i = 0; i < bars.size(); ++i) {
            const int x = int(i * pitch + 1);
            const int top = bars[i] ? 1 : 9;
            p.fillRect(QRect(x, top, 2, 15 - top), Qt::black);
        }
        return img;
    }();
    return picture;
}

PostNetBarCode TKPostNetBarCode::barcode() const
{
    PostNetBarCode b;
    b.type = PostNetBarCodeType(qBound(0, intValue(QStringLiteral("BarCodeType")), 2));
    b.zip = zip_;
    b.address = address_;
    return b;
}

void TKPostNetBarCode::showData()
{
    const auto* p = qobject_cast<TKDataPanel*>(parentWidget());
    if (!p)
        return;
    address_ = p->valueByName(stringValue(QStringLiteral("AddressField")));
    zip_ = p->valueByName(stringValue(QStringLiteral("ZipCodeField")));
    if (!p->printing())
        update();
}

void TKPostNetBarCode::printAt(DesignPrinter& printer, double x, double y)
{
    const QList<QRectF> rects = barcode().rects(printRect(x, y).topLeft());
    if (rects.isEmpty())
        return;
    printer.setBrush(Qt::black, Qt::SolidPattern);
    printer.setPen(Qt::black, Qt::SolidLine, 0);
    for (const QRectF& r : rects)
        printer.drawRectangle(r.left(), r.top(), r.right(), r.bottom());
}

void TKPostNetBarCode::paintObject(QPainter& painter)
{
    // The box always takes the picture's size, so the user cannot resize it.
    const QSize size = screenPicture().size();
    const int w = zoom() == 1.0f ? size.width() : roundHalfEven(size.width() * double(zoom()));
    const int h = zoom() == 1.0f ? size.height() : roundHalfEven(size.height() * double(zoom()));
    if (w != objectWidth() || h != objectHeight())
        fitBounds(w, h);
    painter.drawImage(QRect(0, 0, w, h), screenPicture());
}

// ---- TKIntelligentMailBarCode -------------------------------------------------------

TKIntelligentMailBarCode::TKIntelligentMailBarCode(const ClassTable& table, QWidget* parent)
    : TKGraphicControl(table, parent)
{
}

imb::Fields TKIntelligentMailBarCode::fields() const
{
    imb::Fields f;
    f.barcodeId = stringValue(QStringLiteral("BarcodeIdentifier")).trimmed();
    f.serviceType = stringValue(QStringLiteral("ServiceType")).trimmed();
    f.mailerId = stringValue(QStringLiteral("MailerIdentifier")).trimmed();
    const int serialDigits = this->serialDigits();
    if (countsSerial()) {
        f.serial = imb::serialNumber(serialStart(), printed_, serialDigits);
    } else {
        // A shorter number in the record is the same number with leading zeros.
        const QString s = serial_.trimmed();
        f.serial = s.size() < serialDigits ? s.rightJustified(serialDigits, QLatin1Char('0')) : s;
    }
    PostNetBarCode zip;
    zip.type = PostNetBarCodeType(qBound(0, intValue(QStringLiteral("BarCodeType")), 2));
    zip.zip = zip_;
    zip.address = address_;
    f.routing = zip.digits();
    return f;
}

bool TKIntelligentMailBarCode::countsSerial() const
{
    return stringValue(QStringLiteral("SerialField")).trimmed().isEmpty();
}

QString TKIntelligentMailBarCode::serialStart() const
{
    return runStart_.isEmpty() ? stringValue(QStringLiteral("SerialStart")).trimmed() : runStart_;
}

int TKIntelligentMailBarCode::serialDigits() const
{
    return stringValue(QStringLiteral("MailerIdentifier")).trimmed().size() == 9 ? 6 : 9;
}

void TKIntelligentMailBarCode::showData()
{
    const auto* p = qobject_cast<TKDataPanel*>(parentWidget());
    if (!p)
        return;
    address_ = p->valueByName(stringValue(QStringLiteral("AddressField")));
    zip_ = p->valueByName(stringValue(QStringLiteral("ZipCodeField")));
    const QString serialField = stringValue(QStringLiteral("SerialField")).trimmed();
    serial_ = serialField.isEmpty() ? QString() : p->valueByName(serialField);
    if (!p->printing())
        update();
}

void TKIntelligentMailBarCode::printAt(DesignPrinter& printer, double x, double y)
{
    // Fields the barcode cannot carry print nothing rather than a wrong code.
    const QList<imb::BarState> bars = imb::encode(fields());
    if (bars.isEmpty())
        return;
    printer.setBrush(Qt::black, Qt::SolidPattern);
    printer.setPen(Qt::black, Qt::SolidLine, 0);
    for (const QRectF& r : imb::barRects(bars, printRect(x, y).topLeft()))
        printer.drawRectangle(r.left(), r.top(), r.right(), r.bottom());
}

void TKIntelligentMailBarCode::paintObject(QPainter& painter)
{
    // The box always takes the barcode's size, so the user cannot resize it.
    const double scale = kDesignPixelsPerInch * double(zoom());
    const int w = roundHalfEven(imb::kBarcodeWidth * scale) + 1;
    const int h = roundHalfEven(imb::kFullBarHeight * scale) + 1;
    if (w != objectWidth() || h != objectHeight())
        fitBounds(w, h);
    painter.fillRect(QRect(0, 0, w, h), Qt::white);
    const QString why = problem();
    setToolTip(why);
    if (!why.isEmpty()) {
        // What keeps it from printing, where the barcode would be.
        QFont f = painter.font();
        f.setPixelSize(qMax(6, h - 4));
        painter.setFont(f);
        painter.setPen(Qt::red);
        painter.drawRect(QRect(0, 0, w - 1, h - 1));
        painter.drawText(QRect(2, 0, w - 4, h), Qt::AlignVCenter | Qt::AlignLeft, why);
        return;
    }
    for (const QRectF& r : imb::barRects(imb::encode(fields()), {0, 0}))
        painter.fillRect(QRectF(r.left() * scale, r.top() * scale, qMax(1.0, r.width() * scale), r.height() * scale),
                         Qt::black);
}

bool TKIntelligentMailBarCode::editSettings()
{
    TIntelligentMailDialog dialog(*this, window());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    notifyChanged();
    dialog.apply(*this);
    showData();
    update();
    return true;
}

void TKIntelligentMailBarCode::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Barcode Properties...")), &QAction::triggered, this,
            [this] { editSettings(); });
}

// ---- TKFIMBarCode -------------------------------------------------------------------

FIMBarCodeType TKFIMBarCode::type() const { return FIMBarCodeType(qBound(0, intValue(QStringLiteral("FIMType")), 2)); }

void TKFIMBarCode::paintObject(QPainter& painter)
{
    const int side = fim::screenBoxSide(kDesignPixelsPerInch, zoom());
    if (side != objectWidth() || side != objectHeight())
        fitBounds(side, side);
    painter.fillRect(QRect(0, 0, side, side), Qt::white);
    for (const QRect& r : fim::screenBarRects(type(), kDesignPixelsPerInch, zoom()))
        painter.fillRect(r, Qt::black);
}

void TKFIMBarCode::printAt(DesignPrinter& printer, double x, double y)
{
    printer.setBrush(Qt::black, Qt::SolidPattern);
    for (const QRectF& r : fim::barRects(type(), printRect(x, y).topLeft()))
        printer.drawRectangle(r.left(), r.top(), r.right(), r.bottom());
}

void TKFIMBarCode::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    const char* captions[] = {"Set FIM to Type A", "Set FIM to Type B", "Set FIM to Type C"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = menu->addAction(QLatin1String(captions[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            notifyChanged();
            setValue(QStringLiteral("FIMType"), i);
            update();
        });
        typeEntries_ << a;
    }
}

void TKFIMBarCode::updateMenu()
{
    for (int i = 0; i < typeEntries_.size(); ++i)
        typeEntries_[i]->setChecked(int(type()) == i);
}

} // namespace qb::design
