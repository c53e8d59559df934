#include "core/blanks.h"

namespace qb {

QString ltrimBlanks(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString rtrimBlanks(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString trimBlanks(const QString& s) { return ltrimBlanks(rtrimBlanks(s)); }

} // namespace qb
