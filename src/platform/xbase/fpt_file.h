#pragma once
// The .FPT memo file of a FoxPro table.
//
// Header, 512 bytes, big-endian: 0-3 the next free block, 6-7 the block size in
// bytes; the rest is free for the writing program. Block n starts at n * block
// size. Each memo starts a block with 4 bytes type (0 picture, 1 text, 2 object)
// and 4 bytes length, then the bytes, padded to whole blocks. A record holds the
// number of its memo's first block; 0 or blanks mean no memo.

#include "platform/xbase/file_io.h"

#include <cstdint>
#include <string>

namespace qb::xbase {

class FptFile {
public:
    explicit FptFile(File file);   // checks the header; throws XbaseError
    static FptFile create(const std::string& path, uint32_t blockSize);
    // An empty memo file in a new file, with other's block size and the rest
    // of other's header (bytes another program may keep there).
    static FptFile createLike(File file, const FptFile& other);

    const std::string& path() const { return file_.path(); }
    uint32_t blockSize() const { return blockSize_; }
    uint32_t nextFreeBlock() const { return nextFree_; }

    // The memo's bytes; throws XbaseError when the block lies outside the file.
    std::string read(uint32_t block) const;
    // Stores text in new blocks at the end, never over an older memo, so a
    // record keeps its memo whole until it is written with the new block;
    // returns the block to put in the record (0 for an empty text). Packing
    // the table leaves the old blocks behind.
    uint32_t write(std::string_view bytes);
    // Appends the memo at block of other (its type kept) to this file; returns
    // its new block. Throws XbaseError when the memo lies outside other.
    uint32_t copyFrom(const FptFile& other, uint32_t block);
    // Writes memos appended since the last call that are still held back
    // (copyFrom gathers them) and the header.
    void finishCopies();
    File& file() { return file_; }
    void sync() { file_.sync(); }
    // Takes the next free block another program sharing the file may have moved.
    void refresh();
    // Forgets every memo (zap).
    void clear();

private:
    void writeHeader();
    uint32_t append(uint32_t type, std::string_view bytes, bool holdBack);

    File file_;
    std::string heldBack_;   // blocks from copyFrom not yet written
    uint32_t blockSize_ = 64;
    uint32_t nextFree_ = 0;
};

} // namespace qb::xbase
