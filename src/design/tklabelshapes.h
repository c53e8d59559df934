#pragma once
// Shape objects: TKLabelShapes (and Trpshapes, the same under the report
// designer's class name) draw a rectangle, rounded rectangle or ellipse
// filling their box; TKLineShape a straight line across its box.

#include "design/text_layout.h"
#include "design/tkgraphiccontrol.h"

namespace qb::design {

class TKLabelShapes : public TKGraphicControl {
    Q_OBJECT
public:
    using TKGraphicControl::TKGraphicControl;

    void printAt(DesignPrinter& printer, double x, double y) override;
    void updateMenu() override;
    // The screen's outline: pen width at the zoom, and the rectangle inset by it.
    int screenPenWidth() const;
    QRect outlineRect() const;
    int screenCorner() const;   // corner ellipse side in pixels

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;
    void propertyChanged(const QString& path) override;

private:
    QAction* transparentEntry_ = nullptr;
    QList<QAction*> thicknessEntries_;
};

class TKLineShape : public TKGraphicControl {
    Q_OBJECT
public:
    using TKGraphicControl::TKGraphicControl;

    void printAt(DesignPrinter& printer, double x, double y) override;
    void updateMenu() override;
    void stretchToEdges();
    // The end points on the screen at the current zoom.
    QLine screenLine() const;
    int screenPenWidth() const;

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;

private:
    QList<QAction*> styleEntries_, thicknessEntries_;
};

// The ten "n Point" entries of a pen's thickness.
QList<QAction*> addThicknessMenu(TKGraphicControl* object, QMenu* menu);

} // namespace qb::design
