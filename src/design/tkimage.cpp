#include "design/tkimage.h"

#include "core/messages.h"
#include "design/design_printer.h"
#include "design/tkbasepanel.h"
#include "design/tkimagebrowser.h"

#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPicture>

namespace qb::design {

TKImage::TKImage(const ClassTable& table, QWidget* parent) : TKGraphicControl(table, parent) {}

void TKImage::propertyChanged(const QString& path)
{
    if (path == QLatin1String("Picture.Data")) {
        decoded_ = {};
        const LayoutPicture p = picture();
        if (!p.isEmpty()) {
            try {
                decoded_ = qb::image::Picture::fromLayoutData(p.data());
            } catch (const std::exception&) {
                // The layout reader checked the bytes; a graphic our player
                // refuses is shown as an empty picture.
            }
        }
        if (!reading())
            pictureChanged();
        return;
    }
    if (reading())
        return;
    // Stretch is always the opposite of AutoSize; only the dialog sets both.
    if ((path == QLatin1String("Stretch") || path == QLatin1String("AutoSize")) && !settingPair_) {
        settingPair_ = true;
        const QString other = path == QLatin1String("Stretch") ? QStringLiteral("AutoSize") : QStringLiteral("Stretch");
        setValue(other, !boolValue(path));
        settingPair_ = false;
    } else if (path == QLatin1String("BorderStyle") || path == QLatin1String("Flip") || path == QLatin1String("Reverse")) {
        notifyChanged();
    }
}

void TKImage::pictureChanged()
{
    boundsChanged();
    update();
}

void TKImage::setPicture(const qb::image::Picture& p)
{
    try {
        setValue(QStringLiteral("Picture.Data"), QVariant::fromValue(p.isEmpty() ? LayoutPicture()
                                                                                 : LayoutPicture::fromData(p.layoutData())));
    } catch (...) {
        clearPicture();
        throw;
    }
}

void TKImage::clearPicture() { setValue(QStringLiteral("Picture.Data"), QVariant::fromValue(LayoutPicture())); }

void TKImage::boundsChanged()
{
    TKGraphicControl::boundsChanged();
    if (fitting_ || !autoSize())
        return;
    const QSize s = decoded_.size();
    if (s.width() <= 0 || s.height() <= 0)
        return;
    const int w = roundHalfEven(s.width() * double(zoom())), h = roundHalfEven(s.height() * double(zoom()));
    if (w == objectWidth() && h == objectHeight())
        return;
    fitting_ = true;
    fitBounds(w, h);
    fitting_ = false;
}

QImage TKImage::mirroredBitmap(QSize size) const
{
    const QImage& image = decoded_.image();
    if (image.isNull())
        return {};
    const bool flip = boolValue(QStringLiteral("Flip")), reverse = boolValue(QStringLiteral("Reverse"));
    if (!flip && !reverse)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).mirrored(reverse, flip);
}

void TKImage::paintObject(QPainter& painter)
{
    const int w = qBound(0, objectWidth(), 32767), h = qBound(0, objectHeight(), 32767);
    const QRect box(0, 0, w, h);
    if (decoded_.isEmpty()) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    } else if (decoded_.kind() == qb::image::Picture::Kind::Bitmap &&
               (boolValue(QStringLiteral("Flip")) || boolValue(QStringLiteral("Reverse")))) {
        painter.drawImage(box, mirroredBitmap(box.size()));
    } else {
        painter.fillRect(box, Qt::white);
        decoded_.draw(painter, QRectF(box));
    }
    if (intValue(QStringLiteral("BorderStyle")) == 1) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

void TKImage::printAt(DesignPrinter& printer, double x, double y)
{
    const QRectF r = printRect(x, y);
    const QSize size(qBound(1, objectWidth(), 32767), qBound(1, objectHeight(), 32767));
    if (const qb::image::Metafile* m = decoded_.metafile()) {
        // Recorded as drawing commands, so the printer renders the vectors.
        QPicture picture;
        {
            QPainter p(&picture);
            m->play(p, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        printer.drawPicture(printer.deviceRect(r), picture, size);
    } else if (!decoded_.isEmpty()) {
        // Icons print as the bitmap they show on the screen.
        printer.drawBitmap(r, mirroredBitmap(size));
    }
    if (intValue(QStringLiteral("BorderStyle")) == 1) {
        printer.setPen(Qt::black, Qt::SolidLine, 0);
        printer.setBrush(Qt::white, Qt::NoBrush);
        printer.drawRectangle(r.left(), r.top(), r.right(), r.bottom());
    }
}

void TKImage::loadPicture()
{
    const QString remembered = QDir::currentPath();
    TKImageBrowser dialog(this);
    dialog.setStretch(stretch());
    dialog.setAutoSize(autoSize());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFile().isEmpty()) {
        try {
            setPicture(dialog.previewPicture());
            settingPair_ = true;   // both as the dialog left them, even both off
            setValue(QStringLiteral("Stretch"), dialog.stretch());
            setValue(QStringLiteral("AutoSize"), dialog.autoSize());
            settingPair_ = false;
            pictureChanged();
            notifyChanged();
        } catch (const std::exception&) {
            settingPair_ = false;
            showInformation(QStringLiteral("Error loading file!"));
            clearPicture();
        }
    }
    QDir::setCurrent(remembered);
}

void TKImage::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Load Image From Disk")), &QAction::triggered, this, [this] { loadPicture(); });
    menu->addSeparator();
    const auto checkable = [&](const char* caption, std::function<void()> f) {
        QAction* a = menu->addAction(QLatin1String(caption));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, std::move(f));
        return a;
    };
    borderEntry_ = checkable("Border", [this] {
        setValue(QStringLiteral("BorderStyle"), intValue(QStringLiteral("BorderStyle")) == 1 ? 0 : 1);
    });
    stretchEntry_ = checkable("Stretch to Fit", [this] { setValue(QStringLiteral("Stretch"), !stretch()); });
    autoSizeEntry_ = checkable("AutoSize", [this] {
        setValue(QStringLiteral("AutoSize"), !autoSize());
        pictureChanged();
        notifyChanged();
    });
    flipEntry_ = checkable("Flip", [this] { setValue(QStringLiteral("Flip"), !boolValue(QStringLiteral("Flip"))); });
    reverseEntry_ =
        checkable("Reverse", [this] { setValue(QStringLiteral("Reverse"), !boolValue(QStringLiteral("Reverse"))); });
}

void TKImage::updateMenu()
{
    if (!borderEntry_)
        return;
    borderEntry_->setChecked(intValue(QStringLiteral("BorderStyle")) == 1);
    stretchEntry_->setChecked(stretch());
    autoSizeEntry_->setChecked(autoSize());
    flipEntry_->setChecked(boolValue(QStringLiteral("Flip")));
    reverseEntry_->setChecked(boolValue(QStringLiteral("Reverse")));
    const bool bitmap = decoded_.kind() == qb::image::Picture::Kind::Bitmap;
    flipEntry_->setEnabled(bitmap);
    reverseEntry_->setEnabled(bitmap);
}

} // namespace qb::design
