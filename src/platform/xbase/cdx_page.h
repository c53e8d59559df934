#pragma once
// One 512-byte node of a compact (CDX) index tree, decoded and encoded.
//
// Every node starts with: attributes (u16 LE: 1 root, 2 leaf), key count (u16 LE),
// left and right sibling offsets (u32 LE, 0xFFFFFFFF for none).
//
// Interior node, from byte 12: entries of key (keyLength bytes, uncompressed),
// record number and child offset (both u32 big-endian). Each key is the largest
// key of the child's subtree.
//
// Leaf node, from byte 12: free bytes (u16), record-number mask (u32), duplicate
// and trailing count masks (u8 each), their bit widths (rn, dc, tc: u8 each) and
// the bytes per entry (u8). From byte 24 one little-endian bit field per key holds
// recno | dup << rn | trail << (rn + dc). The distinct middle part of each key is
// stored from the node's end toward the front: key i takes its first `dup` bytes
// from key i-1, then the stored bytes, then `trail` pad bytes (blank for
// character keys, zero for numeric and date keys).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace qb::xbase::cdx {

inline constexpr uint32_t kPageSize = 512;
inline constexpr uint32_t kNoPage = 0xFFFFFFFFu;
inline constexpr int kMaxKeyLength = 240;
inline constexpr int kLeafHeader = 24;
inline constexpr int kInteriorHeader = 12;

enum : uint16_t { kAttrRoot = 1, kAttrLeaf = 2 };

inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
inline uint32_t be32(const uint8_t* p) { return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24; }
inline void put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void put32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void putBe32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[3 - i] = uint8_t(v >> (8 * i)); }

// (key, recno) order: bytes first, then record number.
inline int compareEntry(const uint8_t* a, uint32_t ra, const uint8_t* b, uint32_t rb, int keyLength) {
    int c = std::memcmp(a, b, size_t(keyLength));
    if (c != 0) return c;
    return ra < rb ? -1 : ra > rb ? 1 : 0;
}

struct LeafLayout {
    int rnBits = 0, dcBits = 0, tcBits = 0, bytes = 0;
};
// The narrowest entry that holds maxRecno and counts up to keyLength; spare bits
// go to the record number as the original engine does.
LeafLayout leafLayout(int keyLength, uint32_t maxRecno);

struct Node {
    uint16_t attr = 0;
    uint32_t left = kNoPage, right = kNoPage;
    std::vector<uint8_t> keys;       // size() * keyLength bytes, padding restored
    std::vector<uint32_t> recnos;
    std::vector<uint32_t> children;  // interior nodes only

    bool leaf() const { return attr & kAttrLeaf; }
    size_t size() const { return recnos.size(); }
    const uint8_t* key(size_t i, int keyLength) const { return keys.data() + i * size_t(keyLength); }
    void insertAt(size_t i, const uint8_t* key, uint32_t recno, uint32_t child, int keyLength);
    void eraseAt(size_t i, int keyLength);
    // Moves entries [from, size()) into `into` (which must be empty).
    void splitInto(size_t from, Node& into, int keyLength);
};

// Decoders return nullptr on success or a description of what is wrong.
const char* decodeNode(const uint8_t* page, int keyLength, uint8_t pad, Node& out);

// Bytes a leaf holding these entries needs (header included); used to decide splits.
size_t leafBytes(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad);
inline size_t interiorCapacity(int keyLength) { return (kPageSize - kInteriorHeader) / size_t(keyLength + 8); }
bool fits(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad);

// Writes entries [from, to) of n as a full page; the caller has checked fits().
void encodeNode(const Node& n, size_t from, size_t to, int keyLength, uint8_t pad, uint8_t* page);

// Streams sorted keys into consecutive leaves (bulk build) without a Node.
class LeafPacker {
public:
    LeafPacker(int keyLength, uint8_t pad, LeafLayout layout);
    // False when the key does not fit; the caller then finishes the page and retries.
    bool add(const uint8_t* key, uint32_t recno);
    size_t count() const { return count_; }
    const uint8_t* lastKey() const { return prev_.data(); }
    uint32_t lastRecno() const { return lastRecno_; }
    // Writes the page (attributes, siblings) and starts an empty one.
    void finish(uint8_t* page, uint16_t attr, uint32_t left, uint32_t right);

private:
    int keyLength_;
    uint8_t pad_;
    LeafLayout layout_;
    uint8_t buf_[kPageSize];
    size_t count_ = 0;
    size_t keyStart_ = kPageSize;
    std::vector<uint8_t> prev_;
    uint32_t lastRecno_ = 0;
};

} // namespace qb::xbase::cdx
