#include "dialer/dial_string.h"

namespace qb {
namespace {

bool dialable(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || QStringView(u"*#,W@!-() ").contains(c);
}

QString shown(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7f || !c.isPrint())
        return QStringLiteral("a control character");
    return QStringLiteral("\"") + c + QStringLiteral("\"");
}

// The number as the message shows it: control characters as '?'.
QString printable(QString s)
{
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    return s;
}

} // namespace

QString dialStringRefusal(const QString& s, int maxLength)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        // "+" stands for the international access code: the telephony
        // services take it, and so do modems that follow V.250; it only
        // begins a number.
        if (c == u'+') {
            if (!s.left(i).trimmed().isEmpty())
                return QStringLiteral("Unable to dial \"%1\": \"+\" only begins a number (an international call), "
                                      "with nothing dialled before it.")
                    .arg(printable(s));
            continue;
        }
        if (!dialable(c))
            return QStringLiteral("Unable to dial \"%1\": it holds %2, which a telephone cannot dial.\r\n"
                                  "A number may hold digits, blanks and * # , W @ ! - ( ) only, and begin with +.")
                .arg(printable(s), shown(c));
    }
    if (s.size() > maxLength)
        return QStringLiteral("Unable to dial \"%1\": it is %2 characters long, and at most %3 can be dialled.")
            .arg(s)
            .arg(s.size())
            .arg(maxLength);
    return {};
}

QString initStringRefusal(const QString& s)
{
    for (const QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return QStringLiteral("Unable to send the modem initialization string \"%1\": it holds %2.\r\n"
                                  "It may hold letters, digits and punctuation only.")
                .arg(printable(s), c.unicode() > 0x7e && c.isPrint() ? QStringLiteral("\"") + c + QStringLiteral("\"")
                                                          : QStringLiteral("a control character"));
    }
    return {};
}

} // namespace qb
