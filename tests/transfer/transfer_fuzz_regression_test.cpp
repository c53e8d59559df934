// The fuzzers' seeds and every input that once broke a reader, replayed
// through the fuzz targets' own harnesses.

#include "csv_harness.h"
#include "vcard_harness.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

// Runs each input of a target through its harness; the number of inputs and
// what the harness counted in them.
std::pair<size_t, size_t> replay(const char* target, size_t (*harness)(const uint8_t*, size_t))
{
    size_t files = 0, counted = 0;
    for (const QString& folder : {QStringLiteral(QB_FUZZ_SEEDS "/") + target, QStringLiteral(QB_FUZZ_REGRESSIONS "/") + target})
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << f.filePath().toStdString();
            const QByteArray bytes = file.readAll();
            counted += harness(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++files;
        }
    return {files, counted};
}

// The seeds are real files: most of their records and cards are read.
TEST(TransferFuzzInputs, CsvReaderTakesEach)
{
    const auto [files, records] = replay("csv", fuzz::csvBytes);
    EXPECT_GE(files, 5u);
    EXPECT_GE(records, 10u);
}

TEST(TransferFuzzInputs, VCardReaderTakesEach)
{
    const auto [files, cards] = replay("vcard", fuzz::vcardBytes);
    EXPECT_GE(files, 3u);
    EXPECT_GE(cards, 4u);
}

} // namespace
} // namespace qb
