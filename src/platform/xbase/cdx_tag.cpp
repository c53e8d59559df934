// One tag's B-tree in a compound index: search, insert and remove with page
// splits and merges, and the cursor that walks the leaves through their sibling
// links. Node bytes are described in cdx_page.h.
#include "platform/xbase/cdx_internal.h"

#include <algorithm>

namespace qb::xbase::cdx {

namespace {

// Leaves emptier than this try to merge with a neighbour under the same parent.
constexpr size_t kMergeBelow = kPageSize / 3;

size_t usedBytes(const Node& n, int keyLength, uint8_t pad) {
    if (n.leaf()) return leafBytes(n, 0, n.size(), keyLength, pad);
    return kInteriorHeader + n.size() * size_t(keyLength + 8);
}

class CursorImpl final : public CdxCursor {
public:
    explicit CursorImpl(TagImpl& tag) : tag_(tag) {}

    bool first() override { return enter(tag_.edgeLeaf(true), 0, true); }
    bool last() override { return enter(tag_.edgeLeaf(false), SIZE_MAX, false); }

    bool next() override {
        if (!valid_) return false;
        if (++pos_ < leaf_->size()) return true;
        return step(true);
    }

    bool prev() override {
        if (!valid_) return false;
        if (pos_ > 0) { --pos_; return true; }
        return step(false);
    }

    bool seek(std::span<const uint8_t> prefix) override {
        const size_t n = std::min(prefix.size(), size_t(tag_.keyLength()));
        auto before = [&](const uint8_t* k, uint32_t) { return n > 0 && std::memcmp(k, prefix.data(), n) < 0; };
        uint32_t off = tag_.descend(before, false, nullptr);
        if (off == kNoPage) return invalidate();
        if (!load(off)) return invalidate();
        steps_ = 0;
        for (;;) {
            for (pos_ = 0; pos_ < leaf_->size(); ++pos_)
                if (!before(leaf_->key(pos_, tag_.keyLength()), 0)) return valid_ = true;
            // Only a damaged tree sends us here; the next leaf holds the key if any.
            if (!hop(true)) return invalidate();
        }
    }

    bool seekExact(std::span<const uint8_t> key, uint32_t recno) override {
        const int kl = tag_.keyLength();
        if (key.size() != size_t(kl)) return invalidate();
        auto before = [&](const uint8_t* k, uint32_t r) { return compareEntry(k, r, key.data(), recno, kl) < 0; };
        uint32_t off = tag_.descend(before, false, nullptr);
        if (off == kNoPage || !load(off)) return invalidate();
        steps_ = 0;
        for (pos_ = 0; pos_ < leaf_->size(); ++pos_) {
            int c = compareEntry(leaf_->key(pos_, kl), leaf_->recnos[pos_], key.data(), recno, kl);
            if (c == 0) return valid_ = true;
            if (c > 0) break;
        }
        return invalidate();
    }

    bool valid() const override { return valid_; }
    std::span<const uint8_t> key() const override {
        if (!valid_) return {};
        return {leaf_->key(pos_, tag_.keyLength()), size_t(tag_.keyLength())};
    }
    uint32_t recno() const override { return valid_ ? leaf_->recnos[pos_] : 0; }
    std::span<const uint32_t> leafRecnos(size_t& position) const override {
        position = pos_;
        if (!valid_) return {};
        return {leaf_->recnos.data(), leaf_->recnos.size()};
    }

private:
    bool invalidate() { valid_ = false; return false; }

    bool load(uint32_t off) {
        leaf_ = tag_.file().sharedNode(off, tag_);
        if (!leaf_->leaf()) tag_.fault("sibling of a leaf is not a leaf", off);
        off_ = off;
        return true;
    }

    // Moves to the neighbouring leaf; a walk longer than the file has pages is a loop.
    bool hop(bool right) {
        uint32_t to = right ? leaf_->right : leaf_->left;
        if (to == kNoPage) return false;
        if (++steps_ > tag_.file().pageCount()) tag_.fault("loop between sibling pages", off_);
        return load(to);
    }

