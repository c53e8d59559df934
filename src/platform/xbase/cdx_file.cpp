// The compound index file (.CDX) as a whole.
//
// Bytes 0..1023 are the file header, laid out like every tag header:
//   0 root page (u32 LE), 4 first free page (u32 LE, 0 for none; each free page
//   holds the next one in its first four bytes), 8 change counter, 12 key length
//   (u16), 14 options (0x01 unique, 0x08 FOR condition, 0x20 compact, 0x40
//   compound, 0x80 tag directory), 15 signature (1), 16 header length (u16, 1024),
//   18 page length (u16, 512), 24 "QB" and the key type letter when we wrote the
//   tag, 502 descending (u16), 504/506 offset and length of the FOR expression in
//   the pool, 508/510 offset and length of the key expression, 512..1023 the
//   expression pool (NUL-terminated strings).
// In the file header only, bytes 28..35 are ours: "QB", a flags byte (0x01:
// in change, a post or rebuild is writing the index), a zero, and the record
// count (u32 LE) of the table when the index was last left whole. Other
// engines leave these bytes zero: the published layout calls them reserved,
// and neither python-dbf (no compound indexes at all) nor Perl's XBase (reads
// them, never writes them) puts anything there. One that appends records and
// keeps the index up to date leaves our count behind; the table checks such
// an index's keys before it calls it stale.
// The file header's tree is the tag directory: tag names (blank padded to the
// key length) mapped, as record numbers, to the offset of each tag's 1024-byte
// header. Each tag header's root leads to that tag's tree of 512-byte nodes.
//
// A single-order index (.IDX) is one such tag in a file of its own: its
// 1024-byte header at offset 0 is the tag header (options without 0x40), there
// is no directory, and the tag takes the file's name.
#include "platform/xbase/cdx_internal.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::xbase {

using namespace cdx;

namespace {

constexpr size_t kCachePages = 16384;   // 8 MB of pages before write-back
constexpr int kDirectoryKeyLength = 10;
constexpr uint8_t kOptUnique = 0x01, kOptFor = 0x08, kOptCompact = 0x20, kOptCompound = 0x40, kOptDirectory = 0x80;
constexpr uint32_t kFirstDirectoryRoot = 1024;

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return r;
}

std::string poolString(const uint8_t* pool, size_t pos, size_t len) {
    if (pos >= 512) return {};
    size_t end = std::min<size_t>(512, len ? pos + len : 512);
    size_t i = pos;
    while (i < end && pool[i] != 0) ++i;
    return std::string(reinterpret_cast<const char*>(pool + pos), i - pos);
}

void writeHeader(uint8_t* h, const TagInfo& info, uint32_t root, bool directory, bool single = false) {
    std::memset(h, 0, 1024);
    put32(h, root);
    put16(h + 12, uint16_t(info.keyLength));
    h[14] = uint8_t(kOptCompact | (single ? 0 : kOptCompound) | (directory ? kOptDirectory : 0) | (info.unique ? kOptUnique : 0) |
                    (info.forExpr.empty() ? 0 : kOptFor));
    h[15] = 1;
    put16(h + 16, 1024);
    put16(h + 18, 512);
    if (!directory) {
        h[24] = 'Q';
        h[25] = 'B';
        h[26] = uint8_t(info.keyType);
    }
    put16(h + 502, info.descending ? 1 : 0);
    size_t keyLen = info.keyExpr.size() + 1;
    put16(h + 504, uint16_t(keyLen));
    put16(h + 506, uint16_t(info.forExpr.size() + 1));
    put16(h + 508, 0);
    put16(h + 510, uint16_t(keyLen));
    std::memcpy(h + 512, info.keyExpr.data(), info.keyExpr.size());
    std::memcpy(h + 512 + keyLen, info.forExpr.data(), info.forExpr.size());
}

// A single-order index's tag is named after its file, as the order it gives.
std::string singleName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return upper(name);
}

double decodeDoubleKey(const uint8_t* k) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | k[i];
    v = (v >> 63) ? v & ~(uint64_t(1) << 63) : ~v;
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

