#pragma once
// The postal barcode objects: TKPostNetBarCode prints the POSTNET code of the
// record's zip (and delivery point), TKFIMBarCode a facing identification
// mark. Both draw filled rectangles in inches on paper; on the screen the
// POSTNET object shows a fixed picture of a barcode.

#include "design/fim_mark.h"
#include "design/postal_barcode.h"
#include "design/tkgraphiccontrol.h"

namespace qb::design {

class TKPostNetBarCode : public TKGraphicControl {
    Q_OBJECT
public:
    explicit TKPostNetBarCode(const ClassTable& table, QWidget* parent = nullptr);

    void showData() override;
    void printAt(DesignPrinter& printer, double x, double y) override;

    // The record's texts as fetched by showData.
    const QString& zipText() const { return zip_; }
    const QString& addressText() const { return address_; }
    void setRecordTexts(const QString& zip, const QString& address)
    {
        zip_ = zip;
        address_ = address;
    }
    PostNetBarCode barcode() const;
    // The screen picture, 270 x 16 pixels.
    static const QImage& screenPicture();

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }

private:
    QString zip_, address_;
};

class TKFIMBarCode : public TKGraphicControl {
    Q_OBJECT
public:
    using TKGraphicControl::TKGraphicControl;

    void printAt(DesignPrinter& printer, double x, double y) override;
    void updateMenu() override;
    FIMBarCodeType type() const;

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;

private:
    QList<QAction*> typeEntries_;
};

} // namespace qb::design
