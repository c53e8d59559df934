#pragma once
// Helpers shared by the engine tests: a scratch folder per test and the
// committed fixture tables.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qb::xbase::test {

// A folder removed with the test.
class ScratchDir {
public:
    ScratchDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Several in one test each get their own.
        static int made = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("qbtest-" + std::string(info ? info->name() : "x") + "-" + std::to_string(::getpid()) +
                 (made++ ? "-" + std::to_string(made) : std::string()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string fixture(const std::string& relative) { return std::string(QB_TEST_DATA) + "/" + relative; }

// Copies a fixture table (DBF, FPT, CDX) into dir, writable.
inline std::string copyFixture(const ScratchDir& dir, const std::string& set)
{
    for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
        const auto from = fixture("xbase-independent/" + set + "/ADDR" + ext);
        const auto to = dir.path() / (std::string("ADDR") + ext);
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(to, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
    return dir.file("ADDR.DBF");
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The facts another engine reported about the fixture tables: section -> key -> value.
inline std::map<std::string, std::map<std::string, std::string>> expectedFacts()
{
    std::map<std::string, std::map<std::string, std::string>> out;
    std::istringstream in(readFile(fixture("xbase-independent/EXPECTED.txt")));
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const auto eq = line.rfind(" = ") != std::string::npos ? line.rfind(" = ") : line.find('=');
        const size_t skip = line.compare(eq, 3, " = ") == 0 ? 3 : 1;
        out[section][line.substr(0, eq)] = line.substr(eq + skip);
    }
    return out;
}

} // namespace qb::xbase::test
