#pragma once
// The compound index (.CDX) of a table: named tags, each a B-tree of keys in the
// compact format of FoxPro. The table evaluates key expressions; this file only
// knows keys as bytes of a fixed length and the record numbers they point to.

#include "platform/xbase/error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qb::xbase {

enum class KeyType : char { Character = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

struct TagInfo {
    std::string name;        // upper case, at most 10 characters
    std::string keyExpr;     // as stored
    std::string forExpr;     // empty: no condition
    KeyType keyType = KeyType::Character;
    int keyLength = 0;
    bool descending = false;
    bool unique = false;
};

// Percentage callback for long operations (0..100).
using Progress = std::function<void(int percent)>;

class CdxTag;

// Walks one tag in key order. Any insert or remove on the tag leaves cursors
// invalid; reposition them with seekExact.
class CdxCursor {
public:
    virtual ~CdxCursor() = default;
    virtual bool first() = 0;
    virtual bool last() = 0;
    virtual bool next() = 0;       // false and invalid past the last key
    virtual bool prev() = 0;       // false and invalid before the first key
    // Positions at the first key whose first prefix.size() bytes are >= prefix
    // (ascending order). Returns whether a key is there at all.
    virtual bool seek(std::span<const uint8_t> prefix) = 0;
    // Positions at exactly (key, recno); false when that entry does not exist.
    virtual bool seekExact(std::span<const uint8_t> key, uint32_t recno) = 0;
    virtual bool valid() const = 0;
    virtual std::span<const uint8_t> key() const = 0;  // keyLength bytes, padding restored
    virtual uint32_t recno() const = 0;
    // The record numbers of the leaf the cursor stands in, and the cursor's place
    // among them, so a walk can fetch the records it visits next ahead of time.
    virtual std::span<const uint32_t> leafRecnos(size_t& position) const = 0;
};

class CdxTag {
public:
    virtual ~CdxTag() = default;
    virtual const TagInfo& info() const = 0;
    virtual void insert(std::span<const uint8_t> key, uint32_t recno) = 0;
    virtual void remove(std::span<const uint8_t> key, uint32_t recno) = 0;   // no-op if absent
    virtual std::unique_ptr<CdxCursor> cursor() = 0;
    // Corrects the key type of a tag written by another engine, which the file
    // does not record and info() only guesses. It decides the byte that restores
    // compressed trailing key bytes (blank, or zero for numeric and date keys).
    // Nothing is written.
    virtual void setKeyType(KeyType type) = 0;
};

// Builds a tag from keys given in any order, sorting in runs bounded by the
// memory budget (spilled to a temporary file beside the index when needed).
// The budget bounds the keys held between sorts; sorting a run takes a passing
// copy of its entries (16 bytes a key, less than the budget) on top.
class CdxTagBuilder {
public:
    virtual ~CdxTagBuilder() = default;
    virtual void add(std::span<const uint8_t> key, uint32_t recno) = 0;
    // Sorts the keys and writes the tree into the index, where nothing sees it
    // yet. Builders of one index may do this at the same time on different
    // threads, as long as nothing else uses the index meanwhile. Optional:
    // finish() does it when it has not been done.
    virtual void build(const Progress& progress = {}) = 0;
    // Adds the tag to the index and replaces any tag of the same name. Tags
    // are listed in the order they finish.
    virtual CdxTag* finish(const Progress& progress = {}) = 0;
};

class File;

class CdxFile {
public:
    virtual ~CdxFile() = default;

    // Throws XbaseError naming the file and the fault for anything unreadable.
    static std::unique_ptr<CdxFile> open(const std::string& path, bool readOnly);
    static std::unique_ptr<CdxFile> open(File file, bool readOnly);
    // A new empty compound index (an existing file is emptied).
    static std::unique_ptr<CdxFile> create(const std::string& path);
    // A new empty compound index in a new file (see File::nameless).
    static std::unique_ptr<CdxFile> create(File file);
    // A single-order index (.IDX in the compact format): one tag whose header
    // is the file's own, named after the file. openSingle refuses a compound
    // index, open a single-order one.
    static std::unique_ptr<CdxFile> openSingle(const std::string& path, bool readOnly);
    // A new one holding no keys (an existing file is replaced).
    static std::unique_ptr<CdxFile> createSingle(const std::string& path, const TagInfo& info);
    virtual bool single() const = 0;

    virtual const std::string& path() const = 0;
    virtual int tagCount() const = 0;
    virtual CdxTag* tagAt(int index) = 0;               // in creation order (by header page offset)
    virtual CdxTag* tag(std::string_view name) = 0;     // any case; nullptr when missing
    // In a single-order index the builder makes its one tag anew (info is not
    // used): the keys given replace those it held.
    virtual std::unique_ptr<CdxTagBuilder> buildTag(const TagInfo& info, size_t memoryBudget = 32u << 20) = 0;
    virtual void dropTag(std::string_view name) = 0;
    virtual void removeAllTags() = 0;
    // Writes cached pages; the header page, which lists free pages, goes last.
    virtual void flush() = 0;

    // The mark in the header while a change is written. beginChange writes it
    // (and waits for the disk with sync) before any page of the change;
    // endChange writes every page, waits for the disk (sync), and then the
    // header without the mark and with the table's record count. An index
    // found marked, or made for another count, is not to be trusted.
    virtual bool markedInChange() const = 0;
    // The record count of the table when the index was last left whole; -1
    // when the file does not say (written by another engine).
    virtual int64_t recordCountAtRest() const = 0;
    virtual void beginChange(bool sync) = 0;
    virtual void endChange(uint32_t recordCount, bool sync) = 0;
    virtual void sync() = 0;
    virtual File& file() = 0;
    // Drops cached changes unwritten: the file keeps its mark.
    virtual void abandon() = 0;

    // Structural check: every fault found, described with tag and page; empty when sound.
    // With recordCount given, also that each tag holds exactly one key per record 1..recordCount.
    virtual std::vector<std::string> check(int64_t recordCount = -1) = 0;
};

// Fuzzing entry: treats the bytes as an index file, opens it read-only, walks
// every tag both ways and checks it. Faults of the file are caught; anything
// else escaping is a bug.
void fuzzCdxBytes(const uint8_t* data, size_t size);

} // namespace qb::xbase
