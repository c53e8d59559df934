#pragma once
// The DOS code pages tables of DOS programs name in their header (byte 29:
// 0x01 for 437, the United States, 0x02 for 850, Western Europe).

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

enum class DosCodePage { None, Cp437, Cp850 };

// The DOS code page a table's code page mark names; None for any other mark
// (Windows-1252, 0x03, or none at all), whose text the engine reads itself.
DosCodePage dosCodePage(uint8_t mark);

// Bytes in a DOS code page as UTF-8.
std::string dosToUtf8(std::string_view bytes, DosCodePage page);

} // namespace qb
