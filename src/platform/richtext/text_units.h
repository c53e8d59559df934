#pragma once
// Lengths in a QTextDocument's formats (indents, paragraph spacing, tab stops,
// line heights) are in Qt's "default resolution" pixels: the text layout
// scales them to whatever device it lays out for. Every conversion between
// those units and the twips and points of RTF and the dialogs goes through
// here, so reading and writing a document use the same factor.

namespace qb::richtext {

// A print document is laid out for a device of its own resolution, and the
// text layout scales tab stops and paragraph spacing to it but takes
// indents (left, right, first line) as they stand. A print document's
// paragraphs therefore hold their indents multiplied for that device, with
// the factor in this block property, and the RTF writer divides it out.
inline constexpr int kIndentScaleProperty = 0x100000 + 81;   // QTextFormat::UserProperty + 81

// Format units in one twip.
double unitsPerTwip();
double twipsToUnits(double twips);
// Rounded to the nearest twip.
int unitsToTwips(double units);

} // namespace qb::richtext
