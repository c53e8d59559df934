// Measures the data utilities on a generated address database:
//   utilities_bench RECORDS [FOLDER]
// zip count, state and zip check, the three duplicate checks (the street check
// once more as its window runs it, with breaks for the event loop and the
// running count), case conversion of three fields over every record, a
// replace over every record and the delete of the filter's records (one
// record in ten), the last two as their windows run them (asked after each
// record whether to go on, with breaks for the event loop), each on the same
// table.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "core/restore_points.h"
#include "utilities/address_standard.h"
#include "utilities/case_conversion.h"
#include "utilities/duplicate_check.h"
#include "utilities/search_replace.h"
#include "utilities/state_zip_check.h"
#include "utilities/temporary_index.h"
#include "utilities/zip_count.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <sys/resource.h>

using namespace qb;

namespace {

const char* kLast[] = {"smith", "johnson", "williams", "brown", "jones", "garcia", "miller", "davis", "wilson",
                       "anderson", "taylor", "moore", "jackson", "martin", "lee", "white", "harris", "clark"};
const char* kFirst[] = {"james", "mary", "john", "patricia", "robert", "jennifer", "michael", "linda", "william", "elizabeth"};
const char* kStreets[] = {"main street", "oak avenue", "maple road", "cedar lane", "elm street", "park place"};
const char* kStates[] = {"CA", "TX", "NY", "FL", "IL", "PA", "OH", "GA", "NC", "MI"};

double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// The processor time of the process: on a machine shared with other work it
// says what a step costs when the wall clock also counts the waiting.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

template <class F>
void timed(const char* what, F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    const std::string result = f();
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("%-34s %7.2f s  (cpu %.2f s)  %s\n", what, seconds(start), cpu, result.c_str());
    std::fflush(stdout);
}

// What a window's run asks after each record: a break for the event loop
// every few hundredths of a second, and whether Cancel was confirmed.
KeepGoing windowRun()
{
    return [breaks = EventBreaks(), cancelled = false](uint64_t, uint64_t) mutable {
        if (breaks.due())
            breaks.take();
        return !cancelled;
    };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long records = argc > 1 ? std::atol(argv[1]) : 100000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "qb-utilities-bench";
    std::filesystem::create_directories(folder);
    for (const char* ext : {".DBF", ".FPT", ".CDX"})
        std::filesystem::remove(folder / (std::string("ADDR") + ext));
    const std::string path = (folder / "ADDR.DBF").string();

    auto start = std::chrono::steady_clock::now();
    {
        auto t = xbase::Table::create(path, addressFieldDefs(FieldLengths::settingsDefaults()));
        std::mt19937 rng(7);
        xbase::Table::BulkChange bulk(*t);
        for (long i = 1; i <= records; ++i) {
            t->appendBlank();
            // About one name in twenty and one street in ten meets a twin.
            t->setText("LNAME", std::string(kLast[rng() % std::size(kLast)]) + std::to_string(rng() % (records / 20 + 1)));
            t->setText("FNAME", kFirst[rng() % std::size(kFirst)]);
            t->setText("STREET", std::to_string(1 + rng() % (records / 10 + 1)) + " " + kStreets[rng() % std::size(kStreets)]);
            t->setText("CITY", "springfield");
            const size_t state = rng() % std::size(kStates);
            t->setText("STATE", kStates[state]);
            // One zip in fifty lies outside its state's range.
            const long zip = rng() % 50 ? 10000 + long(state) * 1000 + long(rng() % 1000) : 99000 + long(rng() % 999);
            t->setText("ZIP", std::to_string(zip));
            if (i % 10 == 0)
                t->setText("CODES", "F");
            t->post();
        }
        bulk.commit();
        t->createTags(addressTags());
    }
    std::printf("generate %ld records and 26 tags: %.1f s (load on the machine counts too)\n", records, seconds(start));

    AddressTable table;
    if (!table.open(QString::fromStdString(path), AddressTable::Messages::Quiet))
        return 1;
    xbase::Table& t = table.table();
    xbase::engineSettings().skipDeleted = true;

    timed("zip count", [&] { return std::to_string(countZipCodes(t).lines.size()) + " lines"; });
    CszReference reference;
    for (size_t s = 0; s < std::size(kStates); ++s)
        reference.add(kStates[s], {std::to_string(10000 + s * 1000), std::to_string(10999 + s * 1000), {}});
    t.setFilter("!ISDEL");
    timed("state and zip check", [&] {
        TemporaryIndex index(t, QString::fromStdString((folder / "ADDR_chksz.idx").string()), "upper(LNAME)+upper(FNAME)");
        return std::to_string(checkStateAndZip(t, reference, false, index).found) + " found";
    });
    for (auto [name, kind, chars] : {std::tuple{"duplicates, last + first", DuplicateKind::LastFirst, 30},
                                     std::tuple{"duplicates, last + first initial", DuplicateKind::LastFirstInitial, 30},
                                     std::tuple{"duplicates, street (30)", DuplicateKind::Street, 30}}) {
        timed(name, [&, kind = kind, chars = chars] {
            TemporaryIndex index(t, QString::fromStdString((folder / "_chkdup.idx").string()), duplicateIndexExpression(kind));
            return std::to_string(checkDuplicates(t, kind, chars, index).found) + " pairs";
        });
    }
    // As the window runs it: asked after each record, with breaks for the
    // event loop, told of each pair found.
    timed("duplicates, street, window's run", [&] {
        TemporaryIndex index(t, QString::fromStdString((folder / "_chkdup.idx").string()), duplicateIndexExpression(DuplicateKind::Street));
        uint64_t shown = 0;
        return std::to_string(checkDuplicates(t, DuplicateKind::Street, 30, index, windowRun(), [&](uint64_t found) { shown = found; }).found) +
               " pairs";
    });
    t.setFilter("");
    t.selectOrder(0);
    timed("case conversion, 3 fields", [&] {
        const BulkOutcome o = convertRecords(t, {"LNAME", "FNAME", "CITY"}, CaseMode::FirstLetter, RecordChoice::All);
        return std::to_string(o.changed) + " records changed";
    });
    timed("replace (contains, partial)", [&] {
        const ReplaceOutcome o = replaceFieldValues(t, {"STREET", true, "street", false, false, "St."}, {}, windowRun());
        return std::to_string(o.changed) + " records changed";
    });
    timed("delete the filter's records", [&] {
        t.setFilter("CODES = 'F'");
        const BulkOutcome o = deleteRecords(t, DeleteChoice::Matching, "CODES = 'F'", windowRun());
        return std::to_string(o.changed) + " records deleted";
    });
    // Last, so that the steps above see the streets as generated.
    t.setFilter("");
    timed("restore point (table, memo, index)", [&] {
        RestorePoints points(QString::fromStdString(path));
        QString error;
        const auto p = points.take(QStringLiteral("bench"), &error);
        if (p)
            points.discard(*p);
        return p ? std::string("taken") : error.toStdString();
    });
    const auto standard = AddressStandard::load(QStringLiteral(QB_PROGRAM_DIR "/sysdata"), nullptr);
    StandardPlan plan;
    timed("standardize addresses, the changes found", [&] {
        plan = planStandardChanges(t, *standard);
        return std::to_string(plan.changes.size()) + " changes";
    });
    timed("standardize addresses, written", [&] {
        return std::to_string(applyStandardChanges(t, plan.changes).changed) + " records changed";
    });
    std::printf("peak memory %ld MB\n", peakMb());
    return 0;
}