// Other engines do not record the key type; guess it from the expression and
// the first and last keys. The table layer corrects it from the expression type.
KeyType guessKeyType(TagImpl& t) {
    const TagInfo& info = t.info();
    const std::string e = upper(info.keyExpr);
    static const char* const charMarks[] = {"UPPER(", "LOWER(", "STR(", "DTOS(", "DTOC(", "LEFT(", "RIGHT(", "SUBSTR(",
                                            "TRIM(", "PADR(", "PADL(", "CHR(", "TTOC(", "SYS(", "\"", "'", "["};
    for (const char* m : charMarks)
        if (e.find(m) != std::string::npos) return KeyType::Character;
    if (info.keyLength != 1 && info.keyLength != 8) return KeyType::Character;
    std::vector<std::vector<uint8_t>> samples;
    try {
        auto c = t.cursor();
        if (c->first()) samples.emplace_back(c->key().begin(), c->key().end());
        if (c->last()) samples.emplace_back(c->key().begin(), c->key().end());
    } catch (const XbaseError&) {
    }
    if (info.keyLength == 1) {
        if (e.starts_with("!") || e.starts_with(".NOT.") || e.starts_with("NOT ") || e.find("DELETED()") != std::string::npos)
            return KeyType::Logical;
        bool logical = !samples.empty();
        for (auto& s : samples) logical = logical && (s[0] == 'T' || s[0] == 'F');
        return logical ? KeyType::Logical : KeyType::Character;
    }
    if (samples.empty()) return KeyType::Character;
    for (auto& s : samples)
        if (s[0] >= 0x20 && s[0] < 0x80) return KeyType::Character;
    if (e.find("DATE") != std::string::npos || e.find("CTOD(") != std::string::npos) return KeyType::Date;
    bool julian = true;
    for (auto& s : samples) {
        double d = decodeDoubleKey(s.data());
        julian = julian && (d == 0 || (d == std::floor(d) && d >= 1721426 && d <= 5373484));
    }
    return julian ? KeyType::Date : KeyType::Numeric;
}

} // namespace

namespace cdx {

FileImpl::FileImpl(File file, bool readOnly, bool single) : file_(std::move(file)), readOnly_(readOnly), single_(single) {}

FileImpl::~FileImpl() {
    try {
        flush();
    } catch (...) {
    }
}

void FileImpl::fail(const std::string& what) const { throw XbaseError(path(), what); }

void FileImpl::requireWritable() const {
    if (readOnly_) fail("index opened read-only");
}

void FileImpl::readAt(uint64_t off, uint8_t* buf, size_t size) const {
    const size_t done = file_.readSome(off, buf, size);
    std::memset(buf + done, 0, size - done);
}

void FileImpl::writeRaw(uint32_t off, const uint8_t* data, size_t size) { file_.writeAt(off, data, size); }

FileImpl::Slot& FileImpl::slot(uint32_t off, bool load) {
    auto it = cache_.find(off);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kCachePages) {
        flush();
        cache_.clear();
    }
    Slot& s = cache_[off];
    if (load) readAt(off, s.data.data(), kPageSize);
    else s.data.fill(0);
    return s;
}

const uint8_t* FileImpl::page(uint32_t off, const TagImpl* tag) {
    if (!validPage(off)) {
        std::string what = off % kPageSize ? "page offset not on a 512-byte boundary" : "page outside the file";
        if (tag) tag->fault(what, off);
        fail(what + ", page at offset " + std::to_string(off));
    }
    return slot(off, true).data.data();
}

std::shared_ptr<const Node> FileImpl::sharedNode(uint32_t off, const TagImpl& tag) {
    auto it = decoded_.find(off);
    if (it != decoded_.end() && it->second.keyLength == tag.keyLength() && it->second.pad == tag.pad()) return it->second.node;
    auto n = std::make_shared<Node>();
    tag.readNode(off, *n);
    // Bounded by bytes: nodes of long keys decode to much more than a page.
    if (decodedBytes_ > (16u << 20)) forgetDecoded();
    decodedBytes_ += n->keys.size() + 64;
    decoded_[off] = {tag.keyLength(), tag.pad(), n};
    return n;
}

uint8_t* FileImpl::writablePage(uint32_t off) {
    requireWritable();
    decoded_.erase(off);
    if (off != 0 && !validPage(off)) fail("write outside the file, page at offset " + std::to_string(off));
    Slot& s = slot(off, true);
    markDirty(off, s);
    return s.data.data();
}

