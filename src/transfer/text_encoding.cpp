#include "transfer/text_encoding.h"

#include "transfer/transfer_error.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace qb {

namespace {

// The length of the UTF-8 sequence starting at p (at most n bytes there), or 0
// when it is not a valid one (overlong forms and surrogates included).
size_t sequenceLength(const unsigned char* p, size_t n)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return len;
}

uint32_t codePoint(const unsigned char* p, size_t len)
{
    if (len == 1)
        return p[0];
    uint32_t cp = p[0] & (0x7F >> len);
    for (size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (p[k] & 0x3F);
    return cp;
}

// The characters Windows-1252 puts at 0x80-0x9F.
bool in1252(uint32_t cp)
{
    static const uint16_t high[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
                                    0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
                                    0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return true;
    for (uint16_t h : high)
        if (h == cp)
            return true;
    return false;
}

bool controlCharacter(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f'; }

} // namespace

TextFileKind detectTextEncoding(const std::string& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f)
        throw TransferError(path + ": the file cannot be read");
    const auto notText = [&](uint64_t line) {
        return TransferError(path + " is not a text file (a control character on line " + std::to_string(line) + ")");
    };
    TextFileKind kind;
    std::vector<unsigned char> buffer(1 << 16);
    size_t carry = 0;   // the start of a character cut by the end of the last read
    // Whether the line being read is valid UTF-8 so far and has gone beyond ASCII.
    bool first = true, lineValid = true, lineBeyond = false, utf8Line = false, ended = false;
    uint64_t line = 1;
    for (;;) {
        const size_t got = std::fread(buffer.data() + carry, 1, buffer.size() - carry, f.get());
        if (std::ferror(f.get()))
            throw TransferError(path + ": the file cannot be read");
        const size_t n = carry + got;
        const bool last = std::feof(f.get()) != 0;
        size_t i = 0;
        carry = 0;
        if (first) {
            first = false;
            if (n >= 2 && ((buffer[0] == 0xFF && buffer[1] == 0xFE) || (buffer[0] == 0xFE && buffer[1] == 0xFF)))
                throw TransferError(path + " is UTF-16 text; save it as UTF-8 or Windows text (CSV) to import it");
            if (n >= 3 && buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF) {
                kind.byteOrderMark = true;
                i = 3;
            }
        }
        while (i < n) {
            const unsigned char c = buffer[i];
            if (c == 0x1A) {
                ended = true;   // the end marker old DOS programs wrote
                ++i;
                continue;
            }
            if (ended || controlCharacter(c))
                throw notText(line);
            if (c == '\n' || c == '\r') {
                utf8Line = utf8Line || (lineValid && lineBeyond);
                lineValid = true;
                lineBeyond = false;
                line += c == '\n';
            }
            if (c >= 0x80 && lineValid) {
                const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                if (!last && n - i < need) {
                    carry = n - i;
                    std::copy(buffer.begin() + ptrdiff_t(i), buffer.begin() + ptrdiff_t(n), buffer.begin());
                    break;
                }
                if (const size_t len = sequenceLength(&buffer[i], n - i)) {
                    lineBeyond = true;
                    i += len;
                    continue;
                }
                lineValid = false;
            }
            ++i;
        }
        if (last)
            break;
    }
    utf8Line = utf8Line || (lineValid && lineBeyond);
    kind.encoding = kind.byteOrderMark || utf8Line ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    return kind;
}

bool validUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = sequenceLength(p + i, bytes.size() - i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string charactersOutside1252(std::string_view utf8)
{
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t len = sequenceLength(p + i, utf8.size() - i);
        if (len == 0) {
            ++i;
            continue;
        }
        const std::string_view ch = utf8.substr(i, len);
        if (!in1252(codePoint(p + i, len)) && out.find(ch) == std::string::npos)
            out += ch;
        i += len;
    }
    return out;
}

size_t utf8Length(std::string_view utf8)
{
    size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

} // namespace qb
