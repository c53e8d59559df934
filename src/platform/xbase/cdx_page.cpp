// Node layout of compact index trees: see cdx_page.h for the bytes.
#include "platform/xbase/cdx_page.h"

#include <algorithm>

namespace qb::xbase::cdx {

namespace {

int bitsFor(uint32_t v) {
    int b = 0;
    while (v) { ++b; v >>= 1; }
    return b;
}

// Both run once per key in bulk builds, so they compare eight bytes at a time.
size_t trailingPad(const uint8_t* key, int keyLength, uint8_t pad) {
    size_t t = 0;
    const uint64_t pads = 0x0101010101010101ull * pad;
    while (t + 8 <= size_t(keyLength)) {
        uint64_t w;
        std::memcpy(&w, key + keyLength - t - 8, 8);
        if (w != pads) break;
        t += 8;
    }
    while (t < size_t(keyLength) && key[keyLength - 1 - t] == pad) ++t;
    return t;
}

size_t commonPrefix(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t i = 0;
    while (i + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return i + size_t(__builtin_ctzll(x ^ y) / 8);
        i += 8;
    }
    while (i < limit && a[i] == b[i]) ++i;
    return i;
}

} // namespace

LeafLayout leafLayout(int keyLength, uint32_t maxRecno) {
    LeafLayout l;
    l.dcBits = l.tcBits = bitsFor(uint32_t(keyLength));
    int need = std::max(bitsFor(maxRecno), 1) + l.dcBits + l.tcBits;
    // Three bytes at least: entries that narrow leave no room for later growth.
    l.bytes = std::max(3, (need + 7) / 8);
    l.rnBits = std::min(32, l.bytes * 8 - l.dcBits - l.tcBits);
    return l;
}

void Node::insertAt(size_t i, const uint8_t* key, uint32_t recno, uint32_t child, int keyLength) {
    keys.insert(keys.begin() + ptrdiff_t(i * size_t(keyLength)), key, key + keyLength);
    recnos.insert(recnos.begin() + ptrdiff_t(i), recno);
    if (!leaf()) children.insert(children.begin() + ptrdiff_t(i), child);
}

void Node::eraseAt(size_t i, int keyLength) {
    auto k = keys.begin() + ptrdiff_t(i * size_t(keyLength));
    keys.erase(k, k + keyLength);
    recnos.erase(recnos.begin() + ptrdiff_t(i));
    if (!leaf()) children.erase(children.begin() + ptrdiff_t(i));
}

void Node::splitInto(size_t from, Node& into, int keyLength) {
    into.keys.assign(keys.begin() + ptrdiff_t(from * size_t(keyLength)), keys.end());
    into.recnos.assign(recnos.begin() + ptrdiff_t(from), recnos.end());
    keys.resize(from * size_t(keyLength));
    recnos.resize(from);
    if (!leaf()) {
        into.children.assign(children.begin() + ptrdiff_t(from), children.end());
        children.resize(from);
    }
}

const char* decodeNode(const uint8_t* p, int keyLength, uint8_t pad, Node& out) {
    out.attr = le16(p);
    out.left = le32(p + 4);
    out.right = le32(p + 8);
    size_t n = le16(p + 2);
    out.children.clear();
    if (out.attr > 3) return "bad node attributes";
    const size_t kl = size_t(keyLength);
    out.keys.resize(0);
    out.recnos.resize(0);
    if (!out.leaf()) {
        if (n > interiorCapacity(keyLength)) return "key count overflows the node";
        out.keys.resize(n * kl);
        out.recnos.resize(n);
        out.children.resize(n);
        const uint8_t* e = p + kInteriorHeader;
        for (size_t i = 0; i < n; ++i, e += kl + 8) {
            std::memcpy(out.keys.data() + i * kl, e, kl);
            out.recnos[i] = be32(e + kl);
            out.children[i] = be32(e + kl + 4);
        }
        return nullptr;
    }
    const uint32_t rnMask = le32(p + 14);
    const uint32_t dcMask = p[18], tcMask = p[19];
    const int rnBits = p[20], dcBits = p[21], tcBits = p[22], bytes = p[23];
    if (n == 0) return nullptr;
    if (bytes < 1 || bytes > 8 || rnBits > 32 || dcBits > 8 || tcBits > 8 || rnBits + dcBits + tcBits > bytes * 8)
        return "bit-field widths do not fit the entry";
    if (n * size_t(bytes) > kPageSize - kLeafHeader) return "key count overflows the node";
    out.keys.resize(n * kl);
    out.recnos.resize(n);
    size_t keyEnd = kPageSize;
    const size_t entriesEnd = kLeafHeader + n * size_t(bytes);
    const uint8_t* e = p + kLeafHeader;
    uint8_t* prev = nullptr;
    for (size_t i = 0; i < n; ++i, e += bytes) {
        uint64_t v = 0;
        for (int b = 0; b < bytes; ++b) v |= uint64_t(e[b]) << (8 * b);
        size_t dup = size_t((v >> rnBits) & dcMask);
        size_t trail = size_t((v >> (rnBits + dcBits)) & tcMask);
        if (dup + trail > kl) return "duplicate and trailing counts exceed the key length";
        if (i == 0 && dup != 0) return "first key refers to a previous key";
        size_t stored = kl - dup - trail;
        if (keyEnd < entriesEnd + stored) return "keys overlap the entry table";
        keyEnd -= stored;
        uint8_t* k = out.keys.data() + i * kl;
        if (dup) std::memcpy(k, prev, dup);
        std::memcpy(k + dup, p + keyEnd, stored);
        std::memset(k + dup + stored, pad, trail);
        out.recnos[i] = uint32_t(v) & rnMask;
        prev = k;
    }
    return nullptr;
}

size_t leafBytes(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad) {
    uint32_t maxRecno = 0;
    size_t stored = 0;
    const uint8_t* prev = nullptr;
    for (size_t i = from; i < to; ++i) {
        const uint8_t* k = n.key(i, keyLength);
        size_t trail = trailingPad(k, keyLength, pad);
        size_t dup = prev ? commonPrefix(prev, k, size_t(keyLength) - trail) : 0;
        stored += size_t(keyLength) - trail - dup;
        maxRecno = std::max(maxRecno, n.recnos[i]);
        prev = k;
    }
    return kLeafHeader + (to - from) * size_t(leafLayout(keyLength, maxRecno).bytes) + stored;
}

bool fits(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad) {
    if (n.leaf()) return leafBytes(n, from, to, keyLength, pad) <= kPageSize;
    return to - from <= interiorCapacity(keyLength);
}

void encodeNode(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad, uint8_t* page) {
    if (n.leaf()) {
        uint32_t maxRecno = 0;
        for (size_t i = from; i < to; ++i) maxRecno = std::max(maxRecno, n.recnos[i]);
        LeafPacker packer(keyLength, pad, leafLayout(keyLength, maxRecno));
        for (size_t i = from; i < to; ++i) packer.add(n.key(i, keyLength), n.recnos[i]);
        packer.finish(page, n.attr, n.left, n.right);
        return;
    }
    std::memset(page, 0, kPageSize);
    put16(page, n.attr);
    put16(page + 2, uint16_t(to - from));
    put32(page + 4, n.left);
    put32(page + 8, n.right);
    const size_t kl = size_t(keyLength);
    uint8_t* e = page + kInteriorHeader;
    for (size_t i = from; i < to; ++i, e += kl + 8) {
        std::memcpy(e, n.key(i, keyLength), kl);
        putBe32(e + kl, n.recnos[i]);
        putBe32(e + kl + 4, n.children[i]);
    }
}

LeafPacker::LeafPacker(int keyLength, uint8_t pad, LeafLayout layout)
    : keyLength_(keyLength), pad_(pad), layout_(layout), prev_(size_t(keyLength), pad) {
    std::memset(buf_, 0, sizeof buf_);
}

bool LeafPacker::add(const uint8_t* key, uint32_t recno) {
    const size_t kl = size_t(keyLength_);
    size_t trail = trailingPad(key, keyLength_, pad_);
    size_t dup = count_ ? commonPrefix(prev_.data(), key, kl - trail) : 0;
    size_t stored = kl - trail - dup;
    size_t entriesEnd = kLeafHeader + (count_ + 1) * size_t(layout_.bytes);
    if (entriesEnd + stored > keyStart_) return false;
    keyStart_ -= stored;
    std::memcpy(buf_ + keyStart_, key + dup, stored);
    uint64_t v = uint64_t(recno) | uint64_t(dup) << layout_.rnBits | uint64_t(trail) << (layout_.rnBits + layout_.dcBits);
    uint8_t* e = buf_ + kLeafHeader + count_ * size_t(layout_.bytes);
    for (int b = 0; b < layout_.bytes; ++b) e[b] = uint8_t(v >> (8 * b));
    std::memcpy(prev_.data(), key, kl);
    lastRecno_ = recno;
    ++count_;
    return true;
}

void LeafPacker::finish(uint8_t* page, uint16_t attr, uint32_t left, uint32_t right) {
    put16(buf_, attr);
    put16(buf_ + 2, uint16_t(count_));
    put32(buf_ + 4, left);
    put32(buf_ + 8, right);
    put16(buf_ + 12, uint16_t(keyStart_ - (kLeafHeader + count_ * size_t(layout_.bytes))));
    put32(buf_ + 14, layout_.rnBits >= 32 ? 0xFFFFFFFFu : (1u << layout_.rnBits) - 1);
    buf_[18] = uint8_t((1u << layout_.dcBits) - 1);
    buf_[19] = uint8_t((1u << layout_.tcBits) - 1);
    buf_[20] = uint8_t(layout_.rnBits);
    buf_[21] = uint8_t(layout_.dcBits);
    buf_[22] = uint8_t(layout_.tcBits);
    buf_[23] = uint8_t(layout_.bytes);
    std::memcpy(page, buf_, kPageSize);
    std::memset(buf_, 0, sizeof buf_);
    count_ = 0;
    keyStart_ = kPageSize;
}

} // namespace qb::xbase::cdx
