#pragma once
// Shared between the parts of the compound index: the open file with its page
// cache, one tag's tree, and the cursor over it.

#include "platform/xbase/cdx_file.h"
#include "platform/xbase/cdx_page.h"
#include "platform/xbase/file_io.h"

#include <array>
#include <mutex>
#include <unordered_map>

namespace qb::xbase::cdx {

class FileImpl;

struct Step {
    uint32_t page;
    size_t index;
};

class TagImpl final : public CdxTag {
public:
    TagImpl(FileImpl& file, uint32_t headerOffset, TagInfo info, uint32_t root);

    const TagInfo& info() const override { return info_; }
    void insert(std::span<const uint8_t> key, uint32_t recno) override;
    void remove(std::span<const uint8_t> key, uint32_t recno) override;
    std::unique_ptr<CdxCursor> cursor() override;
    void setKeyType(KeyType type) override;

    FileImpl& file() { return file_; }
    uint32_t headerOffset() const { return header_; }
    uint32_t root() const { return root_; }
    int keyLength() const { return info_.keyLength; }
    uint8_t pad() const { return pad_; }

    [[noreturn]] void fault(const std::string& what, uint32_t page) const;
    std::string where(uint32_t page) const;
    // Reads and decodes a node, throwing XbaseError when it is malformed.
    void readNode(uint32_t off, Node& out) const;
    // Walks from the root to a leaf, taking at each interior node the first entry
    // for which before(key, recno) is false. Without clamp, returns kNoPage when
    // every entry is before the target.
    template <class Before>
    uint32_t descend(Before before, bool clamp, std::vector<Step>* path) const;
    uint32_t edgeLeaf(bool leftmost) const;
    // Every page of the tree (bounded; faults stop the walk).
    void collectPages(std::vector<uint32_t>& out) const;
    // Gives the pages of the tree back and takes the tree written at root instead.
    void replaceTree(uint32_t root);

    std::vector<uint8_t> dirKey;   // this tag's key in the tag directory, as stored
    bool typeKnown = false;        // written by us, or set by the table

private:
    void writeNode(uint32_t off, const Node& n);
    void store(std::vector<Step>& path, size_t level, uint32_t off, Node& node);
    void storeShrunk(std::vector<Step>& path, size_t level, uint32_t off, Node& node);
    void updateParentMax(std::vector<Step>& path, size_t level, const Node& node);
    void setRoot(uint32_t off);
    void setSiblingLink(uint32_t page, bool leftLink, uint32_t value);

    FileImpl& file_;
    uint32_t header_;
    uint32_t root_;
    TagInfo info_;
    uint8_t pad_;
};

class FileImpl final : public CdxFile {
public:
    FileImpl(File file, bool readOnly, bool single = false);
    ~FileImpl() override;

    void load();                     // parses header and tag directory
    void initEmpty();                // writes a fresh header and empty directory
    void initSingle(const TagInfo& info);   // the header and empty root of a single-order index
    bool single() const override { return single_; }

    const std::string& path() const override { return file_.path(); }
    int tagCount() const override { return int(tags_.size()); }
    CdxTag* tagAt(int index) override;
    CdxTag* tag(std::string_view name) override;
    std::unique_ptr<CdxTagBuilder> buildTag(const TagInfo& info, size_t memoryBudget) override;
    void dropTag(std::string_view name) override;
    void removeAllTags() override;
    void flush() override;
    std::vector<std::string> check(int64_t recordCount) override;
    bool markedInChange() const override { return inChange_; }
    int64_t recordCountAtRest() const override { return countAtRest_; }
    void beginChange(bool sync) override;
    void endChange(uint32_t recordCount, bool sync) override;
    void sync() override { file_.sync(); }
    File& file() override { return file_; }
    void abandon() override;

    // Page access. The pointer stays valid until the next page call.
    const uint8_t* page(uint32_t off, const TagImpl* tag);
    uint8_t* writablePage(uint32_t off);
    // A decoded node shared by cursors; any write to the page discards it.
    std::shared_ptr<const Node> sharedNode(uint32_t off, const TagImpl& tag);
    void forgetDecoded() { decoded_.clear(); decodedBytes_ = 0; }
    uint32_t allocPage();
    void freePage(uint32_t off);
    uint64_t pageCount() const { return fileSize_ / kPageSize; }
    bool validPage(uint32_t off) const { return off % kPageSize == 0 && off >= kPageSize && uint64_t(off) + kPageSize <= fileSize_; }
    void requireWritable() const;
    [[noreturn]] void fail(const std::string& what) const;

