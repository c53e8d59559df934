// The RTF fuzz target's check on its seeds and on every input that once broke
// the reader.

#include "rtf_roundtrip.h"

#include <QDir>
#include <QFile>

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
        qb::fuzz::rtfBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
}