uint32_t FileImpl::allocPage() {
    requireWritable();
    uint32_t off;
    if (freeHead_ != 0 && validPage(freeHead_)) {
        off = freeHead_;
        uint32_t next = le32(page(off, nullptr));
        freeHead_ = (next == off || !validPage(next)) ? 0 : next;
    } else {
        // Offsets are 32 bits: a page past them would wrap round to the header.
        if (fileSize_ + kPageSize > 0xFFFFFE00u) fail("index would grow beyond 4 GB");
        off = uint32_t(fileSize_);
        fileSize_ += kPageSize;
    }
    decoded_.erase(off);
    Slot& s = slot(off, false);
    s.data.fill(0);
    markDirty(off, s);
    put32(writablePage(0) + 4, freeHead_);
    return off;
}

void FileImpl::freePage(uint32_t off) {
    uint8_t* p = writablePage(off);
    std::memset(p, 0, kPageSize);
    put32(p, freeHead_);
    freeHead_ = off;
    put32(writablePage(0) + 4, freeHead_);
}

uint32_t FileImpl::reserveEnd(uint32_t pages) {
    requireWritable();
    std::lock_guard lock(growMutex_);
    if (fileSize_ + uint64_t(pages) * kPageSize > 0xFFFFFE00u) fail("index would grow beyond 4 GB");
    uint32_t off = uint32_t(fileSize_);
    fileSize_ += uint64_t(pages) * kPageSize;
    return off;
}

uint32_t FileImpl::takePages(uint32_t& pages) {
    {
        std::lock_guard lock(growMutex_);
        if (!spare_.empty()) {
            auto& [from, end] = spare_.back();
            uint32_t off = from;
            pages = std::min(pages, (end - from) / kPageSize);
            from += pages * kPageSize;
            if (from == end) spare_.pop_back();
            return off;
        }
    }
    return reserveEnd(pages);
}

void FileImpl::givePages(uint32_t from, uint32_t end) {
    if (from >= end) return;
    std::lock_guard lock(growMutex_);
    spare_.push_back({from, end});
    // Runs that end the file shrink it instead, so a builder working alone
    // leaves no gap before whatever is written next.
    for (bool shrunk = true; shrunk;) {
        shrunk = false;
        for (size_t i = 0; i < spare_.size(); ++i) {
            if (spare_[i].second != fileSize_) continue;
            fileSize_ = spare_[i].first;
            spare_.erase(spare_.begin() + ptrdiff_t(i));
            shrunk = true;
            break;
        }
    }
}

void FileImpl::freeSpare() {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    {
        std::lock_guard lock(growMutex_);
        runs.swap(spare_);
    }
    for (auto [from, end] : runs)
        for (uint32_t off = from; off < end; off += kPageSize) freePage(off);
}

void FileImpl::markDirty(uint32_t off, Slot& s) {
    if (!s.dirty) dirtyPages_.push_back(off);
    s.dirty = true;
}

void FileImpl::flush() {
    if (readOnly_) return;
    writeDirty(true);
}

// Pages in offset order, the header page last: it lists the free pages, and
// must not name one free before the page that freed it is on the disk. A
// failed write leaves the pages not yet written listed as dirty.
void FileImpl::writeDirty(bool headerToo) {
    std::vector<uint32_t> dirty;
    dirty.swap(dirtyPages_);
    std::sort(dirty.begin(), dirty.end());
    if (!dirty.empty() && dirty.front() == 0) {
        dirty.erase(dirty.begin());
        dirty.push_back(0);
    }
    size_t i = 0;
    try {
        for (; i < dirty.size(); ++i) {
            const uint32_t off = dirty[i];
            auto it = cache_.find(off);
            if (it == cache_.end() || !it->second.dirty) continue;
            if (off == 0 && !headerToo) {
                dirtyPages_.push_back(0);
                continue;
            }
            writeRaw(off, it->second.data.data(), kPageSize);
            it->second.dirty = false;
        }
    } catch (...) {
        dirtyPages_.insert(dirtyPages_.end(), dirty.begin() + ptrdiff_t(i), dirty.end());
        throw;
    }
}

void FileImpl::writeState(bool inChange, int64_t recordCount) {
    uint8_t* h = writablePage(0);
    h[28] = 'Q';
    h[29] = 'B';
    h[30] = inChange ? 0x01 : 0x00;
    h[31] = 0;
    put32(h + 32, recordCount < 0 ? 0 : uint32_t(recordCount));
    inChange_ = inChange;
    countAtRest_ = recordCount;
}

