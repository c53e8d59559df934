#include "mainwindow/date_selection.h"

namespace qb {

QDate storedDateValue(const QString& dateField)
{
    const QString digits = dateField.trimmed().left(8);
    if (digits.size() != 8)
        return {};
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    }
    return QDate(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.mid(6, 2).toInt());
}

QDate dateSelectorStart(const QString& dateField, const QDate& today)
{
    const QDate stored = storedDateValue(dateField);
    return stored.isValid() ? stored : today;
}

QString storedDateText(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

} // namespace qb
