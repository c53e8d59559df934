#pragma once
// Writes a QTextDocument and its page layout as RTF that word processors and
// our own reader take back: 7-bit text, Windows-1252 characters as \'hh and
// everything else as \uN, lines ended by CR LF after each paragraph.

#include "platform/richtext/page_layout.h"

#include <QString>

class QTextDocument;

namespace qb::richtext {

QString writeRtf(const QTextDocument& document, const PageLayout& page);

// text as RTF text: braces and backslashes escaped, 7-bit.
QString rtfEscaped(QStringView text);

} // namespace qb::richtext