void FileImpl::beginChange(bool sync) {
    requireWritable();
    if (inChange_) return;
    writeState(true, countAtRest_);
    // The mark goes out alone, ahead of every page it covers.
    writeRaw(0, slot(0, true).data.data(), kPageSize);
    cache_[0].dirty = false;
    if (sync) file_.sync();
}

void FileImpl::endChange(uint32_t recordCount, bool sync) {
    requireWritable();
    writeDirty(false);
    if (sync) file_.sync();
    writeState(false, recordCount);
    writeDirty(true);
}

void FileImpl::abandon() {
    cache_.clear();
    dirtyPages_.clear();
    forgetDecoded();
}

void FileImpl::initEmpty() {
    cache_.clear();
    dirtyPages_.clear();
    forgetDecoded();
    tags_.clear();
    spare_.clear();
    file_.truncate(0);
    TagInfo dinfo;
    dinfo.keyLength = kDirectoryKeyLength;
    uint8_t buf[1536];
    writeHeader(buf, dinfo, kFirstDirectoryRoot, true);
    buf[28] = 'Q';
    buf[29] = 'B';
    inChange_ = false;
    countAtRest_ = 0;
    Node root;
    root.attr = kAttrRoot | kAttrLeaf;
    encodeNode(root, 0, 0, kDirectoryKeyLength, ' ', buf + 1024);
    writeRaw(0, buf, sizeof buf);
    fileSize_ = sizeof buf;
    freeHead_ = 0;
    dir_ = std::make_unique<TagImpl>(*this, 0, dinfo, kFirstDirectoryRoot);
}

void FileImpl::initSingle(const TagInfo& given) {
    TagInfo info = given;
    info.name = singleName(path());
    if (info.keyLength <= 0 || info.keyLength > kMaxKeyLength)
        fail("impossible key length " + std::to_string(info.keyLength) + " for tag " + info.name);
    file_.truncate(0);
    uint8_t buf[1536];
    writeHeader(buf, info, 1024, false, true);
    inChange_ = false;
    countAtRest_ = -1;
    Node root;
    root.attr = kAttrRoot | kAttrLeaf;
    encodeNode(root, 0, 0, info.keyLength, padFor(info.keyType), buf + 1024);
    writeRaw(0, buf, sizeof buf);
    fileSize_ = sizeof buf;
    freeHead_ = 0;
    tags_.push_back(std::make_unique<TagImpl>(*this, 0, info, 1024));
    tags_.back()->typeKnown = true;
}

void FileImpl::load() {
    const uint64_t size = file_.size();
    if (size < 1024) fail("truncated file of " + std::to_string(size) + " bytes, too short for the header");
    fileSize_ = std::min<uint64_t>(size, 0xFFFFFE00u) / kPageSize * kPageSize;
    uint8_t h[1024];
    readAt(0, h, sizeof h);
    if (h[28] == 'Q' && h[29] == 'B') {
        inChange_ = h[30] & 0x01;
        countAtRest_ = le32(h + 32);
    }
    if (single_) {
        if (h[14] & kOptCompound) fail("a compound index, not a single-order one");
        freeHead_ = le32(h + 4) == kNoPage ? 0 : le32(h + 4);
        TagImpl* t = loadTag(singleName(path()), 0);
        if (!t->typeKnown) t->setKeyType(guessKeyType(*t));
        return;
    }
    int keyLength = le16(h + 12);
    if (keyLength == 0 || keyLength > kMaxKeyLength)
        fail("impossible key length " + std::to_string(keyLength) + " in the file header");
    if (!(h[14] & kOptCompact)) fail("not a compact index (options byte " + std::to_string(h[14]) + ")");
    if (!(h[14] & kOptCompound)) fail("not a compound index (options byte " + std::to_string(h[14]) + ")");
    uint32_t root = le32(h);
    if (!validPage(root)) fail("root of the tag directory outside the file, page at offset " + std::to_string(root));
    freeHead_ = le32(h + 4) == kNoPage ? 0 : le32(h + 4);
    TagInfo dinfo;
    dinfo.keyLength = keyLength;
    dir_ = std::make_unique<TagImpl>(*this, 0, dinfo, root);
    auto c = dir_->cursor();
    for (bool ok = c->first(); ok; ok = c->next()) {
        std::string name(reinterpret_cast<const char*>(c->key().data()), c->key().size());
        while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
        TagImpl* t = loadTag(name, c->recno());
        t->dirKey.assign(c->key().begin(), c->key().end());
    }
    std::sort(tags_.begin(), tags_.end(), [](auto& a, auto& b) { return a->headerOffset() < b->headerOffset(); });
    for (size_t i = 1; i < tags_.size(); ++i)
        if (tags_[i]->headerOffset() == tags_[i - 1]->headerOffset())
            fail("tags " + tags_[i - 1]->info().name + " and " + tags_[i]->info().name + " share one header");
    for (auto& t : tags_) {
        if (t->typeKnown) continue;
        t->setKeyType(guessKeyType(*t));
    }
}

