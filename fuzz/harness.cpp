#include "harness.h"

#include "platform/xbase/cdx_file.h"
#include "platform/xbase/dbt_file.h"
#include "platform/xbase/expression.h"
#include "platform/xbase/fpt_file.h"
#include "platform/xbase/table.h"

#include <fstream>
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

// A .DBT read both as dBase III and as dBase IV writes them.
void dbaseMemoBytes(const uint8_t* data, size_t size)
{
    const std::string path = scratch("M.DBT");
    writeBytes(path, data, size);
    for (bool dBaseIV : {false, true}) {
        try {
            DbtFile f(File(path, File::Mode::ReadOnly), dBaseIV);
            for (uint32_t block = 0; block < 64; ++block) {
                try {
                    (void)f.read(block);
                } catch (const XbaseError&) {
                }
            }
        } catch (const XbaseError&) {
        }
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
    else if (target == "dbt")
        dbaseMemoBytes(data, size);
    else if (target == "cdx")
        indexBytes(data, size);
    else if (target == "expr")
        expressionBytes(data, size);
}

} // namespace qb::fuzz
