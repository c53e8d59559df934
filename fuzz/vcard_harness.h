#pragma once
// What the vcard fuzz target does with one input: every card read and put
// into address fields. Shared with the transfer tests, which replay its seeds
// and the inputs that once broke it. Returns the cards read.

#include <cstddef>
#include <cstdint>

namespace qb::fuzz {

size_t vcardBytes(const uint8_t* data, size_t size);

} // namespace qb::fuzz
