#pragma once
// The inch ruler above report bands: a tick every sixteenth of an inch at the
// design resolution, longer ones at half and whole inches, numbered inches.

#include <QColor>
#include <QWidget>

namespace qb::design {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class THRuler : public QWidget {
    Q_OBJECT
public:
    explicit THRuler(QWidget* parent = nullptr);

    double startInch() const { return startInch_; }
    void setStartInch(double inch) { startInch_ = inch; update(); }
    TAlign alignHRuler() const { return align_; }
    // Only alNone, alTop and alBottom are taken; others leave it unchanged.
    void setAlignHRuler(TAlign a);
    QColor color() const { return color_; }
    void setColor(QColor c) { color_ = c; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double startInch_ = 0;
    TAlign align_ = alNone;
    QColor color_ = QColor(255, 255, 0);
};

} // namespace qb::design
