// Compound index: reading indexes of other engines, bulk builds, tree updates,
// interchange with an independent reader, and resistance to damaged files.
#include "platform/xbase/cdx_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

using namespace qb::xbase;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
using Entry = std::pair<Bytes, uint32_t>;

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/cdxtest-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

Bytes charKey(const std::string& s, int len) {
    Bytes k(size_t(len), ' ');
    std::memcpy(k.data(), s.data(), std::min(s.size(), size_t(len)));
    return k;
}

// Sortable doubles: sign bit set for positives, all bits inverted for negatives.
Bytes numKey(double d) {
    uint64_t v;
    std::memcpy(&v, &d, 8);
    v = (v >> 63) ? ~v : v | (uint64_t(1) << 63);
    Bytes k(8);
    for (int i = 0; i < 8; ++i) k[size_t(i)] = uint8_t(v >> (56 - 8 * i));
    return k;
}

std::vector<Entry> walk(CdxTag& tag, bool forward) {
    std::vector<Entry> out;
    auto c = tag.cursor();
    for (bool ok = forward ? c->first() : c->last(); ok; ok = forward ? c->next() : c->prev())
        out.emplace_back(Bytes(c->key().begin(), c->key().end()), c->recno());
    if (!forward) std::reverse(out.begin(), out.end());
    return out;
}

std::vector<Entry> sorted(std::vector<Entry> v, bool unique = false) {
    std::sort(v.begin(), v.end());
    if (unique) v.erase(std::unique(v.begin(), v.end(), [](auto& a, auto& b) { return a.first == b.first; }), v.end());
    return v;
}

void expectWalks(CdxTag& tag, const std::vector<Entry>& model) {
    auto fwd = walk(tag, true);
    ASSERT_EQ(fwd.size(), model.size());
    EXPECT_TRUE(fwd == model);
    EXPECT_TRUE(walk(tag, false) == model);
}

CdxTag* build(CdxFile& f, TagInfo info, const std::vector<Entry>& entries, size_t budget = 64u << 20) {
    auto b = f.buildTag(info, budget);
    for (auto& [k, r] : entries) b->add(k, r);
    return b->finish();
}

// Writes the trees of several tags on two threads at once, as the table does,
// then adds the tags in the order given.
std::vector<CdxTag*> buildTogether(CdxFile& f, const std::vector<std::pair<TagInfo, std::vector<Entry>>>& tags, size_t budget) {
    std::vector<std::unique_ptr<CdxTagBuilder>> builders;
    for (auto& [info, entries] : tags) {
        builders.push_back(f.buildTag(info, budget));
        for (auto& [k, r] : entries) builders.back()->add(k, r);
    }
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        try {
            for (size_t i; (i = next++) < builders.size();) builders[i]->build();
        } catch (...) {
            failed = true;
        }
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_FALSE(failed);
    std::vector<CdxTag*> out;
    for (auto& b : builders) out.push_back(b->finish());
    return out;
}

// Words with shared prefixes and many repeats, as names in a mailing list are.
std::vector<Entry> nameEntries(size_t n, int keyLen, uint32_t seed) {
    std::mt19937 rng(seed);
    static const char* const parts[] = {"SMITH", "SCHMIDT", "MULLER", "MILLER", "MILLS", "A", "AB", "ZZ", "", "O'NEIL"};
    std::vector<Entry> v;
    for (size_t i = 0; i < n; ++i) {
        std::string s = std::string(parts[rng() % 10]) + parts[rng() % 10];
        if (rng() % 3 == 0) s += std::to_string(rng() % 50);
        v.emplace_back(charKey(s, keyLen), uint32_t(i + 1));
    }
    return v;
}

std::map<std::string, std::vector<uint32_t>> expectedOrders(const std::string& section) {
    std::ifstream in(std::string(QB_TEST_DATA) + "/xbase-independent/EXPECTED.txt");
    std::map<std::string, std::vector<uint32_t>> out;
    std::string line, current;
    while (std::getline(in, line)) {
        if (line.starts_with("[")) current = line.substr(1, line.find(']') - 1);
        if (current != section || !line.starts_with("order ")) continue;
        std::istringstream ls(line.substr(6));
        std::string tag, word;
        ls >> tag >> word >> word >> word;   // "first 25 ="
        uint32_t r;
        while (ls >> r) out[tag].push_back(r);
    }
    return out;
}

} // namespace

