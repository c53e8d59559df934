// The RTF fuzz target's check on its seeds and on every input that once broke
// the reader.

#include "rtf_roundtrip.h"

#include <QDir>
#include <QFile>

#include "qstring_print.h"

#include <gtest/gtest.h>

TEST(RtfFuzzRegressions, EveryKeptInputReadsAndRoundTrips)
{
    QStringList files;
    for (const char* folder : {QB_FUZZ_SEEDS "/rtf", QB_FUZZ_REGRESSIONS "/rtf"})
        for (const QFileInfo& f : QDir(QString::fromUtf8(folder)).entryInfoList(QDir::Files))
            files << f.filePath();
    ASSERT_GE(files.size(), 2);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(qb::fuzz::rtfRoundTrip(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
                  QString());
    }
}

// The fuzz target's own reading of an RTF text's words, which the reader's
// result is checked against.
TEST(RtfFuzzRegressions, TheWordsOfAnRtfText)
{
    struct Case {
        const char* rtf;
        const char* words;
    } cases[] = {
        {R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs24 Dear {\b friend},\par thanks})", "Dear friend thanks"},
        {R"({\rtf1 {\*\generator Writer}{\header Head}caf\'e9 na\u239?ve\uc2\u8364 xyzabc})", "caf zabc"},
        {R"({\rtf1 {\pict\pngblip abcdef}\bin3 xyzword} tail)", "word"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qb::fuzz::rtfTextWords(QString::fromLatin1(c.rtf)).join(' '), c.words) << c.rtf;

    // A text the reader lost without a word would be named.
    EXPECT_EQ(qb::fuzz::rtfRoundTrip(reinterpret_cast<const uint8_t*>("{\\rtf1 kept}"), 12), QString());
}
