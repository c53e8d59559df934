#pragma once
// The envelope design panel: the label panel's tools (with the FIM barcode)
// on a surface the envelope's size, which can show the printer's unprintable
// borders as a red dotted line and the postal service's automation template.

#include "design/tklabelpanel.h"

namespace qb {

class TEnvelopePanel : public design::TKLabelPanel {
    Q_OBJECT
public:
    explicit TEnvelopePanel(QWidget* parent = nullptr);

    // The printer's unprintable borders and paper size in pixels at 100 percent.
    struct PrinterArea {
        int offsetLeft = 0, offsetTop = 0, offsetRight = 0, offsetBottom = 0;
        int pageWidth = 0, pageHeight = 0;
    };
    void setPrinterArea(const PrinterArea& area)
    {
        area_ = area;
        update();
    }
    const PrinterArea& printerArea() const { return area_; }
    bool showPrinterMargins() const { return showMargins_; }
    void setShowPrinterMargins(bool on)
    {
        showMargins_ = on;
        update();
    }
    bool showTemplate() const { return showTemplate_; }
    void setShowTemplate(bool on)
    {
        showTemplate_ = on;
        update();
    }

    // The surface of an envelope at 100 percent.
    static QSize surfaceSize(double widthInches, double heightInches);
    // The template's areas on a surface of the given size at zoom z: return
    // address, barcode clear zone, address, FIM.
    struct TemplateArea {
        QString label;
        QRect rect;   // corners inclusive, as drawn
        QPoint text;
    };
    static QList<TemplateArea> templateAreas(QSize surface, double z);

    // Only the envelope's kinds, whatever else is registered.
    bool acceptsKind(const QString& className) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PrinterArea area_;
    bool showMargins_ = false;
    bool showTemplate_ = false;
};

} // namespace qb
