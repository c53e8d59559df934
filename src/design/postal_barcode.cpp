#include "design/postal_barcode.h"

namespace qb::postnet {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QString asciiUpper(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

bool isWordChar(QChar c) { return isDigit(c) || (c >= u'A' && c <= u'Z'); }

// Military addresses have no house number to code. "APO" inside another word
// (CAPO, NAPOLI) is not one.
bool namesMilitaryPostOffice(const QString& upper)
{
    for (QLatin1StringView word : {QLatin1StringView("APO"), QLatin1StringView("FPO")}) {
        for (qsizetype at = upper.indexOf(word); at >= 0; at = upper.indexOf(word, at + 1)) {
            const bool startsWord = at == 0 || !isWordChar(upper[at - 1]);
            const qsizetype end = at + word.size();
            const bool endsWord = end == upper.size() || !isWordChar(upper[end]);
            if (startsWord && endsWord)
                return true;
        }
    }
    return false;
}

} // namespace

bool labelWideEnough(double labelWidthInches) { return labelWidthInches >= kMinimumLabelWidth; }

std::array<bool, 5> digitBars(int digit)
{
    static constexpr std::array<std::array<bool, 5>, 10> table{{
        {1, 1, 0, 0, 0}, {0, 0, 0, 1, 1}, {0, 0, 1, 0, 1}, {0, 0, 1, 1, 0}, {0, 1, 0, 0, 1},
        {0, 1, 0, 1, 0}, {0, 1, 1, 0, 0}, {1, 0, 0, 0, 1}, {1, 0, 0, 1, 0}, {1, 0, 1, 0, 0},
    }};
    return table.at(static_cast<size_t>(digit));
}

int checkDigit(const QString& digits)
{
    int sum = 0;
    for (QChar c : digits)
        if (isDigit(c))
            sum += c.unicode() - '0';
    return (10 - sum % 10) % 10;
}

QString deliveryPoint(const QString& address)
{
    const QString s = asciiUpper(address);
    QChar r[2] = {u' ', u' '};
    if (!s.isEmpty()) {
        if (namesMilitaryPostOffice(s))
            return QStringLiteral("99");
        bool units = false, tens = false, afterSlash = false, ordinal = false;
        for (qsizetype i = s.size() - 1; i >= 0; --i) {
            const QChar ch = s[i];
            const QString window = s.mid(i, 2);
            if (isDigit(ch)) {
                if (afterSlash || ordinal || (units && tens))
                    continue;
                if (units) {
                    r[0] = ch;
                    tens = true;
                } else {
                    r[1] = ch;
                    units = true;
                }
            } else if (ch == u' ') {
                if (units || tens)
                    break;
                afterSlash = false;
                ordinal = false;
            } else if (ch == u'/' && (units || tens)) {
                // Digits after a slash were a fraction such as 1/2.
                afterSlash = true;
                units = false;
                tens = false;
                r[0] = r[1] = u' ';
            } else if (units && !tens) {
                // A letter right before the last digit ends the number (12A).
                r[0] = u'0';
                tens = true;
            } else if (window == u"ST" || window == u"ND" || window == u"RD" || window == u"TH") {
                // The number of a street name such as 5TH is no house number.
                ordinal = true;
            }
        }
    }
    if (r[0] == u' ' && r[1] == u' ')
        return QStringLiteral("99");
    if (r[0] == u' ')
        r[0] = u'0';
    return QString(r, 2);
}

bool zipAccepted(const QString& zip)
{
    return zip.size() >= 5 && QString::compare(zip, u"00000") >= 0 && QString::compare(zip, u"99999-9999") <= 0;
}

QString dataDigits(const QString& zip, const QString& address, PostNetBarCodeType type)
{
    if (!zipAccepted(zip))
        return {};
    // The range test lets "1A345" through; a zip whose first five characters
    // are not all digits would be coded as some other zip.
    for (qsizetype i = 0; i < 5; ++i)
        if (!isDigit(zip[i]))
            return {};
    QString digits;
    for (QChar c : zip)
        if (isDigit(c))
            digits += c;
    const bool plusFour = digits.size() >= 9;
    switch (type) {
    case PostNetBarCodeType::pnbc5Digit:
        return digits.left(5);
    case PostNetBarCodeType::pnbc9Digit:
        return digits.left(plusFour ? 9 : 5);
    case PostNetBarCodeType::pnbc11Digit:
        return plusFour ? digits.left(9) + deliveryPoint(address) : digits.left(5);
    }
    return {};
}

QList<bool> bars(const QString& digits)
{
    QList<bool> out;
    if (digits.isEmpty())
        return out;
    out.reserve(2 + 5 * (digits.size() + 1));
    out << true;
    auto addDigit = [&out](int d) {
        for (bool full : digitBars(d))
            out << full;
    };
    for (QChar c : digits)
        if (isDigit(c))
            addDigit(c.unicode() - '0');
    addDigit(checkDigit(digits));
    out << true;
    return out;
}

QList<QRectF> barRects(const QList<bool>& bars, QPointF origin)
{
    QList<QRectF> out;
    out.reserve(bars.size());
    const double bottom = origin.y() + kFullBarHeight;
    double x = origin.x();
    for (bool full : bars) {
        const double top = full ? origin.y() : bottom - kHalfBarHeight;
        out << QRectF(QPointF(x, top), QPointF(x + kBarWidth, bottom));
        x += kBarPitch;
    }
    return out;
}

} // namespace qb::postnet

namespace qb {

QList<bool> PostNetBarCode::bars() const { return postnet::bars(digits()); }

QList<QRectF> PostNetBarCode::rects(QPointF origin) const { return postnet::barRects(bars(), origin); }

} // namespace qb
