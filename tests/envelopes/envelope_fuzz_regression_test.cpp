// Every seed of the envelope layout fuzzer and every input that once broke
// it, read through its harness: a read error or a layout that writes and
// reads back the same, never a crash.

#include "envelope_harness.h"

#include "design/class_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(EnvelopeLayoutFuzzInputs, ReadOrRefusedNeverBroken)
{
    design::registerAllClasses();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    int inputs = 0, read = 0;
    for (const QString& folder : {QStringLiteral(QB_FUZZ_SEEDS "/envelope"), QStringLiteral(QB_FUZZ_REGRESSIONS "/envelope")})
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(f.fileName().toStdString());
            read += fuzz::envelopeLayoutBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()),
                                              scratch.path());
            ++inputs;
        }
    EXPECT_GE(inputs, 2);
    EXPECT_GE(read, 1);   // at least one seed is a real envelope layout
}

} // namespace
} // namespace qb