TEST(CdxForeign, ReadsTagsOfAnotherEngineInTheirOrder) {
    struct Case { const char* dir; int records; };
    for (Case c : {Case{"addr500", 501}, Case{"vfp200", 201}}) {
        SCOPED_TRACE(c.dir);
        auto f = CdxFile::open(std::string(QB_TEST_DATA) + "/xbase-independent/" + c.dir + "/ADDR.CDX", true);
        ASSERT_EQ(f->tagCount(), 26);
        EXPECT_EQ(f->tagAt(0)->info().name, "NAME");
        EXPECT_EQ(f->tag("cityz"), nullptr);
        EXPECT_EQ(f->tag("city")->info().keyExpr, "UPPER(CITY+STATE)");
        EXPECT_EQ(f->tag("isdel")->info().keyType, KeyType::Logical);
        EXPECT_EQ(f->tag("deleted")->info().keyType, KeyType::Logical);
        EXPECT_EQ(f->tag("tag")->info().keyType, KeyType::Character);   // 8 bytes, yet text
        EXPECT_TRUE(f->check(c.records).empty());

        auto orders = expectedOrders(c.dir);
        ASSERT_EQ(orders.size(), 8u);
        for (auto& [name, recnos] : orders) {
            SCOPED_TRACE(name);
            auto all = walk(*f->tag(name), true);
            ASSERT_EQ(all.size(), size_t(c.records));
            EXPECT_EQ(walk(*f->tag(name), false), all);
            std::vector<uint32_t> first;
            for (size_t i = 0; i < recnos.size(); ++i) first.push_back(all[i].second);
            EXPECT_EQ(first, recnos);
        }
        // A prefix seek lands on the first key at or after the prefix.
        auto cur = f->tag("NAME")->cursor();
        const uint8_t m[] = {'M'};
        ASSERT_TRUE(cur->seek(m));
        EXPECT_EQ(cur->key()[0], 'M');
        ASSERT_TRUE(cur->prev());
        EXPECT_LT(cur->key()[0], 'M');
    }
}