    // Bulk writes of new pages at the end, past the cache.
    uint32_t reserveEnd(uint32_t pages);
    void writeRaw(uint32_t off, const uint8_t* data, size_t size);
    // Runs of new pages for builders writing trees at the same time: the only
    // calls that may overlap. takePages hands out up to `pages` consecutive pages
    // (fewer when it reuses a run another builder gave back) and sets `pages` to
    // the number given; givePages returns the unused end of a run.
    uint32_t takePages(uint32_t& pages);
    void givePages(uint32_t from, uint32_t end);
    // Puts runs given back but not taken again on the free list.
    void freeSpare();

    // Adds a tag whose tree is already written; replaces one of the same name.
    TagImpl* addTag(const TagInfo& info, uint32_t root);

private:
    struct Slot {
        std::array<uint8_t, kPageSize> data;
        bool dirty = false;
    };
    Slot& slot(uint32_t off, bool load);
    void markDirty(uint32_t off, Slot& s);
    void readAt(uint64_t off, uint8_t* buf, size_t size) const;
    TagImpl* loadTag(const std::string& name, uint32_t headerOffset);
    void dropTagPages(TagImpl& t);
    void checkTag(TagImpl& t, std::vector<uint8_t>& used, int64_t recordCount, std::vector<std::string>& out);
    void writeDirty(bool headerToo);
    void writeState(bool inChange, int64_t recordCount);

    File file_;
    bool readOnly_;
    bool single_;
    bool inChange_ = false;
    int64_t countAtRest_ = -1;
    std::mutex growMutex_;   // guards fileSize_ and spare_ while builders write trees
    uint64_t fileSize_ = 0;
    std::vector<std::pair<uint32_t, uint32_t>> spare_;   // [from, end) offsets
    uint32_t freeHead_ = 0;
    std::unordered_map<uint32_t, Slot> cache_;
    // Offsets of the dirty pages, so a flush after each post does not visit
    // the whole cache.
    std::vector<uint32_t> dirtyPages_;
    struct Decoded {
        int keyLength;
        uint8_t pad;
        std::shared_ptr<const Node> node;
    };
    std::unordered_map<uint32_t, Decoded> decoded_;
    size_t decodedBytes_ = 0;
    std::unique_ptr<TagImpl> dir_;
    std::vector<std::unique_ptr<TagImpl>> tags_;   // by header offset
};

// Padding byte of keys of a type: blank for character and logical keys, zero
// for the sortable doubles of numeric and date keys.
inline uint8_t padFor(KeyType t) { return t == KeyType::Numeric || t == KeyType::Date ? 0x00 : 0x20; }

template <class Before>
uint32_t TagImpl::descend(Before before, bool clamp, std::vector<Step>* path) const {
    const size_t kl = size_t(info_.keyLength);
    const uint64_t maxDepth = std::min<uint64_t>(64, file_.pageCount());
    uint32_t off = root_;
    for (uint64_t depth = 0;; ++depth) {
        if (depth > maxDepth) fault("loop between pages (the tree is deeper than the file allows)", off);
        const uint8_t* p = file_.page(off, this);
        uint16_t attr = le16(p);
        size_t n = le16(p + 2);
        if (attr > 3) fault("bad node attributes", off);
        if (attr & kAttrLeaf) return off;
        if (n == 0) fault("interior node without keys", off);
        if (n > interiorCapacity(info_.keyLength)) fault("key count overflows the node", off);
        size_t lo = 0, hi = n;
        while (lo < hi) {
            size_t mid = (lo + hi) / 2;
            const uint8_t* e = p + kInteriorHeader + mid * (kl + 8);
            if (before(e, be32(e + kl))) lo = mid + 1; else hi = mid;
        }
        if (lo == n) {
            if (!clamp) return kNoPage;
            lo = n - 1;
        }
        uint32_t child = be32(p + kInteriorHeader + lo * (kl + 8) + kl + 4);
        if (path) path->push_back({off, lo});
        off = child;
    }
}

} // namespace qb::xbase::cdx
