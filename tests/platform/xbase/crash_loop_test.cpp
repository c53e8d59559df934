// A program killed at any moment while it edits an indexed table: a child
// process appends records with memos, edits memos larger and smaller,
// deletes, packs, zaps and rebuilds the index, and tells the parent each step
// it begins and each that returned. Each round the child kills itself with
// SIGKILL at a kill point in the file layer inside one kind of step (a post,
// a pack, a rebuild, a zap, the window between a pack's list of new files and
// their renames); the parent opens the table as the program would and checks
// it against what the child had done. QB_CRASH_ROUNDS sets the number of rounds (200 here;
// scripts/crash_loop.sh runs more), QB_CRASH_SEED the first seed.
#include "platform/xbase/file_io.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <chrono>
#include <optional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qb::xbase::test {
namespace {

const std::vector<FieldDef> kFields = {{"ID", 'C', 8, 0}, {"NAME", 'C', 24, 0}, {"MEMO", 'M', 10, 0}};
const std::vector<TagSpec> kTags = {{"ID", "ID"}, {"NAME", "UPPER(NAME)"}, {"DELETED", "DELETED()"}};

// Version v of record id's memo: its length goes up and down with v.
std::string memoText(int id, int version)
{
    const size_t length = size_t((version * 97 + id * 13) % 700);
    return "memo " + std::to_string(id) + " v" + std::to_string(version) + " " + std::string(length, char('a' + version % 26));
}

// The memo's version, or -1 when the text is not one memoText makes for id.
int memoVersion(int id, const std::string& text)
{
    const std::string head = "memo " + std::to_string(id) + " v";
    if (text.rfind(head, 0) != 0)
        return -1;
    const int v = std::atoi(text.c_str() + head.size());
    return text == memoText(id, v) ? v : -1;
}

// What each round of the loop is to be killed in: a post, a pack, a rebuild
// of the index, a zap, or the window of a pack between its list of new files
// and their renames.
const char* const kTargets[] = {"post", "pack", "reindex", "zap", "commit"};

// The child: random steps, then steps of the round's target with a kill point
// set in the file layer somewhere inside each, until it is killed. Each step
// is announced with "B <step> <id> <version>" before it starts and "E" once
// it returned.
[[noreturn]] void child(const std::string& path, uint32_t seed, int nextId, const std::string& target, int out)
{
    auto say = [&](const std::string& line) {
        const std::string l = line + "\n";
        if (::write(out, l.data(), l.size()) != ssize_t(l.size()))
            ::_exit(3);
    };
    try {
        std::mt19937 rng(seed);
        // Waiting for the disk changes nothing a kill can show, but takes
        // other paths: some rounds take them.
        engineSettings().syncPosts = seed % 4 == 0;
        auto t = Table::open(path);
        say("ready");
        auto append = [&] {
            const int id = nextId++;
            say("B append " + std::to_string(id) + " 0");
            t->appendBlank();
            t->setText("ID", std::to_string(id));
            t->setText("NAME", "Name " + std::to_string(rng() % 1000));
            t->setMemo("MEMO", memoText(id, 0));
            t->post();
        };
        auto edit = [&](uint32_t count) {
            t->go(rng() % count + 1);
            const int id = std::atoi(t->text("ID").c_str());
            const int version = memoVersion(id, t->memo("MEMO")) + 1;
            say("B edit " + std::to_string(id) + " " + std::to_string(version));
            t->edit();
            t->setText("NAME", "Name " + std::to_string(rng() % 1000));
            t->setMemo("MEMO", memoText(id, version));
            t->post();
        };
        const int warmUp = int(rng() % 12);
        std::map<std::string, uint64_t> operations;   // of the last step of each kind
        for (int step = 0;; ++step) {
            const uint32_t count = t->recordCount();
            const IoCounts before = ioCounts();
            if (step < warmUp) {
                const int roll = int(rng() % 100);
                if (count == 0 || roll < (count < 300 ? 40 : 20)) {
                    append();
                } else if (roll < 75) {
                    edit(count);
                } else if (roll < 95) {
                    t->go(rng() % count + 1);
                    say("B delete " + t->text("ID") + " 0");
                    t->deleteRecord();
                } else if (roll < 98) {
                    say("B pack 0 0");
                    t->pack();
                } else {
                    say("B reindex 0 0");
                    t->reindex();
                }
            } else {
                // Somewhere within the step, as far as the last one of its kind tells.
                const std::string kind = target == "post" && count > 0 && rng() % 2 ? "edit" : target == "post" ? "append" : target;
                const uint64_t known = operations.count(kind) ? operations[kind] : 8;
                if (kind == "commit")
                    injectKill(0, 1);
                else
                    injectKill(1 + rng() % std::max<uint64_t>(known, 1));
                if (kind == "append") {
                    append();
                } else if (kind == "edit") {
                    edit(count);
                } else if (kind == "pack" || kind == "commit") {
                    say("B " + kind + " 0 0");
                    t->pack();
                } else if (kind == "reindex") {
                    say("B reindex 0 0");
                    t->reindex();
                } else {
                    say("B zap 0 0");
                    t->zap();
                }
                const IoCounts after = ioCounts();
                operations[kind] = (after.writes - before.writes) + (after.syncs - before.syncs);
            }
            say("E");
        }
    } catch (const std::exception& e) {
        say(std::string("X ") + e.what());
    }
    ::_exit(2);
}

struct Step {
    std::string kind;
    int id = 0;
    int version = 0;
};

// What the parent knows: each record's memo version and deleted mark as the
// returned steps left them, and whether a pack has returned since a delete.
struct Known {
    struct Record {
        int version = 0;
        bool deleted = false;
        bool packedSince = false;
    };
    std::map<int, Record> records;
    int nextId = 1;
};

// Reads the lines the child wrote; waits at most timeout for the first.
std::vector<std::string> readLines(int fd, std::string& pending, int timeoutMs)
{
    std::vector<std::string> lines;
    pollfd p{fd, POLLIN, 0};
    char buf[4096];
    while (::poll(&p, 1, lines.empty() && pending.empty() ? timeoutMs : 0) > 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        pending.append(buf, size_t(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            lines.push_back(pending.substr(0, nl));
            pending.erase(0, nl + 1);
        }
        if (!lines.empty() && lines.front() == "ready")
            break;
    }
    return lines;
}

void applyLine(const std::string& line, Known& known, std::optional<Step>& inFlight)
{
    if (line == "E") {
        const Step s = *inFlight;
        inFlight.reset();
        if (s.kind == "append") {
            known.records[s.id] = {};
        } else if (s.kind == "edit") {
            known.records[s.id].version = s.version;
        } else if (s.kind == "delete") {
            known.records[s.id].deleted = true;
            known.records[s.id].packedSince = false;
        } else if (s.kind == "pack" || s.kind == "commit") {
            for (auto& [id, r] : known.records)
                r.packedSince = r.deleted;
        } else if (s.kind == "zap") {
            known.records.clear();
        }
        return;
    }
    Step s;
    char kind[16] = {};
    if (std::sscanf(line.c_str(), "B %15s %d %d", kind, &s.id, &s.version) != 3)
        return;
    s.kind = kind;
    inFlight = s;
    if (s.kind == "append")
        known.nextId = std::max(known.nextId, s.id + 1);
}

// Opens the table as the program would and compares it with what is known.
// The step in flight may or may not have happened. Afterwards the known state
// is what the table holds.
// Returns whether the index had to be rebuilt.
bool verify(const std::string& path, Known& known, const std::optional<Step>& inFlight, int round, bool rebuildByPack)
{
    auto t = Table::open(path);
    bool usable = t->indexError().empty() && t->tagCount() == int(kTags.size());
    for (const TagSpec& tag : kTags)
        usable = usable && t->selectOrder(tag.name) > 0;
    // The stale-index path: "missing or invalid, rebuild?", then the Rebuild
    // dialog's pack, or a rebuild of the index alone.
    const bool packedHere = !usable && rebuildByPack;
    if (!usable) {
        EXPECT_TRUE(t->indexStale()) << t->indexError();
        if (rebuildByPack)
            t->pack(kTags, {}, {});
        else
            t->replaceIndex(kTags);
    }
    const auto faults = t->check();
    EXPECT_TRUE(faults.empty()) << "round " << round << ": " << faults.front();
    if (!faults.empty())
        return !usable;

    std::map<int, Known::Record> found;
    t->selectOrder(0);
    for (uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->go(r);
        const int id = std::atoi(t->text("ID").c_str());
        EXPECT_TRUE(found.find(id) == found.end()) << "round " << round << ": record " << id << " is there twice";
        const int version = memoVersion(id, t->memo("MEMO"));
        EXPECT_GE(version, 0) << "round " << round << ": record " << id << " has a memo of no version: " << t->memo("MEMO").substr(0, 40);
        found[id] = {version, t->deleted(), false};
    }
    auto flying = [&](const char* kind, int id) { return inFlight && inFlight->kind == kind && (id == 0 || inFlight->id == id); };
    for (const auto& [id, r] : found) {
        const auto k = known.records.find(id);
        if (k == known.records.end()) {
            EXPECT_TRUE(flying("append", id)) << "round " << round << ": record " << id << " was never appended";
            continue;
        }
        EXPECT_TRUE(r.version == k->second.version || (flying("edit", id) && r.version == inFlight->version))
            << "round " << round << ": record " << id << " memo v" << r.version << ", expected v" << k->second.version;
        EXPECT_TRUE(r.deleted == k->second.deleted || (flying("delete", id) && r.deleted))
            << "round " << round << ": record " << id << " deleted mark " << r.deleted;
        EXPECT_FALSE(k->second.packedSince) << "round " << round << ": record " << id << " came back after a pack";
    }
    for (const auto& [id, r] : known.records) {
        if (found.count(id))
            continue;
        const bool mayBeGone = (r.deleted && (r.packedSince || flying("pack", 0) || flying("commit", 0) || packedHere)) || flying("zap", 0);
        EXPECT_TRUE(mayBeGone || (flying("delete", id) && packedHere)) << "round " << round << ": record " << id << " is lost";
    }
    known.records = found;
    return !usable;
}

TEST(CrashLoop, KilledAtRandomMomentsTheTableStaysWhole)
{
    engineSettings() = EngineSettings{};
    ScratchDir dir;
    const std::string path = dir.file("LOOP.DBF");
    {
        auto t = Table::create(path, kFields);
        t->createTags(kTags);
    }
    const int rounds = std::getenv("QB_CRASH_ROUNDS") ? std::atoi(std::getenv("QB_CRASH_ROUNDS")) : 200;
    const uint32_t firstSeed = std::getenv("QB_CRASH_SEED") ? uint32_t(std::strtoul(std::getenv("QB_CRASH_SEED"), nullptr, 10))
                                                             : uint32_t(std::random_device{}());
    Known known;
    int kills = 0, stale = 0;
    std::set<std::string> caught;
    for (int round = 0; round < rounds && !HasFatalFailure(); ++round) {
        const uint32_t seed = firstSeed + uint32_t(round);
        SCOPED_TRACE("round " + std::to_string(round) + ", seed " + std::to_string(seed) + " (QB_CRASH_SEED=" + std::to_string(firstSeed) + ")");
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            child(path, seed, known.nextId, kTargets[size_t(round) % std::size(kTargets)], fds[1]);
        }
        ::close(fds[1]);
        std::string pending;
        std::optional<Step> inFlight;
        std::vector<std::string> lines = readLines(fds[0], pending, 10000);
        ASSERT_TRUE(!lines.empty() && lines.front() == "ready") << "the child did not start: " << (lines.empty() ? "" : lines.front());
        // The child kills itself at its kill point; should it not, the parent does.
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (;;) {
            const auto more = readLines(fds[0], pending, 0);
            if (more.empty())
                break;
            lines.insert(lines.end(), more.begin(), more.end());
        }
        ::close(fds[0]);
        for (const std::string& line : lines) {
            ASSERT_NE(line.rfind("X ", 0), 0u) << "the child failed: " << line;
            applyLine(line, known, inFlight);
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        kills += WIFSIGNALED(status);
        if (inFlight)
            caught.insert(inFlight->kind);
        stale += verify(path, known, inFlight, round, round % 2 == 0);
    }
    EXPECT_FALSE(HasFailure()) << "first seed " << firstSeed;
    EXPECT_EQ(kills, rounds);
    // Every kind of step was cut short at least once.
    if (rounds >= int(std::size(kTargets))) {
        for (const char* kind : {"pack", "reindex", "zap", "commit"})
            EXPECT_TRUE(caught.count(kind)) << kind << " was never interrupted";
        EXPECT_TRUE(caught.count("append") || caught.count("edit")) << "no post was interrupted";
    }
    RecordProperty("kills", kills);
    RecordProperty("stale", stale);
    std::printf("%d kills; %d left a stale index; caught during:", kills, stale);
    for (const auto& k : caught)
        std::printf(" %s", k.c_str());
    std::printf("\n");
}

} // namespace
} // namespace qb::xbase::test
