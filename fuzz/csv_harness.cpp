#include "csv_harness.h"

#include "transfer/csv_reader.h"
#include "transfer/transfer_error.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace qb::fuzz {

namespace {
size_t readAll(CsvReader& reader)
{
    CsvRecord r;
    size_t records = 0;
    try {
        while (reader.next(r))
            ++records;
    } catch (const TransferError&) {
    }
    return records;
}
} // namespace

size_t csvBytes(const uint8_t* data, size_t size)
{
    size_t records = 0;
    const std::string path = "/tmp/qbfuzz-" + std::to_string(::getpid()) + "-in.csv";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        const TextFileKind kind = detectTextEncoding(path);
        CsvReader reader(path, kind);
        records = readAll(reader);
    } catch (const TransferError&) {
    }
    CsvReader utf8 = CsvReader::fromText(std::string(reinterpret_cast<const char*>(data), size), {TextEncoding::Utf8, true});
    readAll(utf8);
    std::remove(path.c_str());
    return records;
}

} // namespace qb::fuzz
