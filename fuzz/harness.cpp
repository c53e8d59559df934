#include "harness.h"

#include "platform/xbase/cdx_file.h"
#include "platform/xbase/expression.h"
#include "platform/xbase/fpt_file.h"
#include "platform/xbase/table.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace qb::fuzz {

using namespace qb::xbase;

namespace {

std::string scratch(const char* name)
{
    return "/tmp/qbfuzz-" + std::to_string(::getpid()) + "-" + name;
}

void writeBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

} // namespace

void tableBytes(const uint8_t* data, size_t size)
{
    const std::string path = scratch("T.DBF");
    writeBytes(path, data, size);
    // A small valid memo file beside it, so memo pointers get followed.
    const uint8_t memo[] = {0, 0, 0, 9, 0, 0, 0, 64};
    std::string fpt(512 + 64, '\0');
    std::copy(std::begin(memo), std::end(memo), fpt.begin());
    fpt[512 + 3] = 1;
    fpt[512 + 7] = 3;
    fpt.replace(512 + 8, 3, "abc");
    writeBytes(scratch("T.FPT"), reinterpret_cast<const uint8_t*>(fpt.data()), fpt.size());
    try {
        auto t = Table::open(path, OpenMode::ReadOnly);
        uint32_t n = 0;
        for (bool ok = t->first(); ok && n < 1000; ok = t->next(), ++n) {
            for (int i = 0; i < t->fieldCount(); ++i) {
                try {
                    (void)t->text(t->field(i).name);
                } catch (const XbaseError&) {
                }
            }
        }
        (void)t->check();
    } catch (const XbaseError&) {
    }
}

// The input is the three files of a table: the lengths of the table and of
// the memo file (u32 LE each), the table, the memo file, and the rest is the
// index. Opening for writing takes back appends the header did not count,
// inserting their keys into whatever index came along, or finds the index
// stale; then a record is appended, one edited and one deleted, the table
// checked, packed and reindexed.
void writableTableBytes(const uint8_t* data, size_t size)
{
    const std::string folder = scratch("w");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    auto u32 = [&](size_t at) { return size >= at + 4 ? uint32_t(data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24) : 0u; };
    size_t at = std::min<size_t>(size, 8);
    const size_t dbfLength = std::min<size_t>(u32(0), size - at);
    writeBytes(folder + "/T.DBF", data + at, dbfLength);
    at += dbfLength;
    const size_t fptLength = std::min<size_t>(u32(4), size - at);
    if (fptLength > 0)
        writeBytes(folder + "/T.FPT", data + at, fptLength);
    at += fptLength;
    if (at < size)
        writeBytes(folder + "/T.CDX", data + at, size - at);
    auto attempt = [](Table& t, const std::function<void()>& step) {
        try {
            step();
        } catch (const XbaseError&) {
            try {
                t.cancel();
            } catch (const XbaseError&) {
            }
        }
    };
    try {
        auto t = Table::open(folder + "/T.DBF", OpenMode::Exclusive);
        int text = -1, memo = -1;
        for (int i = 0; i < t->fieldCount(); ++i) {
            if (t->field(i).type == 'C' && text < 0)
                text = i;
            if (t->field(i).type == 'M' && memo < 0)
                memo = i;
        }
        if (!t->readOnly()) {
            attempt(*t, [&] {
                t->appendBlank();
                if (text >= 0)
                    t->setText(t->field(text).name, "Fuzz");
                if (memo >= 0)
                    t->setMemo(t->field(memo).name, "a memo");
                t->post();
            });
            attempt(*t, [&] {
                if (t->go(1)) {
                    t->edit();
                    if (memo >= 0)
                        t->setMemo(t->field(memo).name, std::string(200, 'm'));
                    t->post();
                }
            });
            attempt(*t, [&] {
                if (t->go(2))
                    t->deleteRecord();
            });
            (void)t->check();
            if (t->recordCount() <= 1000)
                attempt(*t, [&] { t->pack(); });
            attempt(*t, [&] { t->reindex(); });
        }
        (void)t->check();
    } catch (const XbaseError&) {
    }
    std::filesystem::remove_all(folder);
}

void memoBytes(const uint8_t* data, size_t size)
{
    const std::string path = scratch("M.FPT");
    writeBytes(path, data, size);
    try {
        FptFile f(File(path, File::Mode::ReadOnly));
        for (uint32_t block = 0; block < 64; ++block) {
            try {
                (void)f.read(block);
            } catch (const XbaseError&) {
            }
        }
    } catch (const XbaseError&) {
    }
}

void indexBytes(const uint8_t* data, size_t size) { fuzzCdxBytes(data, size); }

void expressionBytes(const uint8_t* data, size_t size) { fuzzExpression(data, size); }

void run(const std::string& target, const uint8_t* data, size_t size)
{
    if (target == "dbf")
        tableBytes(data, size);
    else if (target == "fpt")
        memoBytes(data, size);
    else if (target == "cdx")
        indexBytes(data, size);
    else if (target == "expr")
        expressionBytes(data, size);
    else if (target == "write")
        writableTableBytes(data, size);
}

} // namespace qb::fuzz
