#pragma once
// Letter case the way index keys see it: a-z only, so accented letters and
// everything outside ASCII keep their case, as in indexes built elsewhere.

#include <QString>

namespace qb {

inline QString asciiUpper(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

} // namespace qb
