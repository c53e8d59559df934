#include "design/fim_mark.h"

#include <cmath>

namespace qb::fim {

QList<int> barSlots(FIMBarCodeType type)
{
    switch (type) {
    case FIMBarCodeType::fimTypeA:
        return {1, 3, 9, 15, 17};
    case FIMBarCodeType::fimTypeB:
        return {1, 5, 7, 11, 13, 17};
    case FIMBarCodeType::fimTypeC:
        return {1, 3, 7, 11, 15, 17};
    }
    return {};
}

QList<QRectF> barRects(FIMBarCodeType type, QPointF origin)
{
    QList<QRectF> out;
    for (int k : barSlots(type))
        out << QRectF(QPointF(origin.x() + (k - 1) / 32.0, origin.y()),
                      QPointF(origin.x() + k / 32.0, origin.y() + kBarHeight));
    return out;
}

int screenBoxSide(double ppi, double zoom) { return static_cast<int>(std::trunc(ppi * kScreenBoxSide * zoom)); }

QList<QRect> screenBarRects(FIMBarCodeType type, double ppi, double zoom)
{
    const int w = static_cast<int>(std::trunc(ppi * kSlotWidth * zoom));
    const int h = static_cast<int>(std::trunc(ppi * kBarHeight * zoom));
    QList<QRect> out;
    for (int k : barSlots(type))
        out << QRect(w * (k - 1), 0, w, h);
    return out;
}

} // namespace qb::fim