    bool step(bool right) {
        while (hop(right)) {
            if (leaf_->size() == 0) continue;
            pos_ = right ? 0 : leaf_->size() - 1;
            return valid_ = true;
        }
        return invalidate();
    }

    bool enter(uint32_t off, size_t pos, bool right) {
        load(off);
        steps_ = 0;
        if (leaf_->size() == 0) return step(right);
        pos_ = std::min(pos, leaf_->size() - 1);
        return valid_ = true;
    }

    TagImpl& tag_;
    std::shared_ptr<const Node> leaf_ = std::make_shared<Node>();
    uint32_t off_ = kNoPage;
    size_t pos_ = 0;
    uint64_t steps_ = 0;
    bool valid_ = false;
};

} // namespace

TagImpl::TagImpl(FileImpl& file, uint32_t headerOffset, TagInfo info, uint32_t root)
    : file_(file), header_(headerOffset), root_(root), info_(std::move(info)), pad_(padFor(info_.keyType)) {}

std::unique_ptr<CdxCursor> TagImpl::cursor() { return std::make_unique<CursorImpl>(*this); }

void TagImpl::setKeyType(KeyType type) {
    info_.keyType = type;
    pad_ = padFor(type);
    typeKnown = true;
}

std::string TagImpl::where(uint32_t page) const {
    std::string s = info_.name.empty() ? ", tag directory" : ", tag " + info_.name;
    return s + ", page at offset " + std::to_string(page);
}

void TagImpl::fault(const std::string& what, uint32_t page) const { file_.fail(what + where(page)); }

void TagImpl::readNode(uint32_t off, Node& out) const {
    if (const char* err = decodeNode(file_.page(off, this), info_.keyLength, pad_, out)) fault(err, off);
}

void TagImpl::writeNode(uint32_t off, const Node& n) {
    encodeNode(n, 0, n.size(), info_.keyLength, pad_, file_.writablePage(off));
}

uint32_t TagImpl::edgeLeaf(bool leftmost) const {
    if (leftmost) return descend([](const uint8_t*, uint32_t) { return false; }, true, nullptr);
    return descend([](const uint8_t*, uint32_t) { return true; }, true, nullptr);
}

void TagImpl::collectPages(std::vector<uint32_t>& out) const {
    std::vector<uint8_t> seen(file_.pageCount(), 0);
    std::vector<uint32_t> todo{root_};
    Node n;
    while (!todo.empty()) {
        uint32_t off = todo.back();
        todo.pop_back();
        if (!file_.validPage(off) || seen[off / kPageSize]) continue;
        seen[off / kPageSize] = 1;
        out.push_back(off);
        if (decodeNode(file_.page(off, this), info_.keyLength, pad_, n) == nullptr && !n.leaf())
            todo.insert(todo.end(), n.children.begin(), n.children.end());
    }
}

void TagImpl::replaceTree(uint32_t root) {
    std::vector<uint32_t> pages;
    collectPages(pages);
    for (uint32_t p : pages) file_.freePage(p);
    setRoot(root);
}

void TagImpl::setRoot(uint32_t off) {
    root_ = off;
    put32(file_.writablePage(header_), off);
}

void TagImpl::setSiblingLink(uint32_t page, bool leftLink, uint32_t value) {
    if (page == kNoPage) return;
    if (!file_.validPage(page)) fault("sibling link outside the file", page);
    put32(file_.writablePage(page) + (leftLink ? 4 : 8), value);
}

void TagImpl::insert(std::span<const uint8_t> key, uint32_t recno) {
    file_.requireWritable();
    const int kl = info_.keyLength;
    if (key.size() != size_t(kl)) file_.fail("key of " + std::to_string(key.size()) + " bytes for a key length of " + std::to_string(kl) + where(root_));
    if (info_.unique) {
        auto c = cursor();
        if (c->seek(key) && std::memcmp(c->key().data(), key.data(), size_t(kl)) == 0) return;
    }
    std::vector<Step> path;
    uint32_t off = descend([&](const uint8_t* k, uint32_t r) { return compareEntry(k, r, key.data(), recno, kl) < 0; }, true, &path);
    Node leaf;
    readNode(off, leaf);
    size_t pos = 0;
    while (pos < leaf.size() && compareEntry(leaf.key(pos, kl), leaf.recnos[pos], key.data(), recno, kl) < 0) ++pos;
    if (pos < leaf.size() && compareEntry(leaf.key(pos, kl), leaf.recnos[pos], key.data(), recno, kl) == 0) return;
    leaf.insertAt(pos, key.data(), recno, 0, kl);
    store(path, path.size(), off, leaf);
}

// Writes a node that grew, splitting it in two when it no longer fits.
void TagImpl::store(std::vector<Step>& path, size_t level, uint32_t off, Node& node) {
    const int kl = info_.keyLength;
    if (fits(node, 0, node.size(), kl, pad_)) {
        writeNode(off, node);
        updateParentMax(path, level, node);
        return;
    }
    // The split nearest the middle where both halves fit.
    const size_t n = node.size();
    size_t cut = 0;
    for (size_t d = 0; d <= n / 2 && !cut; ++d) {
        for (size_t s : {n / 2 - d, n / 2 + d})
            if (s > 0 && s < n && fits(node, 0, s, kl, pad_) && fits(node, s, n, kl, pad_)) { cut = s; break; }
    }
    if (!cut) fault("node cannot be split", off);
    Node right;
    right.attr = uint16_t(node.attr & ~kAttrRoot);
    node.attr = right.attr;
    node.splitInto(cut, right, kl);
    uint32_t rightOff = file_.allocPage();
    right.left = off;
    right.right = node.right;
    setSiblingLink(node.right, true, rightOff);
    node.right = rightOff;
    writeNode(off, node);
    writeNode(rightOff, right);
    if (level == 0) {
        Node root;
        root.attr = kAttrRoot;
        root.insertAt(0, node.key(node.size() - 1, kl), node.recnos.back(), off, kl);
        root.insertAt(1, right.key(right.size() - 1, kl), right.recnos.back(), rightOff, kl);
        uint32_t rootOff = file_.allocPage();
        writeNode(rootOff, root);
        setRoot(rootOff);
        return;
    }
    Step& up = path[level - 1];
    Node parent;
    readNode(up.page, parent);
    if (parent.leaf() || up.index >= parent.size()) fault("parent changed under an update", up.page);
    std::memcpy(parent.keys.data() + up.index * size_t(kl), node.key(node.size() - 1, kl), size_t(kl));
    parent.recnos[up.index] = node.recnos.back();
    parent.insertAt(up.index + 1, right.key(right.size() - 1, kl), right.recnos.back(), rightOff, kl);
    store(path, level - 1, up.page, parent);
}

// Interior keys hold the largest key below them; carry a changed maximum upward.
void TagImpl::updateParentMax(std::vector<Step>& path, size_t level, const Node& node) {
    const size_t kl = size_t(info_.keyLength);
    if (node.size() == 0) return;
    const uint8_t* key = node.key(node.size() - 1, info_.keyLength);
    uint32_t recno = node.recnos.back();
    while (level > 0) {
        Step& up = path[level - 1];
        const uint8_t* p = file_.page(up.page, this);
        size_t n = le16(p + 2);
        const uint8_t* e = p + kInteriorHeader + up.index * (kl + 8);
        if (std::memcmp(e, key, kl) == 0 && be32(e + kl) == recno) return;
        uint8_t* w = file_.writablePage(up.page) + kInteriorHeader + up.index * (kl + 8);
        std::memcpy(w, key, kl);
        putBe32(w + kl, recno);
        if (up.index + 1 != n) return;
        --level;
    }
}

void TagImpl::remove(std::span<const uint8_t> key, uint32_t recno) {
    file_.requireWritable();
    const int kl = info_.keyLength;
    if (key.size() != size_t(kl)) return;
    std::vector<Step> path;
    uint32_t off = descend([&](const uint8_t* k, uint32_t r) { return compareEntry(k, r, key.data(), recno, kl) < 0; }, false, &path);
    if (off == kNoPage) return;
    Node leaf;
    readNode(off, leaf);
    for (size_t pos = 0; pos < leaf.size(); ++pos) {
        if (compareEntry(leaf.key(pos, kl), leaf.recnos[pos], key.data(), recno, kl) != 0) continue;
        leaf.eraseAt(pos, kl);
        storeShrunk(path, path.size(), off, leaf);
        return;
    }
}

// Writes a node that lost entries: empty nodes leave the tree, sparse ones merge
// with a neighbour under the same parent, a root with one child hands over to it.
void TagImpl::storeShrunk(std::vector<Step>& path, size_t level, uint32_t off, Node& node) {
    const int kl = info_.keyLength;
    if (level == 0) {
        if (!node.leaf() && node.size() <= 1) {
            if (node.size() == 0) {
                node.attr = kAttrRoot | kAttrLeaf;
                writeNode(off, node);
                return;
            }
            uint32_t child = node.children[0];
            Node c;
            readNode(child, c);
            c.attr |= kAttrRoot;
            c.left = c.right = kNoPage;
            writeNode(child, c);
            file_.freePage(off);
            setRoot(child);
            return;
        }
        writeNode(off, node);
        return;
    }
    Step& up = path[level - 1];
    Node parent;
    readNode(up.page, parent);
    if (parent.leaf() || up.index >= parent.size()) fault("parent changed under an update", up.page);
    if (node.size() == 0) {
        setSiblingLink(node.left, false, node.right);
        setSiblingLink(node.right, true, node.left);
        file_.freePage(off);
        parent.eraseAt(up.index, kl);
        storeShrunk(path, level - 1, up.page, parent);
        return;
    }
    if (usedBytes(node, kl, pad_) < kMergeBelow) {
        for (int side : {1, -1}) {
            if ((side < 0 && up.index == 0) || (side > 0 && up.index + 1 >= parent.size())) continue;
            size_t j = up.index + size_t(side);
            uint32_t sibOff = parent.children[j];
            Node sib;
            readNode(sibOff, sib);
            if (sib.leaf() != node.leaf()) fault("siblings on different levels", sibOff);
            Node& a = side > 0 ? node : sib;
            Node& b = side > 0 ? sib : node;
            uint32_t aOff = side > 0 ? off : sibOff, bOff = side > 0 ? sibOff : off;
            Node merged = a;
            merged.keys.insert(merged.keys.end(), b.keys.begin(), b.keys.end());
            merged.recnos.insert(merged.recnos.end(), b.recnos.begin(), b.recnos.end());
            merged.children.insert(merged.children.end(), b.children.begin(), b.children.end());
            if (!fits(merged, 0, merged.size(), kl, pad_)) continue;
            merged.right = b.right;
            setSiblingLink(b.right, true, aOff);
            writeNode(aOff, merged);
            file_.freePage(bOff);
            size_t ai = std::min(up.index, j), bi = ai + 1;
            parent.children[bi] = aOff;
            std::memcpy(parent.keys.data() + bi * size_t(kl), merged.key(merged.size() - 1, kl), size_t(kl));
            parent.recnos[bi] = merged.recnos.back();
            parent.eraseAt(ai, kl);
            storeShrunk(path, level - 1, up.page, parent);
            return;
        }
    }
    writeNode(off, node);
    updateParentMax(path, level, node);
}

} // namespace qb::xbase::cdx
