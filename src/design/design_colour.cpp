#include "design/design_colour.h"

namespace qb::design {

QColor designColour(uint32_t v)
{
    if (v & 0x80000000u) {
        static const uint32_t scheme[] = {
            0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
            0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
            0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000, 0xE1FFFF,
        };
        const uint32_t i = v & 0xFFu;
        v = i < std::size(scheme) ? scheme[i] : 0;
    }
    if (v == 0x1FFFFFFFu)   // clNone
        return QColor(Qt::transparent);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

uint32_t storedColour(const QColor& c) { return uint32_t(c.red() | (c.green() << 8) | (c.blue() << 16)); }

Qt::PenStyle penStyleOf(int s)
{
    switch (s) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle brushStyleOf(int s)
{
    switch (s) {
    case 1: return Qt::NoBrush;
    case 2: return Qt::HorPattern;
    case 3: return Qt::VerPattern;
    case 4: return Qt::FDiagPattern;
    case 5: return Qt::BDiagPattern;
    case 6: return Qt::CrossPattern;
    case 7: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

} // namespace qb::design
