#pragma once
// Stored colours (0x00BBGGRR, or 0x800000nn for a system colour) as drawn, and
// the stored pen and brush styles as Qt's.

#include <QColor>
#include <Qt>
#include <cstdint>

namespace qb::design {

// System colours take the classic desktop scheme, so a design looks the same
// whatever the desktop's theme.
QColor designColour(uint32_t value);
uint32_t storedColour(const QColor& c);
Qt::PenStyle penStyleOf(int psStyle);        // psSolid ... psInsideFrame
Qt::BrushStyle brushStyleOf(int bsStyle);    // bsSolid ... bsDiagCross

} // namespace qb::design