TEST(CdxBuild, SortedWalksAndInfoRoundTrip) {
    TempDir dir;
    std::mt19937 rng(7);
    std::vector<Entry> nums, logic;
    for (uint32_t r = 1; r <= 3000; ++r) {
        nums.emplace_back(numKey(double(int(rng() % 2000) - 1000) / 4), r);
        logic.emplace_back(Bytes{uint8_t(rng() % 2 ? 'T' : 'F')}, r);
    }
    struct Case {
        TagInfo info;
        std::vector<Entry> entries;
        size_t budget;   // small budgets force spilled runs and a merge
    };
    std::vector<Case> cases = {
        {{"NAME", "UPPER(LNAME)", "", KeyType::Character, 24, false, false}, nameEntries(5000, 24, 1), 64u << 20},
        {{"NAMESPILL", "UPPER(LNAME)", "!DELETED()", KeyType::Character, 24, true, false}, nameEntries(20000, 24, 2), 100000},
        {{"UNIQ", "UPPER(LNAME)", "", KeyType::Character, 12, false, true}, nameEntries(4000, 12, 3), 70000},
        {{"AMOUNT", "AMOUNT", "", KeyType::Numeric, 8, false, false}, nums, 64u << 20},
        {{"FLAG", "FLAG", "", KeyType::Logical, 1, false, false}, logic, 64u << 20},
        {{"EMPTY", "X", "", KeyType::Date, 8, false, false}, {}, 64u << 20},
    };
    const std::string path = dir.file("T.CDX");
    {
        auto f = CdxFile::create(path);
        for (auto& c : cases) {
            SCOPED_TRACE(c.info.name);
            int last = -1;
            auto b = f->buildTag(c.info, c.budget);
            for (auto& [k, r] : c.entries) b->add(k, r);
            CdxTag* t = b->finish([&](int p) {
                EXPECT_GE(p, last);
                last = p;
                // Spilled runs live in a file without a name: nothing a crash could leave.
                const auto files = std::distance(fs::directory_iterator(dir.path), fs::directory_iterator());
                EXPECT_EQ(files, 1) << "a sort file beside the index";
            });
            EXPECT_EQ(last, 100);
            expectWalks(*t, sorted(c.entries, c.info.unique));
        }
    }
    auto f = CdxFile::open(path, true);
    ASSERT_EQ(f->tagCount(), int(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i) {
        const TagInfo& want = cases[i].info;
        CdxTag* t = f->tagAt(int(i));
        SCOPED_TRACE(want.name);
        EXPECT_EQ(t->info().name, want.name);
        EXPECT_EQ(t->info().keyExpr, want.keyExpr);
        EXPECT_EQ(t->info().forExpr, want.forExpr);
        EXPECT_EQ(t->info().keyType, want.keyType);
        EXPECT_EQ(t->info().keyLength, want.keyLength);
        EXPECT_EQ(t->info().descending, want.descending);
        EXPECT_EQ(t->info().unique, want.unique);
        expectWalks(*t, sorted(cases[i].entries, want.unique));
    }
    auto faults = f->check();
    EXPECT_TRUE(faults.empty()) << faults.front();
}

// Trees written at the same time share the end of the file in runs of pages,
// so a level's pages are not consecutive; links, free pages and the order of
// the tags must come out as if the tags were built one by one.
TEST(CdxBuild, TreesWrittenTogetherAreSoundAndListedInOrder) {
    TempDir dir;
    const std::string path = dir.file("T.CDX");
    std::mt19937 rng(11);
    std::vector<Entry> nums, flags, wide;
    for (uint32_t r = 1; r <= 30000; ++r) {
        nums.emplace_back(numKey(double(int(rng() % 5000) - 2500) / 4), r);
        flags.emplace_back(Bytes{uint8_t(rng() % 2 ? 'T' : 'F')}, r);
    }
    for (auto& [k, r] : nameEntries(6000, 20, 12)) wide.emplace_back(charKey(std::string(k.begin(), k.end()) + "|" + std::to_string(r % 97), 120), r);
    const std::vector<std::pair<TagInfo, std::vector<Entry>>> tags = {
        {{"NAME", "UPPER(LNAME)", "", KeyType::Character, 24}, nameEntries(40000, 24, 13)},
        {{"UNIQ", "UPPER(LNAME)", "", KeyType::Character, 12, false, true}, nameEntries(20000, 12, 14)},
        {{"AMOUNT", "AMOUNT", "", KeyType::Numeric, 8}, nums},
        {{"FLAG", "FLAG", "", KeyType::Logical, 1}, flags},
        {{"EMPTY", "X", "", KeyType::Date, 8}, {}},
        {{"WIDE", "UPPER(LNAME+CITY)", "", KeyType::Character, 120}, wide},
    };
    const std::vector<Entry> kept = nameEntries(3000, 16, 15);
    {
        auto f = CdxFile::create(path);
        build(*f, {"KEEP", "K", "", KeyType::Character, 16}, kept);
        build(*f, {"AMOUNT", "OLD", "", KeyType::Numeric, 8}, {{numKey(1), 1}});
        // Spilled runs first; the second build replaces every tag, so the old
        // pages go to the free list.
        for (size_t budget : {size_t(150000), size_t(32u << 20)}) {
            SCOPED_TRACE(budget);
            std::vector<CdxTag*> built = buildTogether(*f, tags, budget);
            ASSERT_EQ(f->tagCount(), int(tags.size()) + 1);
            EXPECT_EQ(f->tagAt(0)->info().name, "KEEP");
            for (size_t i = 0; i < tags.size(); ++i) {
                SCOPED_TRACE(tags[i].first.name);
                EXPECT_EQ(f->tagAt(int(i) + 1), built[i]);
                EXPECT_EQ(built[i]->info().keyExpr, tags[i].first.keyExpr);
                expectWalks(*built[i], sorted(tags[i].second, tags[i].first.unique));
            }
            auto faults = f->check();
            EXPECT_TRUE(faults.empty()) << faults.front();
        }
    }
    auto f = CdxFile::open(path, true);
    ASSERT_EQ(f->tagCount(), int(tags.size()) + 1);
    expectWalks(*f->tagAt(0), sorted(kept));
    for (size_t i = 0; i < tags.size(); ++i) {
        SCOPED_TRACE(tags[i].first.name);
        EXPECT_EQ(f->tagAt(int(i) + 1)->info().name, tags[i].first.name);
        expectWalks(*f->tagAt(int(i) + 1), sorted(tags[i].second, tags[i].first.unique));
    }
    auto faults = f->check();
    EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(CdxBuild, CheckCountsKeysPerRecord) {
    TempDir dir;
    auto f = CdxFile::create(dir.file("K.CDX"));
    std::vector<Entry> e;
    for (uint32_t r : {1, 2, 3, 5, 6, 7, 8, 9, 10}) e.emplace_back(charKey("K" + std::to_string(r), 6), r);
    e.emplace_back(charKey("X", 6), 7);
    build(*f, {"K", "K", "", KeyType::Character, 6}, e);
    build(*f, {"FILTERED", "K", "X > 1", KeyType::Character, 6}, {{charKey("A", 6), 2}});
    auto faults = f->check(10);
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0], "1 records without a key (first 4), tag K");
    EXPECT_EQ(faults[1], "1 records with more than one key (first 7), tag K");
    faults = f->check(9);
    ASSERT_FALSE(faults.empty());
    EXPECT_NE(faults[0].find("record number 10 outside 1..9, tag K, page at offset"), std::string::npos) << faults[0];
}

