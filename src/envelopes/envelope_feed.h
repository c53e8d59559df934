#pragma once
// Envelope sizes and how the printer is fed: the sixteen sizes with their
// paper codes, the feed description, where the envelope lands on the
// printer's page, and whether that page can be the envelope at all.

#include "core/preferences.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace qb {

struct EnvelopeSize {
    int code = 20;          // the paper code, stored in NUMBER
    QString entry;          // the size dialog's list entry
    double width = 9.5;     // inches, the long side
    double height = 4.125;
    QString layoutText;     // the designer's Layout menu
};

// In the order of the size dialog. Millimetre sizes are converted at 25.4 to
// the inch: the printer is given the true paper by its code, so the placement
// must use the true size too.
const std::vector<EnvelopeSize>& envelopeSizes();
// Nullopt for a code not in the table.
std::optional<EnvelopeSize> envelopeSize(int code);
inline constexpr int kDefaultEnvelopeCode = 20;
inline const QString kDefaultEnvelopeDescription = QStringLiteral("Envelope #10");
inline const QString kUnknownEnvelopeSize = QStringLiteral("Unknown");

// The four values of section "Envelope Feed".
using EnvelopeFeed = EnvelopeFeedPreferences;
enum EnvelopeFeedValue { kPortrait = 0, kLandscape = 1, kFaceUp = 0, kFaceDown = 1, kLeft = 0, kRight = 1, kCentre = 2 };

// "Position: Center\r\nOrientation : Landscape\r\nFacing Down" and so on.
QString feedText(const EnvelopeFeed& feed);

// Where the envelope's top left corner goes on a page of pageWidth by
// pageHeight inches for an envelope of width by height, fed as described. A
// page whose size in tenths of an inch is the envelope's is the envelope
// itself; a negative offset becomes 0.
QPointF envelopePlacement(const EnvelopeFeed& feed, double pageWidth, double pageHeight, double width, double height);

// True when the printer's page is more than an inch off the envelope in
// either direction (compared in hundredths, truncated).
bool paperMismatch(double width, double height, double pageWidth, double pageHeight);
inline const QString kPaperMismatchWarning = QStringLiteral(
    "WARNING: Printer PAPER SIZE and ORIENTATION do not match selected Envelope.\r\nUse Printer Setup to correct this.");

} // namespace qb
