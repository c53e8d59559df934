#include "design/thruler.h"

#include "design/tkgraphiccontrol.h"

#include <QPainter>
#include <cmath>

namespace qb::design {

THRuler::THRuler(QWidget* parent) : QWidget(parent) { resize(768, 33); }

void THRuler::setAlignHRuler(TAlign a)
{
    if (a == alNone || a == alTop || a == alBottom)
        align_ = a;
}

void THRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), color_);
    const QColor grey(128, 128, 128);
    p.setPen(grey);
    QFont f(QStringLiteral("Small Fonts"));
    f.setPixelSize(qMax(1, -fontHeightFromPoints(7)));
    p.setFont(f);
    const int step = kDesignPixelsPerInch / 16;
    const int h = height(), quarter = h / 4;
    long n = long(std::trunc(startInch_ * 16));
    for (int x = 0; x < width(); x += step, ++n) {
        int bottom = quarter;
        if (n % 8 == 0)
            bottom = 2 * quarter;
        if (n % 16 == 0)
            bottom = h;
        p.drawLine(x, 1, x, bottom);
        if (n % 16 == 0 && n != 0)
            p.drawText(QPoint(x + 3, quarter + p.fontMetrics().ascent()), QString::number(n / 16));
    }
}

} // namespace qb::design
