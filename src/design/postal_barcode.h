#pragma once
// The POSTNET barcode of a zip code, with no widgets: which digits go on the
// envelope, which bars they make and where each bar lands on paper, in inches.
// The design object feeds it the record's zip and street texts and hands the
// rectangles to the print engine.

#include <QList>
#include <QRectF>
#include <QString>
#include <array>

namespace qb {

enum class PostNetBarCodeType { pnbc5Digit, pnbc9Digit, pnbc11Digit };

namespace postnet {

// Paper geometry in inches. The pitch is the bar plus the gap after it.
inline constexpr double kBarWidth = 0.015;
inline constexpr double kBarPitch = 0.046;
inline constexpr double kFullBarHeight = 0.125;
inline constexpr double kHalfBarHeight = 0.055;

// An 11-digit code (62 bars) runs 62 pitches, 2.852 inches; labels narrower
// than this cannot hold one.
inline constexpr double kMinimumLabelWidth = 2.85;
inline constexpr const char* kLabelTooNarrowWarning =
    "Warning: This label is not wide enough for a \rpostnet barcode. At least 2.85 inches are needed";
bool labelWideEnough(double labelWidthInches);

// The five bars of a digit, true for a full bar and false for a half bar.
std::array<bool, 5> digitBars(int digit);

// The digit that brings the sum of all digits to a multiple of ten.
int checkDigit(const QString& digits);

// The last two digits of the street address's house number, "99" when it has
// none or when the address is a military one (the whole word APO or FPO).
QString deliveryPoint(const QString& address);

// True when the zip text may carry a barcode at all: at least five characters
// and between "00000" and "99999-9999" byte by byte, so a zip that starts with
// a letter is never coded.
bool zipAccepted(const QString& zip);

// The digits to encode, check digit excluded: 5, 9 or 11 of them, or empty
// when nothing is printed. A type that the zip cannot fill falls back to the
// longest form it can (a 5-digit zip with the delivery-point type prints the
// 5-digit code), since the sorting machines reject any other length.
QString dataDigits(const QString& zip, const QString& address, PostNetBarCodeType type);

// Frame bar, five bars per digit of digits followed by its check digit, frame
// bar: 32, 52 or 62 bars.
QList<bool> bars(const QString& digits);

// The bars as filled rectangles in inches, the first one's left edge at
// origin.x() and the full bars' tops at origin.y(); half bars stand on the
// same baseline.
QList<QRectF> barRects(const QList<bool>& bars, QPointF origin);

} // namespace postnet

// One barcode as the design object holds it: its type and the texts of the
// current record.
class PostNetBarCode {
public:
    PostNetBarCodeType type = PostNetBarCodeType::pnbc11Digit;
    QString zip;
    QString address;

    // Empty when the zip gives no barcode.
    QString digits() const { return postnet::dataDigits(zip, address, type); }
    QList<bool> bars() const;
    // What the print engine fills, for a barcode whose top left is origin.
    QList<QRectF> rects(QPointF origin) const;
};

} // namespace qb
