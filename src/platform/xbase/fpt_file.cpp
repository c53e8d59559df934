#include "platform/xbase/fpt_file.h"

#include <algorithm>
#include <vector>

namespace qb::xbase {

namespace {

constexpr uint32_t kHeaderSize = 512;

uint32_t be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
void putBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t firstBlock(uint32_t blockSize) { return (kHeaderSize + blockSize - 1) / blockSize; }
uint64_t blocksFor(uint64_t length, uint32_t blockSize) { return (length + 8 + blockSize - 1) / blockSize; }

// Block numbers are 32 bits. A file that ends past the last of them is full:
// cut to 32 bits, its end would name a block near the start, over old memos.
uint32_t blockAtMost(uint64_t block) { return block > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(block); }

} // namespace

FptFile::FptFile(File file) : file_(std::move(file))
{
    uint8_t head[8];
    file_.readAt(0, head, sizeof head, "the memo file header");
    nextFree_ = be32(head);
    blockSize_ = uint32_t(head[6] << 8 | head[7]);
    if (blockSize_ == 0)
        throw XbaseError(path(), "memo block size is 0");
    const uint64_t size = file_.size();
    // A next-free block short of the end would let new memos overwrite old ones;
    // one past the end is harmless. Both are put right when we write.
    const uint64_t endBlock = (size + blockSize_ - 1) / blockSize_;
    if (nextFree_ < firstBlock(blockSize_) || nextFree_ < endBlock)
        nextFree_ = blockAtMost(std::max<uint64_t>(endBlock, firstBlock(blockSize_)));
}

FptFile FptFile::create(const std::string& path, uint32_t blockSize)
{
    if (blockSize == 0 || blockSize > 65535)
        throw XbaseError(path, "bad memo block size " + std::to_string(blockSize));
    std::vector<uint8_t> head(kHeaderSize, 0);
    putBe32(head.data(), firstBlock(blockSize));
    head[6] = uint8_t(blockSize >> 8);
    head[7] = uint8_t(blockSize);
    File f(path, File::Mode::Create);
    f.truncate(0);
    f.writeAt(0, head.data(), head.size());
    uint64_t padded = uint64_t(firstBlock(blockSize)) * blockSize;
    if (padded > kHeaderSize)
        f.truncate(padded);
    return FptFile(std::move(f));
}

std::string FptFile::read(uint32_t block) const
{
    if (block == 0)
        return {};
    const uint64_t offset = uint64_t(block) * blockSize_;
    const uint64_t size = file_.size();
    if (offset < kHeaderSize || offset + 8 > size)
        throw DamageError(path(), "memo block " + std::to_string(block) + " lies outside the file");
    uint8_t head[8];
    file_.readAt(offset, head, sizeof head, "a memo block header");
    const uint64_t length = be32(head + 4);
    if (length > size - offset - 8)
        throw DamageError(path(), "memo at block " + std::to_string(block) + " runs past the end of the file");
    std::string text(length, '\0');
    file_.readAt(offset + 8, text.data(), length, "a memo");
    return text;
}

uint32_t FptFile::write(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    return append(1, bytes, false);
}

// Memos go out whole blocks at a time, so the file always ends on a block
// boundary. A copy is held back until about a megabyte is gathered.
uint32_t FptFile::append(uint32_t type, std::string_view bytes, bool holdBack)
{
    if (bytes.size() > 0x7FFFFFF0u)
        throw XbaseError(path(), "memo text is too long");
    const uint64_t blocks = blocksFor(bytes.size(), blockSize_);
    const uint32_t block = nextFree_;
    if (uint64_t(block) + blocks > 0xFFFFFFFFu)
        throw XbaseError(path(), "memo file is full");
    const size_t at = heldBack_.size();
    heldBack_.resize(at + size_t(blocks * blockSize_), '\0');
    auto* data = reinterpret_cast<uint8_t*>(heldBack_.data() + at);
    putBe32(data, type);
    putBe32(data + 4, uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), data + 8);
    nextFree_ = uint32_t(block + blocks);
    if (!holdBack || heldBack_.size() >= (1u << 20)) {
        const uint64_t first = uint64_t(nextFree_) * blockSize_ - heldBack_.size();
        std::string out;
        out.swap(heldBack_);
        try {
            file_.writeAt(first, out.data(), out.size());
            if (!holdBack)
                writeHeader();
        } catch (...) {
            // Nothing of this is referenced yet: the next memo goes where it began.
            nextFree_ = uint32_t(first / blockSize_);
            throw;
        }
    }
    return block;
}

uint32_t FptFile::copyFrom(const FptFile& other, uint32_t block)
{
    if (block == 0)
        return 0;
    uint8_t head[8];
    const uint64_t offset = uint64_t(block) * other.blockSize_;
    if (offset < kHeaderSize || offset + 8 > other.file_.size())
        throw DamageError(other.path(), "memo block " + std::to_string(block) + " lies outside the file");
    other.file_.readAt(offset, head, sizeof head, "a memo block header");
    const std::string bytes = other.read(block);
    return append(be32(head), bytes, true);
}

void FptFile::finishCopies()
{
    if (!heldBack_.empty()) {
        const uint64_t first = uint64_t(nextFree_) * blockSize_ - heldBack_.size();
        file_.writeAt(first, heldBack_.data(), heldBack_.size());
        heldBack_.clear();
    }
    writeHeader();
}

FptFile FptFile::createLike(File file, const FptFile& other)
{
    std::vector<uint8_t> head(kHeaderSize, 0);
    other.file_.readAt(0, head.data(), head.size(), "the memo file header");
    const uint32_t first = firstBlock(other.blockSize_);
    putBe32(head.data(), first);
    file.writeAt(0, head.data(), head.size());
    const uint64_t padded = uint64_t(first) * other.blockSize_;
    if (padded > kHeaderSize)
        file.truncate(padded);
    return FptFile(std::move(file));
}

void FptFile::refresh()
{
    uint8_t head[4];
    file_.readAt(0, head, sizeof head, "the memo file header");
    const uint64_t endBlock = (file_.size() + blockSize_ - 1) / blockSize_;
    nextFree_ = blockAtMost(std::max<uint64_t>({be32(head), endBlock, firstBlock(blockSize_)}));
}

void FptFile::clear()
{
    nextFree_ = firstBlock(blockSize_);
    file_.truncate(uint64_t(nextFree_) * blockSize_);
    writeHeader();
}

void FptFile::cutBack(uint32_t nextFree)
{
    if (nextFree < firstBlock(blockSize_) || nextFree >= nextFree_)
        return;
    nextFree_ = nextFree;
    file_.truncate(uint64_t(nextFree_) * blockSize_);
    writeHeader();
}

void FptFile::writeHeader()
{
    uint8_t head[4];
    putBe32(head, nextFree_);
    file_.writeAt(0, head, sizeof head);
}

} // namespace qb::xbase
