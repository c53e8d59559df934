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

    const std::string& path() const { return file_.path(); }
    uint32_t blockSize() const { return blockSize_; }
    uint32_t nextFreeBlock() const { return nextFree_; }

    // The memo's bytes; throws XbaseError when the block lies outside the file.
    std::string read(uint32_t block) const;
    // Stores text, in place when it fits the blocks the old memo had, otherwise
    // at the end; returns the block to put in the record (0 for an empty text).
    uint32_t write(uint32_t oldBlock, std::string_view bytes);
    // Takes the next free block another program sharing the file may have moved.
    void refresh();
    // Forgets every memo (zap).
    void clear();
    // Forgets the memos written from block nextFree on, which no record
    // refers to any more.
    void cutBack(uint32_t nextFree);

private:
    void writeHeader();

    File file_;
    uint32_t blockSize_ = 64;
    uint32_t nextFree_ = 0;
};

} // namespace qb::xbase
