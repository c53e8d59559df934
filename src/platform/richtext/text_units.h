#pragma once
// Lengths in a QTextDocument's formats (indents, paragraph spacing, tab stops,
// line heights) are in Qt's "default resolution" pixels: the text layout
// scales them to whatever device it lays out for. Every conversion between
// those units and the twips and points of RTF and the dialogs goes through
// here, so reading and writing a document use the same factor.

namespace qb::richtext {

// Format units in one twip.
double unitsPerTwip();
double twipsToUnits(double twips);
// Rounded to the nearest twip.
int unitsToTwips(double units);

} // namespace qb::richtext
