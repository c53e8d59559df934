// Bulk build of one tag: keys are gathered in memory runs, sorted, spilled to a
// scratch file beside the index when the memory budget is reached, merged,
// and written bottom-up as full leaves followed by the interior levels. The
// scratch file has no name (File::scratch), so a crash leaves none behind.
//
// A spilled run is a sequence of records: record number (u32 LE), key length
// with trailing padding removed (u8), the key bytes.
#include "platform/xbase/cdx_internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

namespace qb::xbase::cdx {

namespace {

struct Entry {
    uint64_t prefix;   // first eight key bytes, big-endian, so integer order is key order
    uint32_t off;      // into the arena: trimmed length, then the bytes
    uint32_t recno;
};

// LSD radix sort on the prefix, skipping digits that every entry shares. Stable,
// so entries added in record order stay in it among equal prefixes.
void radixSort(Entry* v, size_t n, std::vector<Entry>& tmp) {
    tmp.resize(std::max(tmp.size(), n));
    std::vector<uint32_t> count(65536);
    Entry* from = v;
    Entry* to = tmp.data();
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (size_t i = 0; i < n; ++i) ++count[(from[i].prefix >> shift) & 0xFFFF];
        if (count[(from[0].prefix >> shift) & 0xFFFF] == n) continue;
        uint32_t sum = 0;
        for (uint32_t& c : count) { uint32_t k = c; c = sum; sum += k; }
        for (size_t i = 0; i < n; ++i) to[count[(from[i].prefix >> shift) & 0xFFFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != v) std::copy(from, from + n, v);
}

// Writes sorted keys as leaves, then interior levels, all as new pages at the
// end of the file. Pages come in runs taken from the file, so another builder
// can write its tree at the same time; within a run a level's pages are
// consecutive and go out in large writes. Each page is held back until the
// next one of its level has a place, which its right sibling link needs.
class TreeWriter {
public:
    TreeWriter(FileImpl& file, int keyLength, uint8_t pad, uint32_t maxRecno, bool unique)
        : file_(file), kl_(keyLength), pad_(pad), unique_(unique), packer_(keyLength, pad, leafLayout(keyLength, maxRecno)) {}

    ~TreeWriter() { file_.givePages(next_, end_); }

    void add(const uint8_t* key, uint32_t recno) {
        if (unique_ && packer_.count() + pages_ > 0 && std::memcmp(lastKey_.data(), key, size_t(kl_)) == 0) return;
        if (!packer_.add(key, recno)) {
            closeLeaf();
            packer_.add(key, recno);
        }
        if (unique_) lastKey_.assign(key, key + kl_);
    }

    uint32_t finish() {
        if (packer_.count() > 0 || pages_ == 0) closeLeaf();
        endLevel();
        while (recnos_.size() > 1) interiorLevel();
        file_.givePages(next_, end_);
        next_ = end_ = 0;
        return pagesOf_.front();
    }

private:
    // Runs start small, so a small tag leaves little unused behind, and grow to
    // keep the number of calls into the file low.
    static constexpr uint32_t kMaxRun = 256;

    uint32_t newPage() {
        if (next_ == end_) {
            uint32_t pages = run_;
            next_ = file_.takePages(pages);
            end_ = next_ + pages * kPageSize;
            run_ = std::min(run_ * 2, kMaxRun);
        }
        uint32_t off = next_;
        next_ += kPageSize;
        return off;
    }

    void closeLeaf() {
        uint32_t off = newPage();
        keys_.insert(keys_.end(), packer_.lastKey(), packer_.lastKey() + kl_);
        recnos_.push_back(packer_.lastRecno());
        pagesOf_.push_back(off);
        buf_.resize(buf_.size() + kPageSize);
        packer_.finish(buf_.data() + buf_.size() - kPageSize, kAttrLeaf, prevOff_, kNoPage);
        place(off);
    }

    // The new page is the last in buf_; buf_ holds consecutive pages from
    // bufStart_, the level's previous page among them.
    void place(uint32_t off) {
        if (pages_ == 0) {
            bufStart_ = off;
        } else {
            put32(buf_.data() + buf_.size() - 2 * kPageSize + 8, off);
            if (off != prevOff_ + kPageSize) writeAllButLast(off);
        }
        prevOff_ = off;
        ++pages_;
        if (buf_.size() >= 256 * kPageSize) writeAllButLast(off);
    }

    void writeAllButLast(uint32_t lastOff) {
        file_.writeRaw(bufStart_, buf_.data(), buf_.size() - kPageSize);
        buf_.erase(buf_.begin(), buf_.end() - ptrdiff_t(kPageSize));
        bufStart_ = lastOff;
    }

    void endLevel() {
        uint8_t* last = buf_.data() + buf_.size() - kPageSize;
        if (pages_ == 1) put16(last, uint16_t(le16(last) | kAttrRoot));
        file_.writeRaw(bufStart_, buf_.data(), buf_.size());
        buf_.clear();
        bufStart_ = kNoPage;
        prevOff_ = kNoPage;
        pages_ = 0;
    }

    void interiorLevel() {
        std::vector<uint8_t> keys;
        std::vector<uint32_t> recnos, pages;
        keys.swap(keys_);
        recnos.swap(recnos_);
        pages.swap(pagesOf_);
        const size_t n = recnos.size(), cap = interiorCapacity(kl_);
        const size_t nodes = (n + cap - 1) / cap;
        size_t at = 0;
        Node node;
        for (size_t i = 0; i < nodes; ++i) {
            size_t take = n / nodes + (i < n % nodes ? 1 : 0);
            node.attr = 0;
            node.keys.assign(keys.begin() + ptrdiff_t(at * size_t(kl_)), keys.begin() + ptrdiff_t((at + take) * size_t(kl_)));
            node.recnos.assign(recnos.begin() + ptrdiff_t(at), recnos.begin() + ptrdiff_t(at + take));
            node.children.assign(pages.begin() + ptrdiff_t(at), pages.begin() + ptrdiff_t(at + take));
            at += take;
            uint32_t off = newPage();
            node.left = prevOff_;
            node.right = kNoPage;
            keys_.insert(keys_.end(), node.keys.end() - kl_, node.keys.end());
            recnos_.push_back(node.recnos.back());
            pagesOf_.push_back(off);
            buf_.resize(buf_.size() + kPageSize);
            encodeNode(node, 0, node.size(), kl_, pad_, buf_.data() + buf_.size() - kPageSize);
            place(off);
        }
        endLevel();
    }

    FileImpl& file_;
    int kl_;
    uint8_t pad_;
    bool unique_;
    LeafPacker packer_;
    std::vector<uint8_t> lastKey_;
    std::vector<uint8_t> buf_;
    uint32_t bufStart_ = kNoPage, prevOff_ = kNoPage;
    size_t pages_ = 0;
    uint32_t next_ = 0, end_ = 0, run_ = 16;   // the run of pages being filled
    // The level being written: each page's last key, its record number, its offset.
    std::vector<uint8_t> keys_;
    std::vector<uint32_t> recnos_, pagesOf_;
};

// Reads one spilled run back in order through a bounded buffer.
class RunReader {
public:
    RunReader(const File& file, uint64_t begin, uint64_t end, size_t bufSize, int keyLength, uint8_t pad)
        : file_(file), pos_(begin), end_(end), buf_(bufSize), kl_(size_t(keyLength)), key_(std::max<size_t>(kl_, 8)), pad_(pad) {}

    bool next() {
        size_t len;
        if (have_ - at_ >= 5 + kl_) {
            // The whole record is in the buffer: the usual case.
            const uint8_t* p = buf_.data() + at_;
            recno_ = le32(p);
            len = p[4];
            if (len > kl_) return false;
            std::memcpy(key_.data(), p + 5, len);
            at_ += 5 + len;
        } else {
            uint8_t head[5];
            if (!read(head, 5)) return false;
            recno_ = le32(head);
            len = head[4];
            if (len > kl_ || !read(key_.data(), len)) return false;
        }
        std::memset(key_.data() + len, pad_, kl_ - len);
        uint64_t v;
        std::memcpy(&v, key_.data(), 8);
        prefix_ = __builtin_bswap64(v);
        return true;
    }
    const uint8_t* key() const { return key_.data(); }
    uint32_t recno() const { return recno_; }
    // (key, recno) order, settled by the first eight key bytes when they differ.
    bool before(const RunReader& o) const {
        if (prefix_ != o.prefix_) return prefix_ < o.prefix_;
        return compareEntry(key_.data(), recno_, o.key_.data(), o.recno_, int(kl_)) < 0;
    }

private:
    bool read(uint8_t* out, size_t n) {
        while (n > 0) {
            if (at_ == have_) {
                size_t want = size_t(std::min<uint64_t>(buf_.size(), end_ - pos_));
                if (want == 0) return false;
                const size_t r = file_.readSome(pos_, buf_.data(), want);
                if (r == 0) return false;
                pos_ += uint64_t(r);
                at_ = 0;
                have_ = size_t(r);
            }
            size_t take = std::min(n, have_ - at_);
            std::memcpy(out, buf_.data() + at_, take);
            out += take;
            at_ += take;
            n -= take;
        }
        return true;
    }

    const File& file_;
    uint64_t pos_, end_;
    std::vector<uint8_t> buf_;
    size_t at_ = 0, have_ = 0;
    size_t kl_;
    std::vector<uint8_t> key_;   // at least eight bytes (zero past the key), for the prefix
    uint64_t prefix_ = 0;
    uint32_t recno_ = 0;
    uint8_t pad_;
};

class BuilderImpl final : public CdxTagBuilder {
public:
    BuilderImpl(FileImpl& file, const TagInfo& info, size_t budget)
        : file_(file), info_(info), budget_(std::max<size_t>(budget, 64 * 1024)), kl_(info.keyLength), pad_(padFor(info.keyType)) {}


    void add(std::span<const uint8_t> key, uint32_t recno) override {
        if (key.size() != size_t(kl_))
            file_.fail("key of " + std::to_string(key.size()) + " bytes for tag " + info_.name + " of key length " + std::to_string(kl_));
        size_t len = size_t(kl_);
        while (len > 0 && key[len - 1] == pad_) --len;
        uint64_t prefix = 0;
        for (size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < len ? key[i] : pad_);
        if (arenaSize_ + 1 + len > arenaCap_) {
            if (arenaSize_ > 0xFFFF0000u) spill();
            growArena(1 + len);
        }
        // Room for a full run at once: growing step by step would copy the
        // entries over and over and leave freed blocks the allocator keeps.
        if (ents_.capacity() == 0) ents_.reserve(budget_ / sizeof(Entry) + 1);
        ents_.push_back({prefix, uint32_t(arenaSize_), recno});
        arena_[arenaSize_] = uint8_t(len);
        std::memcpy(&arena_[arenaSize_ + 1], key.data(), len);
        arenaSize_ += 1 + len;
        maxRecno_ = std::max(maxRecno_, recno);
        ++total_;
        if (arenaSize_ + ents_.size() * sizeof(Entry) >= budget_) spill();
    }

    void build(const Progress& progress) override {
        file_.requireWritable();
        if (built_) file_.fail("tag " + info_.name + " already built");
        built_ = true;
        auto report = [&](int pct) {
            if (progress && pct != lastPct_) progress(lastPct_ = pct);
        };
        report(0);
        if (!runs_.empty() && !ents_.empty()) spill();
        else sortRun();
        report(20);
        TreeWriter out(file_, kl_, pad_, maxRecno_, info_.unique);
        uint64_t written = 0;
        auto emit = [&](const uint8_t* key, uint32_t recno) {
            out.add(key, recno);
            if ((++written & 0x3FFF) == 0) report(20 + int(75 * written / std::max<uint64_t>(total_, 1)));
        };
        if (runs_.empty()) {
            std::vector<uint8_t> key(static_cast<size_t>(kl_));
            for (size_t i = 0; i < ents_.size(); ++i) {
                const Entry& e = ents_[i];
                if (i + 16 < ents_.size()) __builtin_prefetch(&arena_[ents_[i + 16].off]);
                size_t len = arena_[e.off];
                std::memcpy(key.data(), &arena_[e.off + 1], len);
                std::memset(key.data() + len, pad_, key.size() - len);
                emit(key.data(), e.recno);
            }
        } else {
            merge(emit);
        }
        std::vector<Entry>().swap(ents_);
        arena_.reset();
        arenaSize_ = arenaCap_ = 0;
        root_ = out.finish();
        report(98);
    }

    CdxTag* finish(const Progress& progress) override {
        file_.requireWritable();
        if (done_) file_.fail("tag " + info_.name + " already built");
        if (!built_) build(progress);
        done_ = true;
        // The tree is complete; only now does the old tag of this name go.
        file_.freeSpare();
        TagImpl* tag;
        if (file_.single()) {
            tag = static_cast<TagImpl*>(file_.tagAt(0));
            tag->replaceTree(root_);
        } else {
            file_.dropTag(info_.name);
            tag = file_.addTag(info_, root_);
        }
        if (progress && lastPct_ != 100) progress(lastPct_ = 100);
        return tag;
    }

private:
    // Keys are copied into the arena by hand rather than inserted into a vector
    // one by one, which costs a call per key. It is as large as the budget from
    // the start; the unused end is never touched, so it takes no memory.
    void growArena(size_t need) {
        size_t cap = std::max(budget_ + 256, arenaSize_ + need);
        std::unique_ptr<uint8_t[]> bigger(new uint8_t[cap]);
        if (arenaSize_) std::memcpy(bigger.get(), arena_.get(), arenaSize_);
        arena_ = std::move(bigger);
        arenaCap_ = cap;
    }

    // Eight key bytes from `at` on, padding beyond the stored part, big-endian.
    uint64_t chunk(const Entry& e, size_t at) const {
        const uint8_t* k = &arena_[e.off];
        size_t len = k[0];
        uint64_t v = 0;
        if (at + 8 <= len) {
            std::memcpy(&v, k + 1 + at, 8);
            return __builtin_bswap64(v);
        }
        for (size_t i = at; i < at + 8; ++i) v = v << 8 | (i < len ? k[1 + i] : pad_);
        return v;
    }

    // Sorts entries whose first `depth` key bytes are equal and whose prefix holds
    // the next eight: by that prefix, then each run of equal prefixes by the next
    // eight bytes, and finally by record number.
    void sortRange(size_t b, size_t e, size_t depth, std::vector<Entry>& tmp) {
        auto byPrefix = [](const Entry& x, const Entry& y) { return x.prefix != y.prefix ? x.prefix < y.prefix : x.recno < y.recno; };
        if (e - b < 512) std::sort(ents_.begin() + ptrdiff_t(b), ents_.begin() + ptrdiff_t(e), byPrefix);
        else radixSort(ents_.data() + b, e - b, tmp);
        const size_t next = depth + 8;
        for (size_t i = b; i < e;) {
            size_t j = i + 1;
            while (j < e && ents_[j].prefix == ents_[i].prefix) ++j;
            if (j - i > 1) {
                if (next >= size_t(kl_)) {
                    auto byRecno = [](const Entry& x, const Entry& y) { return x.recno < y.recno; };
                    if (!std::is_sorted(ents_.begin() + ptrdiff_t(i), ents_.begin() + ptrdiff_t(j), byRecno))
                        std::sort(ents_.begin() + ptrdiff_t(i), ents_.begin() + ptrdiff_t(j), byRecno);
                } else {
                    for (size_t k = i; k < j; ++k) {
                        if (k + 16 < j) __builtin_prefetch(&arena_[ents_[k + 16].off]);
                        ents_[k].prefix = chunk(ents_[k], next);
                    }
                    sortRange(i, j, next, tmp);
                }
            }
            i = j;
        }
    }

    void sortRun() {
        if (ents_.empty()) return;
        std::vector<Entry> tmp;
        sortRange(0, ents_.size(), 0, tmp);
    }

    void spill() {
        if (ents_.empty()) return;
        sortRun();
        if (!spill_.isOpen()) spill_ = File::scratch(file_.path());
        uint64_t begin = spillEnd_;
        constexpr size_t kChunk = 1 << 20;
        std::unique_ptr<uint8_t[]> buf(new uint8_t[kChunk]);
        size_t used = 0;
        auto drain = [&] {
            spill_.writeAt(spillEnd_, buf.get(), used);
            spillEnd_ += used;
            used = 0;
        };
        for (size_t i = 0; i < ents_.size(); ++i) {
            const Entry& e = ents_[i];
            if (i + 16 < ents_.size()) __builtin_prefetch(&arena_[ents_[i + 16].off]);
            const uint8_t* k = &arena_[e.off];
            const size_t len = k[0];
            if (used + 5 + len > kChunk) drain();
            put32(buf.get() + used, e.recno);
            std::memcpy(buf.get() + used + 4, k, 1 + len);
            used += 5 + len;
        }
        drain();
        runs_.push_back({begin, spillEnd_});
        ents_.clear();
        arenaSize_ = 0;
    }

    template <class Emit>
    void merge(Emit& emit) {
        size_t bufSize = std::max<size_t>(4096, budget_ / (runs_.size() + 1));
        std::vector<std::unique_ptr<RunReader>> readers;
        std::vector<size_t> heap;
        for (auto& r : runs_) {
            readers.push_back(std::make_unique<RunReader>(spill_, r.first, r.second, bufSize, kl_, pad_));
            if (readers.back()->next()) heap.push_back(readers.size() - 1);
        }
        auto greater = [&](size_t a, size_t b) { return readers[b]->before(*readers[a]); };
        std::make_heap(heap.begin(), heap.end(), greater);
        // The run just read from usually stays near the top, so it sinks from
        // there in one pass rather than leaving the heap and coming back.
        auto siftDown = [&] {
            const size_t n = heap.size();
            const size_t top = heap[0];
            size_t i = 0;
            for (;;) {
                size_t c = 2 * i + 1;
                if (c >= n) break;
                if (c + 1 < n && readers[heap[c + 1]]->before(*readers[heap[c]])) ++c;
                if (!readers[heap[c]]->before(*readers[top])) break;
                heap[i] = heap[c];
                i = c;
            }
            heap[i] = top;
        };
        while (!heap.empty()) {
            RunReader& r = *readers[heap[0]];
            emit(r.key(), r.recno());
            if (!r.next()) {
                heap[0] = heap.back();
                heap.pop_back();
                if (heap.empty()) break;
            }
            siftDown();
        }
    }

    FileImpl& file_;
    TagInfo info_;
    size_t budget_;
    int kl_;
    uint8_t pad_;
    std::vector<Entry> ents_;
    std::unique_ptr<uint8_t[]> arena_;   // trimmed keys, each after its length byte
    size_t arenaSize_ = 0, arenaCap_ = 0;
    uint32_t maxRecno_ = 0;
    uint64_t total_ = 0;
    File spill_;
    uint64_t spillEnd_ = 0;
    std::vector<std::pair<uint64_t, uint64_t>> runs_;
    uint32_t root_ = kNoPage;
    bool built_ = false, done_ = false;
    int lastPct_ = -1;
};

} // namespace

std::unique_ptr<CdxTagBuilder> FileImpl::buildTag(const TagInfo& given, size_t memoryBudget) {
    requireWritable();
    // A single-order index's one tag is built anew as it is.
    if (single_) return std::make_unique<BuilderImpl>(*this, tags_.front()->info(), memoryBudget);
    TagInfo info = given;
    for (char& c : info.name) if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (info.name.empty() || info.name.size() > size_t(dir_->keyLength()))
        fail("tag name '" + info.name + "' must have 1 to " + std::to_string(dir_->keyLength()) + " characters");
    if (info.keyLength < 1 || info.keyLength > kMaxKeyLength)
        fail("impossible key length " + std::to_string(info.keyLength) + " for tag " + info.name);
    if (info.keyExpr.size() + info.forExpr.size() + 2 > 512) fail("key and FOR expressions too long for tag " + info.name);
    return std::make_unique<BuilderImpl>(*this, info, memoryBudget);
}

} // namespace qb::xbase::cdx
