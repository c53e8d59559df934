#pragma once
// The postal barcode objects: TKPostNetBarCode prints the POSTNET code of the
// record's zip (and delivery point), TKIntelligentMailBarCode the Intelligent
// Mail barcode of the mailer's identifiers and the record's zip,
// TKFIMBarCode a facing identification mark. All draw filled rectangles in
// inches on paper; on the screen the POSTNET object shows a fixed picture of
// a barcode.

#include "design/fim_mark.h"
#include "design/intelligent_mail.h"
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

// The serial number counts up from SerialStart by one for each piece printed,
// or comes from the record's SerialField when one is named. The routing code
// is the record's zip in the form BarCodeType asks for, as POSTNET has it, or
// none when the zip gives no code.
class TKIntelligentMailBarCode : public TKGraphicControl {
    Q_OBJECT
public:
    explicit TKIntelligentMailBarCode(const ClassTable& table, QWidget* parent = nullptr);

    void showData() override;
    void placedByTool() override { editSettings(); }
    void advanceCounter() override { ++printed_; }
    void resetCounter() override { printed_ = 0; }
    void printAt(DesignPrinter& printer, double x, double y) override;

    void setRecordTexts(const QString& zip, const QString& address, const QString& serial = QString())
    {
        zip_ = zip;
        address_ = address;
        serial_ = serial;
    }
    // What goes into the barcode of the current record and piece.
    imb::Fields fields() const;
    // True when the serial is counted here rather than read from the record.
    bool countsSerial() const;
    // Where a run's counting starts instead of SerialStart (empty: SerialStart).
    void setRunSerialStart(const QString& start) { runStart_ = start; }
    QString serialStart() const;
    qint64 piecesCounted() const { return printed_; }
    int serialDigits() const;
    // Empty when the barcode prints; otherwise why it does not.
    QString problem() const { return imb::check(fields()); }
    // The properties dialog; false when cancelled.
    bool editSettings();

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;

private:
    QString zip_, address_, serial_, runStart_;
    qint64 printed_ = 0;
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
