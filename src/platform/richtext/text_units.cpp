#include "platform/richtext/text_units.h"

#include "platform/richtext/page_layout.h"

#include <QtGlobal>

#include <cmath>

// The resolution the text layout measures format lengths in; QtGui exports it
// for exactly this use, though it does not declare it in a public header.
Q_DECL_IMPORT int qt_defaultDpiY();

namespace qb::richtext {

double unitsPerTwip() { return double(qt_defaultDpiY()) / kTwipsPerInch; }

double twipsToUnits(double twips) { return twips * unitsPerTwip(); }

int unitsToTwips(double units) { return int(std::lround(units / unitsPerTwip())); }

} // namespace qb::richtext
