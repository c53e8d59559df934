#pragma once
// What may be dialled. A dial string is the prefix and the number run
// together; it goes to a modem or the telephony service only when it holds
// nothing but what a modem dials or passes over (and a leading "+" for an
// international number), so a letter or a ';' in a
// record's phone field can never turn into a modem command, and a number too
// long is refused rather than cut.

#include <QString>

namespace qb {

// "DT" or "DP" and the number fill a modem's command line of 40 characters.
inline constexpr int kModemDialLength = 38;
// The telephony window's number field.
inline constexpr int kTelephonyDialLength = 30;

// Empty when s may be dialled; otherwise the message that says why not.
QString dialStringRefusal(const QString& s, int maxLength);

// Empty when the modem initialisation string may be sent (printable ASCII:
// a control character would end the command early and start another).
QString initStringRefusal(const QString& s);

} // namespace qb
