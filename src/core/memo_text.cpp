#include "core/memo_text.h"

namespace qb {

namespace {
QString withLineFeeds(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}
} // namespace

int memoLength(const QString& text)
{
    const QString lf = withLineFeeds(text);
    return int(lf.size() + lf.count(QLatin1Char('\n')));
}

QString memoForStorage(const QString& editorText)
{
    QString lf = withLineFeeds(editorText);
    const int length = memoLength(lf);
    if (length > 0 && length % 4 == 0) {
        // A trailing line break ends the last line; it is not a line of its own.
        if (lf.endsWith(QLatin1Char('\n')))
            lf.insert(lf.size() - 1, QLatin1Char(' '));
        else
            lf.append(QLatin1Char(' '));
    }
    lf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lf;
}

QString memoForEditor(const QString& stored)
{
    return withLineFeeds(stored);
}

} // namespace qb
