// Measures the table engine on a generated address table:
//   xbase_bench RECORDS [FOLDER]
// appends RECORDS address records, builds the 26 address tags, seeks, counts
// and walks, printing seconds for each step and the peak resident memory.

#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace qb::xbase;

namespace {

const std::vector<FieldDef> kAddress = {
    {"LNAME", 'C', 30, 0},  {"FNAME", 'C', 30, 0},  {"MIDDLE", 'C', 1, 0},  {"PREFIX", 'C', 12, 0},
    {"TITLE", 'C', 30, 0},  {"ORG", 'C', 30, 0},    {"STREET", 'C', 40, 0}, {"STREET2", 'C', 40, 0},
    {"CITY", 'C', 30, 0},   {"STATE", 'C', 20, 0},  {"ZIP", 'C', 10, 0},    {"COUNTRY", 'C', 30, 0},
    {"DATE", 'C', 15, 0},   {"PHONE", 'C', 30, 0},  {"PHONE2", 'C', 30, 0}, {"FAX", 'C', 40, 0},
    {"EMAIL", 'C', 40, 0},  {"CODES", 'C', 30, 0},  {"USER1", 'C', 40, 0},  {"USER2", 'C', 40, 0},
    {"ISDEL", 'L', 1, 0},   {"TAG", 'C', 8, 0},     {"MEMO", 'M', 10, 0},
};

const std::vector<TagSpec> kTags = {
    {"NAME", "UPPER(LNAME-FNAME)"}, {"LNAME", "UPPER(LNAME)+UPPER(FNAME)"}, {"FNAME", "UPPER(FNAME)"},
    {"TITLE", "UPPER(TITLE)"},      {"ORG", "UPPER(ORG)"},                   {"STREET", "UPPER(STREET)"},
    {"STREET2", "UPPER(STREET2)"},  {"CITY", "UPPER(CITY+STATE)"},           {"STATE", "UPPER(STATE)"},
    {"ZIP", "UPPER(ZIP)"},          {"COUNTRY", "UPPER(COUNTRY)"},           {"PHONE", "UPPER(PHONE)"},
    {"PHONE2", "UPPER(PHONE2)"},    {"EMAIL", "UPPER(EMAIL)"},               {"FAX", "UPPER(FAX)"},
    {"USER1", "UPPER(USER1)"},      {"USER2", "UPPER(USER2)"},               {"DATE", "UPPER(DATE)"},
    {"TAG", "UPPER(TAG)"},          {"CODES", "UPPER(CODES)"},               {"PREFIX", "UPPER(PREFIX)"},
    {"MIDDLE", "UPPER(MIDDLE)"},    {"DELETED", "DELETED()"},                {"STATEZIP", "UPPER(STATE-ZIP)"},
    {"ISDEL", "ISDEL"},             {"NOTISDEL", "!ISDEL"},
};

const char* kLast[] = {"Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis", "Rodriguez",
                       "Martinez", "Hernandez", "Lopez", "Gonzalez", "Wilson", "Anderson", "Thomas", "Taylor", "Moore",
                       "Jackson", "Martin", "Lee", "Perez", "Thompson", "White", "Harris", "Sanchez", "Clark", "Ramirez",
                       "Lewis", "Robinson", "Walker", "Young", "Allen", "King", "Wright", "Scott", "Torres", "Nguyen",
                       "Hill", "Flores", "Green", "Adams", "Nelson", "Baker", "Hall", "Rivera", "Campbell", "Mitchell"};
const char* kFirst[] = {"James", "Mary", "Robert", "Patricia", "John", "Jennifer", "Michael", "Linda", "David",
                        "Elizabeth", "William", "Barbara", "Richard", "Susan", "Joseph", "Jessica", "Thomas", "Sarah",
                        "Charles", "Karen", "Daniel", "Nancy", "Matthew", "Lisa", "Anthony", "Betty", "Mark", "Sandra"};
const char* kStreets[] = {"Main St", "Oak Ave", "Maple Dr", "Cedar Ln", "Elm St", "Washington Blvd", "Lake Rd",
                          "Hill St", "Park Ave", "Pine St", "Sunset Blvd", "River Rd"};
const char* kCities[] = {"Springfield", "Riverside", "Franklin", "Greenville", "Bristol", "Clinton", "Fairview",
                         "Salem", "Madison", "Georgetown", "Arlington", "Ashland", "Burlington", "Manchester"};
const char* kStates[] = {"CA", "CA", "CA", "TX", "TX", "NY", "FL", "IL", "PA", "OH", "GA", "NC", "MI", "NJ", "VA",
                         "WA", "AZ", "MA", "TN", "IN", "MO", "MD", "WI", "CO", "MN", "SC", "AL", "LA", "KY", "OR"};

double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Resident memory now, split into the process's own (anonymous) pages and
// pages of mapped files, which are the page cache's and shared with it.
std::pair<double, double> residentMb()
{
    std::ifstream in("/proc/self/status");
    double anon = 0, file = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("RssAnon:", 0) == 0)
            anon = std::atof(line.c_str() + 8) / 1024.0;
        else if (line.rfind("RssFile:", 0) == 0)
            file = std::atof(line.c_str() + 8) / 1024.0;
    }
    return {anon, file};
}

