#include "design/intelligent_mail.h"

#include <array>
#include <bit>

namespace qb::imb {

namespace {

// The binary value takes 102 bits.
__extension__ typedef unsigned __int128 Wide;

bool allDigits(const QString& s)
{
    for (const QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The characters of 13 bits with n of them set (5 for codewords 0-1286, 2 for
// 1287-1364), in the order the standard lists them: each pattern followed by
// its mirror image, the patterns that are their own mirror image filling the
// table from its end.
template <int N, int Length>
std::array<unsigned, Length> nOf13Table()
{
    std::array<unsigned, Length> table{};
    int lower = 0, upper = Length - 1;
    for (unsigned count = 0; count < 8192; ++count) {
        if (std::popcount(count) != N)
            continue;
        unsigned mirror = 0;
        for (int bit = 0; bit < 13; ++bit)
            if (count & (1u << bit))
                mirror |= 1u << (12 - bit);
        if (mirror < count)
            continue;
        if (mirror == count) {
            table[upper--] = count;
        } else {
            table[lower++] = count;
            table[lower++] = mirror;
        }
    }
    return table;
}

// Where each bit of the ten characters goes: for character c and bit b (0 the
// lowest), entry 13*c+b is the bar slot it sets, 1-65 the descender of bars
// 1-65 and 66-130 the ascender of bars 1-65.
constexpr std::array<int, 130> kBitSlot{
    67,  6,   78,  16,  86,  95,  34,  40,  45,  113, 117, 121, 62,  87,  18,  104, 41,  76,  57,  119, 115, 72,
    97,  2,   127, 26,  105, 35,  122, 52,  114, 7,   24,  82,  68,  63,  94,  44,  77,  112, 70,  100, 39,  30,
    107, 15,  125, 85,  10,  65,  54,  88,  20,  106, 46,  66,  8,   116, 29,  61,  99,  80,  90,  37,  123, 51,
    25,  84,  129, 56,  4,   109, 96,  28,  36,  47,  11,  71,  33,  102, 21,  9,   17,  49,  124, 79,  64,  91,
    42,  69,  53,  60,  14,  1,   27,  103, 126, 75,  89,  50,  120, 19,  32,  110, 92,  111, 130, 59,  31,  12,
    81,  43,  55,  5,   74,  22,  101, 128, 58,  118, 48,  108, 38,  98,  93,  23,  83,  13,  73,  3};

int digit(QChar c) { return c.unicode() - '0'; }

} // namespace

QString check(const Fields& f)
{
    if (f.barcodeId.size() != 2 || !allDigits(f.barcodeId))
        return QStringLiteral("The barcode identifier must be two digits.");
    if (digit(f.barcodeId[1]) > 4)
        return QStringLiteral("The second digit of the barcode identifier must be 0 to 4.");
    if (f.serviceType.size() != 3 || !allDigits(f.serviceType))
        return QStringLiteral("The service type must be three digits.");
    if ((f.mailerId.size() != 6 && f.mailerId.size() != 9) || !allDigits(f.mailerId))
        return QStringLiteral("The mailer identifier must be 6 or 9 digits.");
    // The first digit tells a reader the mailer identifier's length.
    if (f.mailerId.size() == 6 && f.mailerId[0] == QLatin1Char('9'))
        return QStringLiteral("A 6-digit mailer identifier must begin with 0 to 8; one beginning with 9 has 9 digits.");
    if (f.mailerId.size() == 9 && f.mailerId[0] != QLatin1Char('9'))
        return QStringLiteral("A 9-digit mailer identifier must begin with 9; one beginning with 0 to 8 has 6 digits.");
    const int serialDigits = f.mailerId.size() == 6 ? 9 : 6;
    if (f.serial.size() != serialDigits || !allDigits(f.serial))
        return QStringLiteral("With a %1-digit mailer identifier the serial number must be %2 digits.")
            .arg(f.mailerId.size())
            .arg(serialDigits);
    const int r = int(f.routing.size());
    if ((r != 0 && r != 5 && r != 9 && r != 11) || !allDigits(f.routing))
        return QStringLiteral("The routing code must be empty or a zip code of 5, 9 or 11 digits.");
    return {};
}

QString trackingCode(const Fields& f)
{
    return check(f).isEmpty() ? f.barcodeId + f.serviceType + f.mailerId + f.serial : QString();
}

unsigned frameCheckSequence(const unsigned char bytes[13])
{
    constexpr unsigned kPolynomial = 0x0F35;
    unsigned fcs = 0x07FF;
    const auto feed = [&](unsigned data, int bits) {
        for (int i = 0; i < bits; ++i) {
            fcs = ((fcs ^ data) & 0x400) ? (fcs << 1) ^ kPolynomial : fcs << 1;
            fcs &= 0x7FF;
            data <<= 1;
        }
    };
    // The first byte's two top bits are not part of the value.
    feed(unsigned(bytes[0]) << 5, 6);
    for (int i = 1; i < 13; ++i)
        feed(unsigned(bytes[i]) << 3, 8);
    return fcs;
}

QList<BarState> encode(const QString& tracking, const QString& routing)
{
    const int r = int(routing.size());
    if (tracking.size() != 20 || !allDigits(tracking) || digit(tracking[1]) > 4 || !allDigits(routing)
        || (r != 0 && r != 5 && r != 9 && r != 11))
        return {};

    // The routing code as a number, each length in a range of its own.
    Wide value = 0;
    for (const QChar c : routing)
        value = value * 10 + digit(c);
    if (r == 5)
        value += 1;
    else if (r == 9)
        value += 100000 + 1;
    else if (r == 11)
        value += 1000000000 + 100000 + 1;
    // Then the tracking code; the barcode identifier's second digit is base 5.
    value = value * 10 + digit(tracking[0]);
    value = value * 5 + digit(tracking[1]);
    for (int i = 2; i < 20; ++i)
        value = value * 10 + digit(tracking[i]);

    unsigned char bytes[13];
    for (int i = 12; i >= 0; --i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * (12 - i)));
    const unsigned fcs = frameCheckSequence(bytes);

    // Codeword J is base 636, I to A base 1365.
    std::array<unsigned, 10> codewords{};
    codewords[9] = unsigned(value % 636);
    value /= 636;
    for (int i = 8; i >= 0; --i) {
        codewords[i] = unsigned(value % 1365);
        value /= 1365;
    }
    // J carries the orientation, A the frame check sequence's top bit.
    codewords[9] *= 2;
    if (fcs & 0x400)
        codewords[0] += 659;

    static const auto fiveOf13 = nOf13Table<5, 1287>();
    static const auto twoOf13 = nOf13Table<2, 78>();
    std::array<unsigned, 10> characters{};
    for (int i = 0; i < 10; ++i) {
        characters[i] = codewords[i] < 1287 ? fiveOf13[codewords[i]] : twoOf13[codewords[i] - 1287];
        if (fcs & (1u << i))
            characters[i] = ~characters[i] & 0x1FFF;
    }

    std::array<bool, 130> set{};
    for (int c = 0; c < 10; ++c)
        for (int b = 0; b < 13; ++b)
            set[kBitSlot[13 * c + b] - 1] = (characters[c] >> b) & 1;
    QList<BarState> bars;
    bars.reserve(kBarCount);
    for (int i = 0; i < kBarCount; ++i) {
        const bool down = set[i], up = set[i + kBarCount];
        bars << (up && down ? BarState::Full : up ? BarState::Ascender : down ? BarState::Descender : BarState::Tracker);
    }
    return bars;
}

QList<BarState> encode(const Fields& fields)
{
    const QString tracking = trackingCode(fields);
    return tracking.isEmpty() ? QList<BarState>() : encode(tracking, fields.routing);
}

QList<QRectF> barRects(const QList<BarState>& bars, QPointF origin)
{
    // The tracker sits in the middle of the full bar's height.
    const double trackerTop = origin.y() + (kFullBarHeight - kTrackerHeight) / 2;
    const double trackerBottom = trackerTop + kTrackerHeight;
    const double bottom = origin.y() + kFullBarHeight;
    QList<QRectF> out;
    out.reserve(bars.size());
    for (int i = 0; i < bars.size(); ++i) {
        const BarState s = bars[i];
        const double top = s == BarState::Full || s == BarState::Ascender ? origin.y() : trackerTop;
        const double foot = s == BarState::Full || s == BarState::Descender ? bottom : trackerBottom;
        out << QRectF(origin.x() + i * kBarPitch, top, kBarWidth, foot - top);
    }
    return out;
}

QString serialNumber(const QString& start, qint64 step, int digits)
{
    if (start.isEmpty() || start.size() > digits || !allDigits(start) || digits > 18)
        return {};
    qint64 modulus = 1;
    for (int i = 0; i < digits; ++i)
        modulus *= 10;
    const qint64 n = ((start.toLongLong() + step % modulus) % modulus + modulus) % modulus;
    return QString::number(n).rightJustified(digits, QLatin1Char('0'));
}

} // namespace qb::imb
