#include "platform/xbase/dbt_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qb::xbase {

namespace {

constexpr uint32_t kHeaderSize = 512;
// No memo of an address list comes near this; a pointer into garbage must not
// make us read a whole damaged file as one memo.
constexpr uint64_t kMaxMemo = 16u << 20;

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

} // namespace

DbtFile::DbtFile(File file, bool dBaseIV) : file_(std::move(file))
{
    uint8_t head[22] = {};
    if (file_.readSome(0, head, sizeof head) < 4)
        throw XbaseError(path(), "memo file header is cut short");
    if (dBaseIV) {
        const uint32_t size = uint32_t(head[20] | (head[21] << 8));
        // Writers that leave the field empty use the dBase III size.
        if (size != 0) {
            if (size < 64 || size % 64 != 0)
                throw XbaseError(path(), "bad memo block size " + std::to_string(size));
            blockSize_ = size;
        }
    }
}

std::string DbtFile::read(uint32_t block) const
{
    if (block == 0)
        return {};
    const uint64_t offset = uint64_t(block) * blockSize_;
    const uint64_t size = file_.size();
    if (offset < kHeaderSize || offset >= size)
        throw XbaseError(path(), "memo block " + std::to_string(block) + " lies outside the file");

    uint8_t head[8] = {};
    const size_t got = file_.readSome(offset, head, sizeof head);
    if (got == sizeof head && head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
        const uint64_t length = le32(head + 4);
        if (length < 8 || length - 8 > size - offset - 8)
            throw XbaseError(path(), "memo at block " + std::to_string(block) + " runs past the end of the file");
        if (length - 8 > kMaxMemo)
            throw XbaseError(path(), "memo at block " + std::to_string(block) + " is longer than any memo we read");
        std::string text(size_t(length - 8), '\0');
        file_.readAt(offset + 8, text.data(), text.size(), "a memo");
        return text;
    }

    // Plain text up to the end marker, or up to the end of the file when a
    // writer left the marker off the last memo.
    std::string text;
    std::vector<char> chunk(blockSize_);
    for (uint64_t at = offset; at < size; at += chunk.size()) {
        const size_t n = file_.readSome(at, chunk.data(), size_t(std::min<uint64_t>(chunk.size(), size - at)));
        const auto end = std::find(chunk.begin(), chunk.begin() + ptrdiff_t(n), '\x1A');
        text.append(chunk.begin(), end);
        if (end != chunk.begin() + ptrdiff_t(n) || n == 0)
            break;
        if (text.size() > kMaxMemo)
            throw XbaseError(path(), "memo at block " + std::to_string(block) + " has no end marker");
    }
    return text;
}

} // namespace qb::xbase