TEST(CdxBuild, SeekFindsLowerBoundOfPrefix) {
    TempDir dir;
    auto f = CdxFile::create(dir.file("S.CDX"));
    auto entries = sorted(nameEntries(8000, 16, 4));
    CdxTag* t = build(*f, {"N", "N", "", KeyType::Character, 16, false, false}, entries);
    auto c = t->cursor();
    for (std::string p : {"", "A", "MIL", "MILLS", "MILLSZ", "O'", "SMITHSMITH4", "ZZZZ", "\x7f"}) {
        SCOPED_TRACE(p);
        Bytes prefix(p.begin(), p.end());
        auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return std::lexicographical_compare(e.first.begin(), e.first.begin() + ptrdiff_t(prefix.size()), prefix.begin(), prefix.end()) == false;
        });
        ASSERT_EQ(c->seek(prefix), it != entries.end());
        if (it != entries.end()) {
            EXPECT_EQ(Entry(Bytes(c->key().begin(), c->key().end()), c->recno()), *it);
        }
    }
    EXPECT_TRUE(c->seekExact(entries[4321].first, entries[4321].second));
    EXPECT_EQ(c->recno(), entries[4321].second);
    EXPECT_FALSE(c->seekExact(entries[4321].first, 999999));
    EXPECT_FALSE(c->valid());
    EXPECT_FALSE(c->next());
}

TEST(CdxUpdate, InsertsAndRemovesKeepTreeSound) {
    TempDir dir;
    const std::string path = dir.file("U.CDX");
    std::mt19937 rng(11);
    std::set<Entry> model;
    {
        auto f = CdxFile::create(path);
        // One tag grows from empty by inserts, one starts from a bulk build of full leaves.
        CdxTag* grown = build(*f, {"GROWN", "K", "", KeyType::Character, 30, false, false}, {});
        auto seed = nameEntries(6000, 30, 5);
        CdxTag* bulk = build(*f, {"BULK", "K", "", KeyType::Character, 30, false, false}, seed);
        std::set<Entry> bulkModel(seed.begin(), seed.end());
        auto more = nameEntries(12000, 30, 6);
        for (auto& [k, r] : more) {
            grown->insert(k, r);
            model.insert({k, r});
            Entry e{k, r + 6000};
            bulk->insert(e.first, e.second);
            bulkModel.insert(e);
        }
        grown->insert(more[0].first, more[0].second);   // already there: no second copy
        expectWalks(*grown, {model.begin(), model.end()});
        expectWalks(*bulk, {bulkModel.begin(), bulkModel.end()});
        EXPECT_TRUE(f->check().empty());

        // Remove most keys in random order: pages empty out, merge and leave the tree.
        std::vector<Entry> order(model.begin(), model.end());
        std::shuffle(order.begin(), order.end(), rng);
        for (size_t i = 0; i < order.size() * 9 / 10; ++i) {
            grown->remove(order[i].first, order[i].second);
            model.erase(order[i]);
            if (i % 4000 == 0) {
                ASSERT_TRUE(f->check().empty()) << f->check().front();
            }
        }
        grown->remove(charKey("NOT THERE", 30), 1);
        expectWalks(*grown, {model.begin(), model.end()});
        std::vector<Entry> bulkOrder(bulkModel.begin(), bulkModel.end());
        for (size_t i = 0; i < bulkOrder.size(); i += 2) {
            bulk->remove(bulkOrder[i].first, bulkOrder[i].second);
            bulkModel.erase(bulkOrder[i]);
        }
        expectWalks(*bulk, {bulkModel.begin(), bulkModel.end()});
        auto faults = f->check();
        EXPECT_TRUE(faults.empty()) << faults.front();

        // Freed pages are reused before the file grows.
        f->flush();
        auto size = fs::file_size(path);
        for (int i = 0; i < 3000; ++i) grown->insert(charKey("REUSE" + std::to_string(i), 30), uint32_t(100000 + i));
        f->flush();
        EXPECT_EQ(fs::file_size(path), size);
        for (int i = 0; i < 3000; ++i) model.insert({charKey("REUSE" + std::to_string(i), 30), uint32_t(100000 + i)});
    }
    auto f = CdxFile::open(path, false);
    expectWalks(*f->tag("GROWN"), {model.begin(), model.end()});
    // Emptied completely, the tag is a bare root leaf and takes keys again.
    for (auto& [k, r] : model) f->tag("GROWN")->remove(k, r);
    EXPECT_TRUE(walk(*f->tag("GROWN"), true).empty());
    EXPECT_FALSE(f->tag("GROWN")->cursor()->first());
    f->tag("GROWN")->insert(charKey("BACK", 30), 1);
    EXPECT_EQ(walk(*f->tag("GROWN"), true).size(), 1u);
    EXPECT_TRUE(f->check().empty());
}

