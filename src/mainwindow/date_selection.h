#pragma once
// Dates between the record's DATE field ("yyyymmdd" text) and the date picker.

#include <QDate>
#include <QString>

namespace qb {

// The date DATE holds: its first eight characters as yyyymmdd. Blank or not a
// real date gives an invalid QDate.
QDate storedDateValue(const QString& dateField);

// Where the date picker starts: DATE's own value, or today when it holds none.
// The displayed date is never read back, since its pattern may not round-trip.
QDate dateSelectorStart(const QString& dateField, const QDate& today);

// The text stored in DATE for a date: yyyymmdd; empty for an invalid date.
QString storedDateText(const QDate& date);

} // namespace qb
