#pragma once
// The date and time a date/time object shows, in the patterns of the system's
// regional settings.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qb::design {

// dateFormat: 0 none, 1 short, 2 long; timeFormat likewise. The time follows a
// blank, so a time without a date starts with one.
QString dateTimeText(int dateFormat, int timeFormat, const QDateTime& when, const QLocale& locale = QLocale::system());

} // namespace qb::design
