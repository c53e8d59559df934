#include "design/date_formats.h"

namespace qb::design {

QString dateTimeText(int dateFormat, int timeFormat, const QDateTime& when, const QLocale& locale)
{
    QString s;
    if (dateFormat == 1)
        s = locale.toString(when.date(), QLocale::ShortFormat);
    else if (dateFormat == 2)
        s = locale.toString(when.date(), QLocale::LongFormat);
    if (timeFormat == 1)
        s += QLatin1Char(' ') + locale.toString(when.time(), QLocale::ShortFormat);
    else if (timeFormat == 2)
        s += QLatin1Char(' ') + locale.toString(when.time(), QLocale::LongFormat);
    return s;
}

} // namespace qb::design
