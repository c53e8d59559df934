#include "core/tag_id.h"

#include <algorithm>

namespace qb {

namespace {
constexpr qint64 kSixDigits = qint64(36) * 36 * 36 * 36 * 36 * 36;
// Two base-36 digits for the year part keep the identifier within TAG's 8 characters.
constexpr int kLastYearOffset = 36 * 36 - 1;
} // namespace

QString base36(qint64 value)
{
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    value = std::clamp<qint64>(value, 0, kSixDigits - 1);
    QString out;
    for (qint64 position = kSixDigits / 36; position >= 1; position /= 36) {
        const int digit = int(value / position);
        value %= position;
        if (digit != 0 || !out.isEmpty())
            out += QLatin1Char(digits[digit]);
    }
    return out;
}

QString tagIdFor(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    const QDate d = when.date();
    const QTime t = when.time();
    const int yearOffset = std::clamp(d.year() - 1995, 0, kLastYearOffset);
    const qint64 mmddhhnnss = qint64(d.month()) * 100000000 + qint64(d.day()) * 1000000 + t.hour() * 10000 + t.minute() * 100 + t.second();
    return base36(yearOffset) + base36(mmddhhnnss);
}

QString newTagId() { return tagIdFor(QDateTime::currentDateTime()); }

} // namespace qb
