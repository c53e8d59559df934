#include "harness.h"
#include "test_support.h"

#include <filesystem>

namespace qb::xbase::test {
namespace {

// Inputs the fuzzers once found crashing, hanging or over-allocating: each must
// now be read (or refused) cleanly.
TEST(FuzzRegression, EveryKeptInputIsHandled)
{
    size_t replayed = 0;
    for (const char* target : {"dbf", "fpt", "dbt", "cdx", "expr"}) {
        const std::filesystem::path dir = std::filesystem::path(QB_FUZZ_REGRESSIONS) / target;
        if (!std::filesystem::exists(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const std::string bytes = readFile(entry.path().string());
            SCOPED_TRACE(entry.path().string());
            qb::fuzz::run(target, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    RecordProperty("replayed", int(replayed));
}

} // namespace
} // namespace qb::xbase::test
