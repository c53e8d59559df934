#pragma once
// What the RTF fuzz target does with one input, shared with the test that
// replays the inputs that once broke it: read the bytes as RTF, lay the text
// out in pages, then write it, read what was written and write again, which
// must give the same RTF.

#include "platform/richtext/rich_text.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace qb::fuzz {

inline void rtfBytes(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    richtext::RichText first;
    first.setRtf(richtext::rtfFromBytes(bytes));
    (void)first.pageCount();
    const QString written = first.rtf();
    richtext::RichText second;
    const richtext::RtfReadResult r = second.setRtf(written);
    if (!r.complete || !r.wasRtf)
        qFatal("RTF we wrote did not read back cleanly: %s", qPrintable(r.problem));
    if (second.rtf() != written)
        qFatal("RTF written, read and written again differs");
}

} // namespace qb::fuzz
