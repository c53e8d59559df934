#include "envelopes/envelope_feed.h"

#include <cmath>

namespace qb {

namespace {
constexpr double mm(double v) { return v / 25.4; }
} // namespace

const std::vector<EnvelopeSize>& envelopeSizes()
{
    static const std::vector<EnvelopeSize> sizes = {
        {19, "Envelope #9 3 7/8 x 8 7/8 inches", 8.875, 3.875, "ENVELOPE #9 3 7/8 X 8 7/8 INCHES"},
        {20, "Envelope #10 4 1/8 x 9 1/2 inches", 9.5, 4.125, "ENVELOPE #10 4 1/8 X 9 1/2 INCHES"},
        {21, "Envelope #11 4 1/2 x 10 3/8 inches", 10.375, 4.5, "ENVELOPE #11 4 1/2 X 10 3/8 INCHES"},
        {22, "Envelope #12 4 3/4 x 11 inches", 11, 4.75, "ENVELOPE #12 4 3/4 X 11 INCHES"},
        {23, "Envelope #14 5 x 11 1/2 inches", 11.5, 5, "ENVELOPE #14 5 X 11 1/2 INCHES"},
        {27, "Envelope DL 110 x 220 mm", mm(220), mm(110), "ENVELOPE DL 110 X 220 MM"},
        {28, "Envelope C5 162 x 229 mm ", mm(229), mm(162), "ENVELOPE C5 162 X 229 MM"},
        {30, "Envelope C4  229 x 324 mm", mm(324), mm(229), "ENVELOPE C4  229 X 324 MM"},
        {31, "Envelope C6  114 x 162 mm", mm(162), mm(114), "ENVELOPE C6  114 X 162 MM"},
        {32, "Envelope C65 114 x 229 mm", mm(229), mm(114), "ENVELOPE C65 114 X 229 MM"},
        {33, "Envelope B4  250 x 353 mm", mm(353), mm(250), "ENVELOPE B4  250 X 353 MM"},
        {34, "Envelope B5  176 x 250 mm", mm(250), mm(176), "ENVELOPE B5  176 X 250 MM"},
        {35, "Envelope B6  176 x 125 mm", mm(125), mm(176), "ENVELOPE B6  176 X 125 MM"},
        {36, "Envelope 110 x 230 mm", mm(230), mm(110), "ENVELOPE 110 X 230 MM"},
        {37, "Envelope Monarch 3 7/8 x 7 1/2 inches", 7.5, 3.875, "ENVELOPE MONARCH 3 7/8 x 7 1/2 INCHES"},
        {38, "6 3/4 Envelope 3 5/8 x 6 1/2 inches", 6.5, 3.625, "6 3/4 ENVELOPE 3 5/8 X 6 1/2 INCHES"},
    };
    return sizes;
}

std::optional<EnvelopeSize> envelopeSize(int code)
{
    for (const EnvelopeSize& s : envelopeSizes())
        if (s.code == code)
            return s;
    return std::nullopt;
}

QString feedText(const EnvelopeFeed& f)
{
    QString t = f.position == kLeft    ? QStringLiteral("Position: Left\r\n")
                : f.position == kRight ? QStringLiteral("Position: Right\r\n")
                                       : QStringLiteral("Position: Center\r\n");
    t += f.orientation == kPortrait ? QStringLiteral("Orientation : Portrait\r\n")
                                    : QStringLiteral("Orientation : Landscape\r\n");
    if (f.clockWiseRotation)
        t += QStringLiteral("Clockwise Rotation\r\n");
    t += f.facing == kFaceDown ? QStringLiteral("Facing Down") : QStringLiteral("Facing Up");
    return t;
}

QPointF envelopePlacement(const EnvelopeFeed& f, double pw, double ph, double w, double h)
{
    // Tenths, truncated: a page the printer reports as 9.52 by 4.13 is a #10.
    if (std::trunc(pw * 10) == std::trunc(w * 10) && std::trunc(ph * 10) == std::trunc(h * 10))
        return {0, 0};
    double x = 0, y = 0;
    const bool up = f.facing != kFaceDown;
    if (f.orientation == kPortrait) {
        const double near = up ? 0 : pw - w, far = up ? pw - w : 0;
        x = f.position == kLeft ? near : f.position == kRight ? far : (pw - w) / 2;
    } else {
        x = f.clockWiseRotation ? 0 : pw - w;
        const double near = up ? 0 : ph - h, far = up ? ph - h : 0;
        y = f.position == kLeft ? near : f.position == kRight ? far : (ph - h) / 2;
    }
    return {std::max(0.0, x), std::max(0.0, y)};
}

bool paperMismatch(double w, double h, double pw, double ph)
{
    const auto hundredths = [](double v) { return static_cast<long>(std::trunc(v * 100)); };
    return std::labs(hundredths(w) - hundredths(pw)) > 100 || std::labs(hundredths(h) - hundredths(ph)) > 100;
}

} // namespace qb
