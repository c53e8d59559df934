#pragma once
// The Intelligent Mail barcode (IMb), with no widgets: the tracking code (a
// barcode identifier, a service type, a mailer identifier and a serial
// number) and the routing code (none, a zip, zip+4 or zip+4 and delivery
// point) become 65 four-state bars, and the bars become rectangles on paper in
// inches. The design object feeds it the record's texts and its own settings.

#include <QList>
#include <QRectF>
#include <QString>

namespace qb::imb {

// A bar reaches up (ascender), down (descender), both (full) or neither
// (tracker: the short middle part every bar has).
enum class BarState { Tracker, Ascender, Descender, Full };

inline constexpr int kBarCount = 65;

// Paper geometry in inches, inside the postal service's tolerances: 22 bars
// to the inch (pitch 0.0455, 20 to 24 allowed), bars 0.020 wide (0.015 to
// 0.025), a full bar 0.145 high (0.125 to 0.165), the tracker 0.048 (0.039 to
// 0.057), ascenders and descenders reaching halfway between.
inline constexpr double kBarPitch = 1.0 / 22.0;
inline constexpr double kBarWidth = 0.020;
inline constexpr double kFullBarHeight = 0.145;
inline constexpr double kTrackerHeight = 0.048;
// The 65 bars from the first one's left edge to the last one's right edge.
inline constexpr double kBarcodeWidth = (kBarCount - 1) * kBarPitch + kBarWidth;
// Labels narrower than this cannot hold the barcode.
inline constexpr double kMinimumLabelWidth = 2.93;
inline constexpr const char* kLabelTooNarrowWarning =
    "This label is not wide enough for an \rIntelligent Mail barcode. At least 2.93 inches are needed";

// What goes into one barcode: digits only.
struct Fields {
    QString barcodeId;     // 2 digits, the second 0 to 4
    QString serviceType;   // 3 digits
    QString mailerId;      // 6 digits with a 9-digit serial, or 9 digits with a 6-digit serial
    QString serial;
    QString routing;       // 0, 5, 9 or 11 digits
};

// Empty when the fields can be coded, otherwise why not, in words the
// designer shows.
QString check(const Fields& fields);

// The 20-digit tracking code, or empty when the fields are refused.
QString trackingCode(const Fields& fields);

// The 65 bars from left to right, or an empty list when the fields are
// refused. tracking is 20 digits, routing 0, 5, 9 or 11.
QList<BarState> encode(const QString& tracking, const QString& routing);
QList<BarState> encode(const Fields& fields);

// The 11-bit frame check sequence of the 102-bit binary value, given as 13
// bytes, most significant first (the top two bits of the first byte unused).
unsigned frameCheckSequence(const unsigned char bytes[13]);

// Filled rectangles in inches, the first bar's left edge at origin.x() and
// the top of a full bar at origin.y().
QList<QRectF> barRects(const QList<BarState>& bars, QPointF origin);

// A serial number of `digits` digits from a start, counted up by `step`;
// wraps within its digits. Empty when start is not digits or too long.
QString serialNumber(const QString& start, qint64 step, int digits);

} // namespace qb::imb
