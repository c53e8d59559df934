#pragma once
// Table text is Windows-1252; the rest of the program speaks UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace qb::xbase {

std::string cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form become '?'.
std::string utf8ToCp1252(std::string_view utf8);
// Appends one code point as UTF-8.
void appendUtf8(std::string& out, uint32_t codePoint);

// Index keys and case-insensitive comparisons upper-case ASCII a-z only, so that
// our keys sort as those built by other xBase programs.
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
std::string asciiUpper(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace qb::xbase
