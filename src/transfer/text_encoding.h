#pragma once
// The code of a text file brought in for import. Spreadsheets save CSV either
// in the system's Windows code page or in UTF-8, the latter with or without a
// byte-order mark; the tables keep Windows-1252.

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

enum class TextEncoding { Windows1252, Utf8 };

struct TextFileKind {
    TextEncoding encoding = TextEncoding::Windows1252;
    bool byteOrderMark = false;   // the file starts with EF BB BF
};

// Reads the whole file once, a buffer at a time. A byte-order mark, or a line
// that is valid UTF-8 and holds at least one character beyond ASCII, makes a
// UTF-8 file (whose other lines are still read each by itself); anything else
// is Windows-1252. A file with a NUL or another control character
// (tab, line breaks, form feed and a closing 0x1A aside) is not text: throws
// TransferError naming the file and the line. So does one that cannot be read.
TextFileKind detectTextEncoding(const std::string& path);

// Whether bytes are valid UTF-8 from start to end.
bool validUtf8(std::string_view bytes);

// The characters of a UTF-8 text that Windows-1252 has no form for, each once,
// in the order they first appear.
std::string charactersOutside1252(std::string_view utf8);

// The number of characters of a UTF-8 text.
size_t utf8Length(std::string_view utf8);

} // namespace qb
