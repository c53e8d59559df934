#include "harness.h"
#include "test_support.h"

#include <filesystem>
#include <map>

namespace qb::xbase::test {
namespace {

// The seeds every fuzz run starts from, and the inputs the fuzzers once found
// crashing, hanging or over-allocating: each must be read (or refused)
// cleanly. A run that found nothing to replay has lost its inputs.
TEST(FuzzRegression, EveryKeptInputIsHandled)
{
    std::map<std::string, size_t> replayed;
    for (const char* kept : {QB_FUZZ_SEEDS, QB_FUZZ_REGRESSIONS}) {
        for (const char* target : {"dbf", "fpt", "cdx", "expr", "write"}) {
            const std::filesystem::path dir = std::filesystem::path(kept) / target;
            if (!std::filesystem::exists(dir))
                continue;
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                const std::string bytes = readFile(entry.path().string());
                SCOPED_TRACE(entry.path().string());
                qb::fuzz::run(target, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                ++replayed[target];
            }
        }
    }
    // Every reader of a file has seeds of its own.
    for (const char* target : {"dbf", "fpt", "cdx", "write"})
        EXPECT_GT(replayed[target], 0u) << "nothing replayed for " << target;
}

} // namespace
} // namespace qb::xbase::test