TEST(CdxFile, TagDirectoryOperations) {
    TempDir dir;
    const std::string path = dir.file("D.CDX");
    auto f = CdxFile::create(path);
    // More tags than one directory leaf holds, created out of name order.
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back("T" + std::to_string((i * 37) % 60));
    for (auto& n : names) build(*f, {n, "X", "", KeyType::Character, 4, false, false}, {{charKey(n, 4), 1}});
    f->flush();
    {
        auto r = CdxFile::open(path, true);
        ASSERT_EQ(r->tagCount(), 60);
        for (int i = 0; i < 60; ++i) EXPECT_EQ(r->tagAt(i)->info().name, names[size_t(i)]);
    }
    f->dropTag("t5");
    EXPECT_EQ(f->tag("T5"), nullptr);
    EXPECT_EQ(f->tagCount(), 59);
    // Rebuilding under an existing name replaces that tag and moves it last.
    build(*f, {"t0", "Y", "", KeyType::Character, 4, false, false}, {{charKey("NEW", 4), 9}});
    EXPECT_EQ(f->tagCount(), 59);
    EXPECT_EQ(f->tagAt(58)->info().name, "T0");
    EXPECT_EQ(walk(*f->tag("T0"), true).at(0).second, 9u);
    EXPECT_TRUE(f->check().empty());
    f->removeAllTags();
    EXPECT_EQ(f->tagCount(), 0);
    f.reset();
    EXPECT_EQ(CdxFile::open(path, true)->tagCount(), 0);
    EXPECT_THROW(CdxFile::create(path)->buildTag({"WAYTOOLONGNAME", "X", "", KeyType::Character, 4}), XbaseError);
}