TagImpl* FileImpl::loadTag(const std::string& name, uint32_t off) {
    const std::string at = ", tag " + name + ", header at offset " + std::to_string(off);
    if (name.empty()) fail("tag without a name in the tag directory, header at offset " + std::to_string(off));
    if (off % kPageSize || (off < kPageSize && !single_) || uint64_t(off) + 1024 > fileSize_) fail("tag header outside the file" + at);
    for (auto& t : tags_)
        if (t->info().name == name) fail("tag listed twice" + at);
    uint8_t h[1024];
    readAt(off, h, sizeof h);
    TagInfo info;
    info.name = name;
    info.keyLength = le16(h + 12);
    if (info.keyLength == 0 || info.keyLength > kMaxKeyLength)
        fail("impossible key length " + std::to_string(info.keyLength) + at);
    if (!(h[14] & kOptCompact)) fail("tag is not in compact format" + at);
    uint32_t root = le32(h);
    if (!validPage(root) || (single_ && root < 1024)) fail("root page outside the file" + at);
    info.unique = h[14] & kOptUnique;
    info.descending = le16(h + 502) != 0;
    const uint8_t* pool = h + 512;
    info.keyExpr = poolString(pool, le16(h + 508), le16(h + 510));
    size_t forPos = le16(h + 504), forLen = le16(h + 506);
    if (forPos == 0 && (h[14] & kOptFor)) forPos = info.keyExpr.size() + 1;
    if (forPos > 0 && (forLen > 1 || (h[14] & kOptFor))) info.forExpr = poolString(pool, forPos, forLen);
    bool typeKnown = h[24] == 'Q' && h[25] == 'B' && std::strchr("CNDL", h[26]) && h[26];
    if (typeKnown) info.keyType = KeyType(h[26]);
    tags_.push_back(std::make_unique<TagImpl>(*this, off, info, root));
    tags_.back()->typeKnown = typeKnown;
    return tags_.back().get();
}

CdxTag* FileImpl::tagAt(int index) {
    return index >= 0 && size_t(index) < tags_.size() ? tags_[size_t(index)].get() : nullptr;
}

CdxTag* FileImpl::tag(std::string_view name) {
    std::string n = upper(name);
    for (auto& t : tags_)
        if (t->info().name == n) return t.get();
    return nullptr;
}

TagImpl* FileImpl::addTag(const TagInfo& given, uint32_t root) {
    requireWritable();
    if (single_) fail("a single-order index holds one tag only");
    TagInfo info = given;
    info.name = upper(info.name);
    uint32_t hdr = reserveEnd(2);
    uint8_t h[1024];
    writeHeader(h, info, root, false);
    std::memcpy(slot(hdr, false).data.data(), h, kPageSize);
    std::memcpy(slot(hdr + kPageSize, false).data.data(), h + kPageSize, kPageSize);
    markDirty(hdr, cache_[hdr]);
    markDirty(hdr + kPageSize, cache_[hdr + kPageSize]);
    std::vector<uint8_t> key(size_t(dir_->keyLength()), ' ');
    std::memcpy(key.data(), info.name.data(), info.name.size());
    dir_->insert(key, hdr);
    tags_.push_back(std::make_unique<TagImpl>(*this, hdr, info, root));
    tags_.back()->dirKey = key;
    tags_.back()->typeKnown = true;
    return tags_.back().get();
}

void FileImpl::dropTagPages(TagImpl& t) {
    std::vector<uint32_t> pages;
    t.collectPages(pages);
    for (uint32_t p : pages) freePage(p);
    freePage(t.headerOffset());
    freePage(t.headerOffset() + kPageSize);
}

