#pragma once
// The picture object: a bitmap, icon or metafile stretched into its box,
// mirrored on request (bitmaps only), optionally sized to the picture. On
// paper bitmaps print as bitmaps and metafiles are played as vectors, so they
// print sharp at the printer's resolution.

#include "design/layout_picture.h"
#include "design/tkgraphiccontrol.h"
#include "platform/image/picture.h"

namespace qb::design {

class TKImage : public TKGraphicControl {
    Q_OBJECT
public:
    explicit TKImage(const ClassTable& table, QWidget* parent = nullptr);

    void boundsChanged() override;
    void updateMenu() override;
    void printAt(DesignPrinter& printer, double x, double y) override;
    void placedByTool() override { loadPicture(); }

    LayoutPicture picture() const { return value(QStringLiteral("Picture.Data")).value<LayoutPicture>(); }
    // Takes a picture; an unreadable one empties the object and throws ImageError.
    void setPicture(const qb::image::Picture& p);
    void clearPicture();
    const qb::image::Picture& decoded() const { return decoded_; }
    bool stretch() const { return boolValue(QStringLiteral("Stretch")); }
    bool autoSize() const { return boolValue(QStringLiteral("AutoSize")); }

    // The "Load Image From Disk" command.
    void loadPicture();
    // The picture as it prints: a bitmap mirrored as Flip and Reverse ask.
    QImage mirroredBitmap(QSize size) const;

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;
    void propertyChanged(const QString& path) override;

private:
    void pictureChanged();

    qb::image::Picture decoded_;
    bool fitting_ = false;
    bool settingPair_ = false;
    QAction* borderEntry_ = nullptr;
    QAction* stretchEntry_ = nullptr;
    QAction* autoSizeEntry_ = nullptr;
    QAction* flipEntry_ = nullptr;
    QAction* reverseEntry_ = nullptr;
};

} // namespace qb::design