TEST(CdxInterchange, PerlXBaseReadsOurTags) {
    ASSERT_EQ(std::system("perl -MXBase::Index -e 1 2>/dev/null"), 0)
        << "perl with XBase::Index is missing (libdbd-xbase-perl, see scripts/test-deps.sh)";
    TempDir dir;
    const std::string path = dir.file("P.CDX");
    auto names = nameEntries(9000, 20, 8);
    std::vector<Entry> nums;
    std::mt19937 rng(9);
    for (uint32_t r = 1; r <= 9000; ++r) nums.emplace_back(numKey(double(int(rng() % 100000) - 50000) / 8), r);
    std::set<Entry> edited;
    {
        auto f = CdxFile::create(path);
        build(*f, {"NAME", "UPPER(LNAME)", "", KeyType::Character, 20}, names);
        build(*f, {"AMOUNT", "AMOUNT", "", KeyType::Numeric, 8}, nums);
        buildTogether(*f, {{{"NAME2", "UPPER(LNAME)", "", KeyType::Character, 20}, names}, {{"AMOUNT2", "AMOUNT", "", KeyType::Numeric, 8}, nums}},
                      100000);
        CdxTag* e = build(*f, {"EDITED", "UPPER(LNAME)", "", KeyType::Character, 20}, {});
        for (auto& [k, r] : names) { e->insert(k, r); edited.insert({k, r}); }
        size_t i = 0;
        for (auto& [k, r] : names)
            if (i++ % 3) { e->remove(k, r); edited.erase({k, r}); }
    }
    auto perl = [&](const std::string& tag, const char* type) {
        std::string script = dir.file("walk.pl");
        std::ofstream(script) << "use XBase::Index; my $i = XBase::Index->new($ARGV[0], tag => $ARGV[1], type => $ARGV[2])"
                                 " or die XBase::Index->errstr; $i->prepare_select;"
                                 " while (my ($k, $r) = $i->fetch) { $k = sprintf('%.4f', $k) if $ARGV[2] eq 'N'; print \"$k\\t$r\\n\"; }";
        std::string out = dir.file("out.txt");
        EXPECT_EQ(std::system(("perl " + script + " " + path + " " + tag + " " + type + " > " + out).c_str()), 0);
        std::ifstream in(out);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    };
    auto expected = [](const std::vector<Entry>& entries, bool numeric) {
        std::string s;
        for (auto& [k, r] : entries) {
            if (numeric) {
                Bytes b = k;
                uint64_t v = 0;
                for (uint8_t x : b) v = v << 8 | x;
                v = (v >> 63) ? v & ~(uint64_t(1) << 63) : ~v;
                double d;
                std::memcpy(&d, &v, 8);
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.4f", d);
                s += buf;
            } else {
                std::string t(k.begin(), k.end());
                s += t.substr(0, t.find_last_not_of(' ') + 1);
            }
            s += "\t" + std::to_string(r) + "\n";
        }
        return s;
    };
    EXPECT_EQ(perl("NAME", "C"), expected(sorted(names), false));
    EXPECT_EQ(perl("AMOUNT", "N"), expected(sorted(nums), true));
    EXPECT_EQ(perl("EDITED", "C"), expected({edited.begin(), edited.end()}, false));
    EXPECT_EQ(perl("NAME2", "C"), expected(sorted(names), false));
    EXPECT_EQ(perl("AMOUNT2", "N"), expected(sorted(nums), true));
}

namespace {

// A small index with a tree of several levels, for damaging.
std::string smallIndex(const TempDir& dir) {
    const std::string path = dir.file("C.CDX");
    auto f = CdxFile::create(path);
    build(*f, {"NAME", "N", "", KeyType::Character, 40}, nameEntries(2000, 40, 10));
    return path;
}

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

uint32_t le32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
void put32(Bytes& b, size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i)); }

} // namespace

// An index at the 4 GB its page offsets can name refuses to grow: a new page
// never wraps round to the header.
TEST(CdxUpdate, APageBeyondFourGigabytesIsRefused) {
    TempDir dir;
    const std::string path = dir.file("G.CDX");
    {
        auto f = CdxFile::create(path);
        build(*f, {"K", "K", "", KeyType::Character, 30, false, false}, {});
        f->flush();
    }
    auto headerOf = [&] {
        Bytes h(1024);
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(h.data()), 1024);
        return h;
    };
    const Bytes header = headerOf();
    fs::resize_file(path, 0xFFFFFE00u);   // sparse: no disk space taken
    bool refused = false;
    {
        auto f = CdxFile::open(path, false);
        try {
            for (uint32_t r = 1; r <= 2000; ++r) f->tag("K")->insert(charKey("KEY" + std::to_string(r), 30), r);
            f->flush();
        } catch (const XbaseError& e) {
            refused = std::string(e.what()).find("4 GB") != std::string::npos;
        }
        f->abandon();
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(headerOf(), header);
}

