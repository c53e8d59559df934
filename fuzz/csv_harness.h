#pragma once
// What the csv fuzz target does with one input: the code detection over it as
// a file, then every record read as the detection says, then as UTF-8. Shared
// with the transfer tests, which replay its seeds and the inputs that once
// broke it. Returns the records read the first way.

#include <cstddef>
#include <cstdint>

namespace qb::fuzz {

size_t csvBytes(const uint8_t* data, size_t size);

} // namespace qb::fuzz