void FileImpl::dropTag(std::string_view name) {
    requireWritable();
    if (single_) fail("a single-order index holds one tag only");
    std::string n = upper(name);
    for (size_t i = 0; i < tags_.size(); ++i) {
        TagImpl& t = *tags_[i];
        if (t.info().name != n) continue;
        dir_->remove(t.dirKey, t.headerOffset());
        dropTagPages(t);
        tags_.erase(tags_.begin() + ptrdiff_t(i));
        return;
    }
}

void FileImpl::removeAllTags() {
    requireWritable();
    if (single_) fail("a single-order index holds one tag only");
    initEmpty();
}

void FileImpl::checkTag(TagImpl& t, std::vector<uint8_t>& used, int64_t recordCount, std::vector<std::string>& out) {
    const int kl = t.keyLength();
    size_t faults = 0;
    auto report = [&](const std::string& what, uint32_t page) {
        if (++faults <= 20) out.push_back(what + t.where(page));
        else if (faults == 21) out.push_back("further faults not listed" + t.where(page));
    };
    struct Item {
        uint32_t off;
        bool hasMax;
        std::vector<uint8_t> key;
        uint32_t recno;
    };
    const bool isDir = &t == dir_.get();
    const bool coverage = recordCount >= 0 && !isDir;
    std::vector<uint8_t> seen(coverage ? size_t(std::min<int64_t>(recordCount, 0xFFFFFFFFll)) + 1 : 0, 0);
    std::vector<Item> level{{t.root(), false, {}, 0}};
    Node n;
    try {
        for (int depth = 0; !level.empty(); ++depth) {
            if (depth > 64) { report("tree deeper than any index can be", level[0].off); break; }
            std::vector<Item> below;
            std::vector<uint8_t> prevKey;
            uint32_t prevRecno = 0;
            int leafLevel = -1;
            for (size_t i = 0; i < level.size(); ++i) {
                const uint32_t off = level[i].off;
                if (!validPage(off)) { report(off % kPageSize ? "page offset not on a 512-byte boundary" : "page outside the file", off); continue; }
                if (used[off / kPageSize]) { report("page reached twice (a loop, or shared with another tag)", off); continue; }
                used[off / kPageSize] = 1;
                if (const char* err = decodeNode(page(off, &t), kl, t.pad(), n)) { report(err, off); continue; }
                if ((depth == 0) != bool(n.attr & kAttrRoot)) report(depth == 0 ? "root node lacks the root flag" : "root flag on a node below the root", off);
                if (leafLevel < 0) leafLevel = n.leaf();
                else if (leafLevel != int(n.leaf())) report("leaf and interior nodes on one level", off);
                uint32_t expLeft = i > 0 ? level[i - 1].off : kNoPage, expRight = i + 1 < level.size() ? level[i + 1].off : kNoPage;
                if (n.left != expLeft) report("left sibling link " + std::to_string(n.left) + ", expected " + std::to_string(expLeft), off);
                if (n.right != expRight) report("right sibling link " + std::to_string(n.right) + ", expected " + std::to_string(expRight), off);
                if (n.size() == 0) {
                    if (depth > 0 || !n.leaf()) report("node without keys", off);
                    continue;
                }
                for (size_t k = 0; k < n.size(); ++k) {
                    const uint8_t* key = n.key(k, kl);
                    if (!prevKey.empty()) {
                        int c = compareEntry(prevKey.data(), prevRecno, key, n.recnos[k], kl);
                        if (c >= 0) report("keys out of order at entry " + std::to_string(k), off);
                        else if (n.leaf() && t.info().unique && std::memcmp(prevKey.data(), key, size_t(kl)) == 0)
                            report("duplicate key in a unique tag at entry " + std::to_string(k), off);
                    }
                    prevKey.assign(key, key + kl);
                    prevRecno = n.recnos[k];
                    if (!n.leaf()) below.push_back({n.children[k], true, prevKey, prevRecno});
                    else if (coverage) {
                        uint32_t r = n.recnos[k];
                        if (r == 0 || r >= seen.size()) report("record number " + std::to_string(r) + " outside 1.." + std::to_string(recordCount), off);
                        else if (seen[r] < 2) ++seen[r];
                    }
                }
                if (level[i].hasMax && compareEntry(level[i].key.data(), level[i].recno, n.key(n.size() - 1, kl), n.recnos.back(), kl) != 0)
                    report("parent key differs from the last key of the node", off);
            }
            level = std::move(below);
        }
    } catch (const XbaseError& e) {
        out.push_back(e.what());
    }
    if (coverage) {
        const bool mustCoverAll = t.info().forExpr.empty() && !t.info().unique;
        int64_t missing = 0, doubled = 0;
        uint32_t firstMissing = 0, firstDoubled = 0;
        for (size_t r = 1; r < seen.size(); ++r) {
            if (seen[r] == 0 && mustCoverAll && !missing++) firstMissing = uint32_t(r);
            if (seen[r] > 1 && !doubled++) firstDoubled = uint32_t(r);
        }
        const std::string tagName = ", tag " + t.info().name;
        if (missing) out.push_back(std::to_string(missing) + " records without a key (first " + std::to_string(firstMissing) + ")" + tagName);
        if (doubled) out.push_back(std::to_string(doubled) + " records with more than one key (first " + std::to_string(firstDoubled) + ")" + tagName);
    }
}