TEST(CdxDamage, FaultsAreReportedNeverFatal) {
    TempDir dir;
    const std::string path = smallIndex(dir);
    const Bytes good = readAll(path);
    // Offsets inside the NAME tag: its header is the last two pages, its root first.
    const size_t header = good.size() - 1024;
    const uint32_t root = le32(good, header);
    // The leftmost leaf: follow first children down from the root.
    uint32_t leaf = root;
    while (!(good[leaf] & 2)) leaf = uint32_t(good[leaf + 12 + 40 + 4]) << 24 | good[leaf + 12 + 40 + 5] << 16 | good[leaf + 12 + 40 + 6] << 8 | good[leaf + 12 + 40 + 7];
    ASSERT_NE(leaf, root);

    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        bool openFails;      // else: walking the tag fails, and check() names the fault
        const char* words;   // in the message
    };
    std::vector<Case> cases = {
        {"truncated", [](Bytes& b) { b.resize(700); }, true, "truncated"},
        {"zero key length", [](Bytes& b) { b[12] = 0; b[13] = 0; }, true, "key length 0"},
        {"key length 241", [&](Bytes& b) { b[header + 12] = 241; }, true, "key length 241"},
        {"not compact", [](Bytes& b) { b[14] = 0x40; }, true, "compact"},
        {"root misaligned", [&](Bytes& b) { put32(b, header, root + 3); }, true, "root page outside"},
        {"root past end", [&](Bytes& b) { put32(b, header, uint32_t(b.size() + 512)); }, true, "root page outside"},
        {"tag header past end", [](Bytes& b) { b.resize(b.size() - 512); }, true, "header outside"},
        {"sibling loop", [&](Bytes& b) { put32(b, leaf + 8, leaf); }, false, "loop"},
        {"child cycle", [&](Bytes& b) { b[root + 12 + 40 + 4] = uint8_t(root >> 24); b[root + 12 + 40 + 5] = uint8_t(root >> 16);
                                        b[root + 12 + 40 + 6] = uint8_t(root >> 8); b[root + 12 + 40 + 7] = uint8_t(root); }, false, "loop"},
        {"bit widths", [&](Bytes& b) { b[leaf + 20] = 30; b[leaf + 23] = 2; }, false, "bit-field"},
        {"key count", [&](Bytes& b) { b[leaf + 2] = 0xFF; b[leaf + 3] = 0x7F; }, false, "overflows"},
        {"dup exceeds key", [&](Bytes& b) { b[leaf + 24 + 3] = 0xFF; b[leaf + 24 + 4] = 0xFF; b[leaf + 24 + 5] = 0xFF; }, false, "exceed"},
        {"interior count", [&](Bytes& b) { b[root + 2] = 200; }, false, "overflows"},
        {"child misaligned", [&](Bytes& b) { b[root + 12 + 40 + 7] += 1; }, false, "boundary"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        c.damage(bad);
        writeAll(path, bad);
        if (c.openFails) {
            try {
                CdxFile::open(path, false);
                ADD_FAILURE() << "opened";
            } catch (const XbaseError& e) {
                EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
                EXPECT_EQ(e.file(), path);
            }
        } else {
            auto f = CdxFile::open(path, true);
            try {
                walk(*f->tag("NAME"), true);
                walk(*f->tag("NAME"), false);
                ADD_FAILURE() << "walked";
            } catch (const XbaseError& e) {
                EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("tag NAME, page at offset "), std::string::npos) << e.what();
            }
            auto faults = f->check(2000);
            ASSERT_FALSE(faults.empty());
            EXPECT_NE(faults[0].find("tag NAME"), std::string::npos) << faults[0];
        }
        EXPECT_EQ(readAll(path), bad);   // nothing written into a file we could not read
    }
}

TEST(CdxDamage, ReadOnlyRefusesWrites) {
    TempDir dir;
    const std::string path = smallIndex(dir);
    const Bytes before = readAll(path);
    {
        auto f = CdxFile::open(path, true);
        EXPECT_THROW(f->tag("NAME")->insert(charKey("X", 40), 5000), XbaseError);
        EXPECT_THROW(f->dropTag("NAME"), XbaseError);
        EXPECT_THROW(f->buildTag({"B", "B", "", KeyType::Character, 4}), XbaseError);
    }
    EXPECT_EQ(readAll(path), before);
}

TEST(CdxDamage, RandomCorruptionOfRealFilesIsSurvived) {
    std::mt19937 rng(12);
    const Bytes fixture = readAll(std::string(QB_TEST_DATA) + "/xbase-independent/vfp200/ADDR.CDX");
    for (int round = 0; round < 300; ++round) {
        Bytes b = fixture;
        int flips = 1 + int(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            // Headers and node headers hold the interesting fields; hit them more often.
            size_t at = rng() % 2 ? (rng() % (b.size() / 512)) * 512 + rng() % 32 : rng() % b.size();
            b[at] = uint8_t(rng());
        }
        if (round % 50 == 0) b.resize(rng() % b.size());
        fuzzCdxBytes(b.data(), b.size());
    }
}
