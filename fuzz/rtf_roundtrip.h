#pragma once
// What the RTF fuzz target does with one input, shared with the test that
// replays the inputs that once broke it: read the bytes as RTF, lay the text
// out in pages, then write it, read what was written and write again, which
// must give the same RTF. Nothing may be lost in silence: every word of the
// input's text is in what was read, unless the reader said it left something
// out, and every word read is in what was written.

#include "platform/richtext/rich_text.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace qb::fuzz {

// The words (three or more ASCII letters) of an RTF text's document text,
// found without the reader: outside groups that begin with a destination,
// control words and escapes, and the characters \uN's fallback stands for.
inline QStringList rtfTextWords(const QString& rtf)
{
    struct Group {
        bool destination = false;
        int uc = 1;
    };
    std::vector<Group> groups{Group{}};
    QStringList words;
    QString word;
    int skip = 0;
    const auto endWord = [&] {
        if (word.size() >= 3)
            words << word;
        word.clear();
    };
    const auto letter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    qsizetype i = rtf.indexOf(QLatin1String("{\\rtf"));
    if (i < 0)
        return {};
    for (; i < rtf.size(); ++i) {
        const QChar c = rtf[i];
        if (c == QLatin1Char('{')) {
            endWord();
            skip = 0;
            groups.push_back(groups.back());
            continue;
        }
        if (c == QLatin1Char('}')) {
            endWord();
            skip = 0;
            if (groups.size() > 1)
                groups.pop_back();
            if (groups.size() == 1)
                break;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < rtf.size()) {
            endWord();
            const QChar n = rtf[i + 1];
            if (letter(n)) {
                qsizetype j = i + 1;
                while (j < rtf.size() && letter(rtf[j]))
                    ++j;
                const QString w = rtf.mid(i + 1, std::min<qsizetype>(j - i - 1, 32));
                if (j < rtf.size() && rtf[j] == QLatin1Char('-') && j + 1 < rtf.size() && rtf[j + 1].isDigit())
                    ++j;
                const qsizetype digits = j;
                while (j < rtf.size() && rtf[j] >= QLatin1Char('0') && rtf[j] <= QLatin1Char('9'))
                    ++j;
                const long long param = rtf.mid(digits, std::min<qsizetype>(j - digits, 9)).toLongLong();
                if (j < rtf.size() && rtf[j] == QLatin1Char(' '))
                    ++j;
                i = j - 1;
                if (w == QLatin1String("bin")) {
                    i += std::min<qsizetype>(qsizetype(std::max(0LL, param)), rtf.size() - 1 - i);
                    continue;
                }
                if (skip > 0) {
                    --skip;
                    continue;
                }
                // As in the reader, a destination's word makes the rest of its
                // group a destination wherever it stands.
                if (richtext::isDestinationWord(w))
                    groups.back().destination = true;
                if (w == QLatin1String("uc"))
                    groups.back().uc = int(std::clamp(param, 0LL, 16LL));
                if (w == QLatin1String("u"))
                    skip = groups.back().uc;
                continue;
            }
            ++i;
            if (n == QLatin1Char('*'))
                groups.back().destination = true;
            if (n == QLatin1Char('\'')) {
                int d = 0;
                for (; d < 2 && i + 1 < rtf.size() && isxdigit(rtf[i + 1].unicode() < 128 ? rtf[i + 1].unicode() : 0); ++d)
                    ++i;
                if (skip > 0 && d > 0)   // a \' without a digit is no character
                    --skip;
            }
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            continue;   // not text in RTF, within a word or between
        if (skip > 0) {
            --skip;
            endWord();
            continue;
        }
        if (!groups.back().destination && letter(c))
            word += c;
        else
            endWord();
    }
    endWord();
    return words;
}

// Empty when the input came through; otherwise what went wrong.
inline QString rtfRoundTrip(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString input = richtext::rtfFromBytes(bytes);
    richtext::RichText first;
    const richtext::RtfReadResult read = first.setRtf(input);
    (void)first.pageCount();
    const QString kept = first.document().toPlainText();
    if (read.wasRtf && read.complete && read.problem.isEmpty() && read.dropped.empty()) {
        for (const QString& w : rtfTextWords(input))
            if (!kept.contains(w))
                return QStringLiteral("the word \"%1\" was lost and nothing was said").arg(w);
    }
    const QString written = first.rtf();
    richtext::RichText second;
    const richtext::RtfReadResult r = second.setRtf(written);
    if (!r.complete || !r.wasRtf)
        return QStringLiteral("RTF we wrote did not read back cleanly: ") + r.problem;
    if (second.document().toPlainText() != kept)
        return QStringLiteral("the text we wrote reads back differently");
    if (second.rtf() != written)
        return QStringLiteral("RTF written, read and written again differs");
    return {};
}

inline void rtfBytes(const uint8_t* data, size_t size)
{
    const QString failure = rtfRoundTrip(data, size);
    if (!failure.isEmpty())
        qFatal("%s", qPrintable(failure));
}

} // namespace qb::fuzz