std::vector<std::string> FileImpl::check(int64_t recordCount) {
    std::vector<std::string> out;
    std::vector<uint8_t> used(pageCount(), 0);
    used[0] = used[1] = 1;
    for (auto& t : tags_) {
        if (single_) break;
        uint32_t h = t->headerOffset() / kPageSize;
        if (used[h] || used[h + 1]) out.push_back("tag header overlaps another page, tag " + t->info().name);
        used[h] = used[h + 1] = 1;
    }
    if (dir_) checkTag(*dir_, used, -1, out);
    for (auto& t : tags_) checkTag(*t, used, recordCount, out);
    uint64_t steps = 0;
    for (uint32_t f = freeHead_; f != 0 && f != kNoPage; ++steps) {
        const std::string at = ", free page at offset " + std::to_string(f);
        if (!validPage(f)) { out.push_back("free list leads outside the file" + at); break; }
        if (steps > pageCount()) { out.push_back("loop in the free list" + at); break; }
        if (used[f / kPageSize] == 1) { out.push_back("free page is also in use" + at); break; }
        used[f / kPageSize] = 2;
        f = le32(page(f, nullptr));
    }
    return out;
}

} // namespace cdx

std::unique_ptr<CdxFile> CdxFile::open(const std::string& path, bool readOnly) {
    return open(File(path, readOnly ? File::Mode::ReadOnly : File::Mode::ReadWrite), readOnly);
}

std::unique_ptr<CdxFile> CdxFile::open(File file, bool readOnly) {
    auto f = std::make_unique<FileImpl>(std::move(file), readOnly);
    f->load();
    return f;
}

std::unique_ptr<CdxFile> CdxFile::openSingle(const std::string& path, bool readOnly) {
    auto f = std::make_unique<FileImpl>(File(path, readOnly ? File::Mode::ReadOnly : File::Mode::ReadWrite), readOnly, true);
    f->load();
    return f;
}

std::unique_ptr<CdxFile> CdxFile::createSingle(const std::string& path, const TagInfo& info) {
    auto f = std::make_unique<FileImpl>(File(path, File::Mode::Create), false, true);
    f->initSingle(info);
    return f;
}

std::unique_ptr<CdxFile> CdxFile::create(const std::string& path) { return create(File(path, File::Mode::Create)); }

std::unique_ptr<CdxFile> CdxFile::create(File file) {
    auto f = std::make_unique<FileImpl>(std::move(file), false);
    f->initEmpty();
    return f;
}

void fuzzCdxBytes(const uint8_t* data, size_t size) {
    char path[] = "/tmp/qbfuzz-XXXXXX";
    int fd = ::mkstemp(path);
    if (fd < 0) return;
    size_t done = 0;
    while (done < size) {
        ssize_t w = ::write(fd, data + done, size - done);
        if (w <= 0) break;
        done += size_t(w);
    }
    ::close(fd);
    // The same bytes as a compound and as a single-order index.
    for (bool single : {false, true}) {
        try {
            auto f = single ? CdxFile::openSingle(path, true) : CdxFile::open(path, true);
            for (int i = 0; i < f->tagCount(); ++i) {
                try {
                    auto c = f->tagAt(i)->cursor();
                    for (bool ok = c->first(); ok; ok = c->next()) {}
                    for (bool ok = c->last(); ok; ok = c->prev()) {}
                    const uint8_t probe[3] = {'M', 'A', 0};
                    c->seek(probe);
                } catch (const XbaseError&) {
                }
            }
            f->check(1000);
        } catch (const XbaseError&) {
        }
    }
    ::unlink(path);
}

} // namespace qb::xbase
