// The fuzzers' seeds and every input that once broke a reader, replayed
// through the fuzz targets' own harnesses.

#include "csv_harness.h"
#include "vcard_harness.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

std::vector<QByteArray> inputs(const char* target)
{
    std::vector<QByteArray> out;
    for (const QString& folder : {QStringLiteral(QB_FUZZ_SEEDS "/") + target, QStringLiteral(QB_FUZZ_REGRESSIONS "/") + target})
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << f.filePath().toStdString();
            out.push_back(file.readAll());
        }
    return out;
}

TEST(TransferFuzzInputs, CsvReaderTakesEach)
{
    size_t records = 0;
    const auto all = inputs("csv");
    for (const QByteArray& bytes : all)
        records += fuzz::csvBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    EXPECT_GE(all.size(), 5u);
    EXPECT_GE(records, 10u);   // the seeds are real files
}

TEST(TransferFuzzInputs, VCardReaderTakesEach)
{
    size_t cards = 0;
    const auto all = inputs("vcard");
    for (const QByteArray& bytes : all)
        cards += fuzz::vcardBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    EXPECT_GE(all.size(), 3u);
    EXPECT_GE(cards, 4u);   // the seeds are real files
}

} // namespace
} // namespace qb
