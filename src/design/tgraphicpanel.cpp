#include "design/tgraphicpanel.h"

#include <QPainter>

namespace qb::design {

TGraphicPanel::TGraphicPanel(QWidget* parent) : QWidget(parent), color_(palette().color(QPalette::Button)) {}

void TGraphicPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    if (borderSingle_) {
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    const QColor light = palette().color(QPalette::Light), dark = palette().color(QPalette::Dark);
    const auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const QColor topLeft = cut == bvRaised ? light : dark, bottomRight = cut == bvRaised ? dark : light;
        for (int i = 0; i < bevelWidth_; ++i) {
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
            r.adjust(1, 1, -1, -1);
        }
    };
    bevel(bevelOuter_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    p.fillRect(r, color_);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(r, int(alignment_ | Qt::AlignVCenter), caption_);
}

} // namespace qb::design
