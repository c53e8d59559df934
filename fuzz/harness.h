#pragma once
// What each fuzz target does with one input. Shared with the regression test,
// which replays every input that once broke a reader.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qb::fuzz {

void tableBytes(const uint8_t* data, size_t size);
// A table, its memo file and its index opened for writing and changed.
void writableTableBytes(const uint8_t* data, size_t size);
void memoBytes(const uint8_t* data, size_t size);
void indexBytes(const uint8_t* data, size_t size);
void expressionBytes(const uint8_t* data, size_t size);

// Runs the harness named "dbf", "fpt", "cdx", "expr" or "write".
void run(const std::string& target, const uint8_t* data, size_t size);

} // namespace qb::fuzz
