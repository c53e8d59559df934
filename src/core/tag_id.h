#pragma once
// The tag identifier: the mark written into a record's TAG field when it is
// tagged. It comes from the clock, so each tagging generation gets its own:
// the year minus 1995 in base 36, then the number whose decimal digits are
// "mmddhhnnss" (month, day, hour, minute, second) in base 36.

#include <QDateTime>
#include <QString>

namespace qb {

// value in the digits "0-9A-Z", six positions from 36^5 down to 36^0, leading
// zeros left out, so 0 gives the empty text. Values below 0 count as 0 and
// values above 36^6 - 1 as 36^6 - 1, so the result is never longer than six.
QString base36(qint64 value);

// The identifier for a clock reading. The time part always has six digits
// (January 1st already gives 0101000000 > 36^5), so the whole is six characters
// in 1995, seven until 2030 and eight from 2031: still within TAG's width.
// Years before 1995 count as 1995 and years after 3290 as 3290, keeping the
// year part to at most two digits. An invalid reading gives the empty text.
QString tagIdFor(const QDateTime& when);

// The identifier for the local time now.
QString newTagId();

} // namespace qb
