#pragma once
// The .DBT memo file of a dBase III, dBase IV or Clipper table, read only.
//
// Header, 512 bytes, little-endian: 0-3 the next free block; dBase IV adds the
// block size in bytes at 20-21 (dBase III and Clipper blocks are always 512).
// Block n starts at n * block size. A record holds the number of its memo's
// first block as ten digits; 0 or blanks mean no memo.
//
// dBase III and Clipper memos are plain text running over as many blocks as
// they need, ended by 0x1A (written twice by most programs). dBase IV starts a
// memo with FF FF 08 00 and the memo's length, those 8 bytes included, as
// four bytes; the text follows.

#include "platform/xbase/file_io.h"

#include <cstdint>
#include <string>

namespace qb::xbase {

class DbtFile {
public:
    // Reads the header; dBaseIV selects the dBase IV block size (table versions
    // 0x8B and later), otherwise blocks are 512 bytes. Throws XbaseError.
    DbtFile(File file, bool dBaseIV);

    const std::string& path() const { return file_.path(); }
    uint32_t blockSize() const { return blockSize_; }

    // The memo's bytes without its end marker; throws XbaseError when the
    // block lies outside the file or a stored length runs past its end.
    std::string read(uint32_t block) const;

private:
    File file_;
    uint32_t blockSize_ = 512;
};

} // namespace qb::xbase
