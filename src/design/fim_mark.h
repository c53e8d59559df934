#pragma once
// The facing identification mark (FIM) printed at the top of a business reply
// or courtesy reply envelope: a fixed group of tall bars, no data. Plain
// geometry for the design object, on paper in inches and on the screen in
// pixels.

#include <QList>
#include <QRect>
#include <QRectF>

namespace qb {

enum class FIMBarCodeType { fimTypeA, fimTypeB, fimTypeC };

namespace fim {

// The mark is a grid of 17 slots 1/32 inch wide; bars stand in odd slots.
inline constexpr double kSlotWidth = 0.03125;
inline constexpr double kBarHeight = 0.5625;
inline constexpr double kScreenBoxSide = 0.625;
inline constexpr int kSlots = 17;

// The slots (1 to 17) that hold a bar.
QList<int> barSlots(FIMBarCodeType type);

// The bars in inches for a mark whose top left is origin.
QList<QRectF> barRects(FIMBarCodeType type, QPointF origin);

// On the screen: the square box's side and the bars inside it, in whole
// pixels at ppi pixels per inch and the given zoom.
int screenBoxSide(double ppi, double zoom);
QList<QRect> screenBarRects(FIMBarCodeType type, double ppi, double zoom);

} // namespace fim
} // namespace qb
