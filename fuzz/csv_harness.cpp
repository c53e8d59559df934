#include "csv_harness.h"

#include "transfer/csv_reader.h"
#include "transfer/transfer_error.h"

#include <fstream>
#include <string>
#include <unistd.h>

namespace qb::fuzz {

namespace {
void readAll(CsvReader& reader)
{
    CsvRecord r;
    try {
        while (reader.next(r)) {
        }
    } catch (const TransferError&) {
    }
}
} // namespace

void csvBytes(const uint8_t* data, size_t size)
{
    const std::string path = "/tmp/qbfuzz-" + std::to_string(::getpid()) + "-in.csv";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        const TextFileKind kind = detectTextEncoding(path);
        CsvReader reader(path, kind);
        readAll(reader);
    } catch (const TransferError&) {
    }
    CsvReader utf8 = CsvReader::fromText(std::string(reinterpret_cast<const char*>(data), size), {TextEncoding::Utf8, true});
    readAll(utf8);
}

} // namespace qb::fuzz