long peakKb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    const long records = argc > 1 ? std::atol(argv[1]) : 100000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "qb-bench";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "ADDR.DBF").string();
    for (const char* ext : {".DBF", ".FPT", ".CDX"})
        std::filesystem::remove(folder / (std::string("ADDR") + ext));

    std::mt19937 rng(42);
    auto pick = [&](const auto& list) { return list[rng() % (sizeof(list) / sizeof(list[0]))]; };
    char buf[64];

    auto start = std::chrono::steady_clock::now();
    {
        auto t = Table::create(path, kAddress);
        for (long i = 1; i <= records; ++i) {
            t->appendBlank();
            t->setText("LNAME", std::string(pick(kLast)) + (rng() % 4 == 0 ? std::to_string(rng() % 100) : ""));
            t->setText("FNAME", pick(kFirst));
            t->setText("MIDDLE", std::string(1, char('A' + rng() % 26)));
            std::snprintf(buf, sizeof buf, "%u %s", unsigned(rng() % 9999 + 1), pick(kStreets));
            t->setText("STREET", buf);
            if (rng() % 5 == 0) {
                std::snprintf(buf, sizeof buf, "Apt %u", unsigned(rng() % 500 + 1));
                t->setText("STREET2", buf);
            }
            t->setText("CITY", pick(kCities));
            t->setText("STATE", pick(kStates));
            if (rng() % 3 == 0)
                std::snprintf(buf, sizeof buf, "%05u-%04u", unsigned(rng() % 99999), unsigned(rng() % 9999));
            else
                std::snprintf(buf, sizeof buf, "%05u", unsigned(rng() % 99999));
            t->setText("ZIP", buf);
            t->setText("COUNTRY", "USA");
            std::snprintf(buf, sizeof buf, "(%03u) %03u-%04u", unsigned(rng() % 800 + 200), unsigned(rng() % 1000), unsigned(rng() % 10000));
            t->setText("PHONE", buf);
            std::snprintf(buf, sizeof buf, "%s%ld@example.com", pick(kFirst), i);
            t->setText("EMAIL", buf);
            std::snprintf(buf, sizeof buf, "%04u%02u%02u", unsigned(1950 + rng() % 70), unsigned(1 + rng() % 12), unsigned(1 + rng() % 28));
            t->setText("DATE", buf);
            t->setLogical("ISDEL", i % 50 == 0);
            if (i % 10 == 0)
                t->setMemo("MEMO", "Met at the spring fair; prefers letters to calls. Member since " + std::string(buf, 4) + ".");
            t->post();
        }
    }
    std::printf("records\t%ld\n", records);
    std::printf("append\t%.3f s\n", seconds(start));

    auto t = Table::open(path, OpenMode::Exclusive);
    const long beforeIndex = peakKb();
    start = std::chrono::steady_clock::now();
    t->createTags(kTags);
    std::printf("26 tags\t%.3f s\n", seconds(start));
    std::printf("peak memory after indexing\t%.1f MB (before %.1f MB)\n", peakKb() / 1024.0, beforeIndex / 1024.0);

    t->selectOrder("LNAME");
    std::vector<std::string> keys;
    for (int i = 0; i < 10000; ++i) {
        std::string k = pick(kLast);
        for (char& c : k)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        keys.push_back(k.substr(0, 3));
    }
    start = std::chrono::steady_clock::now();
    int found = 0;
    for (const auto& k : keys)
        found += t->seek(k);
    std::printf("10000 seeks\t%.4f s (%d found)\n", seconds(start), found);

    const char* condition = "UPPER(STATE)=\"CA\" .and. !ISDEL";
    start = std::chrono::steady_clock::now();
    const uint32_t viaTags = t->count(condition);
    std::printf("count via tags\t%.4f s (%u, index used: %s)\n", seconds(start), viaTags, t->lastCountUsedIndex() ? "yes" : "no");
    t->closeIndexes();
    start = std::chrono::steady_clock::now();
    const uint32_t viaScan = t->count(condition);
    std::printf("count by scan\t%.4f s (%u)\n", seconds(start), viaScan);
    t.reset();

    t = Table::open(path, OpenMode::ReadOnly);
    t->selectOrder("LNAME");
    start = std::chrono::steady_clock::now();
    long walked = 0;
    size_t chars = 0;
    for (bool ok = t->first(); ok; ok = t->next()) {
        ++walked;
        chars += t->raw("LNAME").size();
    }
    std::printf("LNAME walk\t%.3f s (%ld records)\n", seconds(start), walked);
    const auto [anon, file] = residentMb();
    std::printf("resident after the walk\t%.1f MB own, %.1f MB of the mapped table\n", anon, file);
    t.reset();

    t = Table::open(path, OpenMode::Exclusive);
    start = std::chrono::steady_clock::now();
    t->reindex();
    std::printf("reindex 26 tags\t%.3f s\n", seconds(start));

    // Every fiftieth record gets the deleted mark, as the user's deletes would.
    for (long r = 50; r <= records; r += 50) {
        t->go(uint32_t(r));
        t->deleteRecord();
    }
    start = std::chrono::steady_clock::now();
    t->pack();
    std::printf("pack with 26 tags\t%.3f s (%u records kept)\n", seconds(start), t->recordCount());

    // What one Save costs: a changed name and memo, keys in all 26 tags, with
    // and without waiting for the disk.
    for (bool sync : {false, true}) {
        engineSettings().syncPosts = sync;
        const int posts = 500;
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < posts; ++i) {
            t->go(uint32_t(rng() % t->recordCount() + 1));
            t->edit();
            t->setText("LNAME", std::string(pick(kLast)) + std::to_string(i));
            t->setMemo("MEMO", "Changed " + std::to_string(i));
            t->post();
        }
        std::printf("post %s sync\t%.2f ms each\n", sync ? "with" : "without", seconds(start) * 1000 / posts);
    }
    return viaTags == viaScan ? 0 : 1;
}
