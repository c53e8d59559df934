#pragma once
// "Labels Print": a drawing of one sheet at a fifth of its size where each
// label position can be switched on or off, the printer, and how many of each
// label to print. Ok needs at least one position.

#include "labels/label_print_loop.h"

#include <QDialog>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;

namespace qb {

// The rectangle of a position in the drawing at scale s = 0.2 x pixels per
// inch: margins, pitch and sizes each truncated to pixels, 10 pixels in.
QRect positionRect(const LabelStock& stock, int row, int column, int pixelsPerInch);
// The sheet drawing's size.
QSize sheetDrawingSize(const LabelStock& stock, int pixelsPerInch);

class SheetDrawing : public QWidget {
    Q_OBJECT
public:
    SheetDrawing(const LabelStock& stock, PositionMask& mask, QWidget* parent = nullptr);
    // The position under a point of the drawing; -1 between labels.
    int positionAt(const QPoint& point) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const LabelStock& stock_;
    PositionMask& mask_;
};

class TSelectSpecificLabels : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1019;

    TSelectSpecificLabels(const LabelStock& stock, const PositionMask& mask, const QStringList& printers,
                          int printerIndex, bool presort, QWidget* parent = nullptr);

    const PositionMask& mask() const { return mask_; }
    int copies() const;
    int printerIndex() const;
    SheetDrawing* drawing() const { return drawing_; }

signals:
    void printerChosen(int index);

private:
    void OkButtonClick();

    LabelStock stock_;
    PositionMask mask_;
    SheetDrawing* drawing_;
    QComboBox* printer_;
    QSpinBox* numberOfEach_;
};

} // namespace qb
