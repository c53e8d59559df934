// Measures the filter, Tag All and the browse grid on a generated address
// database:   filter_bench RECORDS [FOLDER]
// Every state holds about RECORDS/30 records; one record in RECORDS/10000
// carries the code "SPRING", so that filter has 10,000 matches at a million.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "mainwindow/address_filter.h"
#include "mainwindow/browse_model.h"
#include "core/tag_all.h"
#include "platform/xbase/table.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sys/resource.h>

using namespace qb;

namespace {

const char* kLast[] = {"Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis", "Wilson",
                       "Anderson", "Taylor", "Moore", "Jackson", "Martin", "Lee", "White", "Harris", "Clark"};
const char* kStates[] = {"CA", "TX", "NY", "FL", "IL", "PA", "OH", "GA", "NC", "MI", "NJ", "VA", "WA", "AZ", "MA",
                         "TN", "IN", "MO", "MD", "WI", "CO", "MN", "SC", "AL", "LA", "KY", "OR", "OK", "CT", "IA"};

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long records = argc > 1 ? std::atol(argv[1]) : 100000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "qb-filter-bench";
    std::filesystem::create_directories(folder);
    for (const char* ext : {".DBF", ".FPT", ".CDX"})
        std::filesystem::remove(folder / (std::string("ADDR") + ext));
    const std::string path = (folder / "ADDR.DBF").string();

    auto start = std::chrono::steady_clock::now();
    {
        auto t = xbase::Table::create(path, addressFieldDefs(FieldLengths::settingsDefaults()));
        std::mt19937 rng(7);
        const long every = std::max(1L, records / 10000);
        for (long i = 1; i <= records; ++i) {
            t->appendBlank();
            t->setText("LNAME", kLast[rng() % std::size(kLast)]);
            t->setText("STATE", kStates[rng() % std::size(kStates)]);
            t->setText("ZIP", std::to_string(10000 + rng() % 89999));
            if (i % every == 0)
                t->setText("CODES", "SPRING");
            t->post();
        }
        t->createTags(addressTags());
    }
    std::printf("generate %ld records and 26 tags: %.1f s\n", records, seconds(start));

    AddressTable table;
    if (!table.open(QString::fromStdString(path), AddressTable::Messages::Quiet))
        return 1;
    xbase::Table& t = table.table();
    t.selectOrder("LNAME");

    for (const auto& [field, text] : {std::pair{8, QStringLiteral("oh")}, std::pair{15, QStringLiteral("spring")}}) {
        AddressFilter filter;
        filter.conditions.texts[size_t(field)] = text;
        start = std::chrono::steady_clock::now();
        const uint32_t matches = filter.apply(t, QStringLiteral("TAGID"));
        std::printf("apply filter %-28s %8u matches: %.3f s\n", filter.filterText().toUtf8().constData(), matches,
                    seconds(start));
    }

    start = std::chrono::steady_clock::now();
    const TagAllOutcome tagged = tagAllRecords(t, QStringLiteral("TAGID"), [](uint64_t) {
        QCoreApplication::processEvents();
        return true;
    });
    std::printf("tag all filter matches: %llu tagged in %.2f s\n", (unsigned long long)tagged.tagged, seconds(start));

    AddressFilter none;
    none.apply(t, QStringLiteral("TAGID"));
    std::vector<RecordViewField> columns;
    for (const RecordViewField& f : recordViewFields(t))
        if (f.visible)
            columns.push_back(f);
    start = std::chrono::steady_clock::now();
    BrowseModel model(table, columns);
    std::printf("browse grid over %d rows: opened in %.3f s\n", model.rowCount(), seconds(start));
    // A scroll through the whole table: one screen of 30 rows at 200 places.
    start = std::chrono::steady_clock::now();
    const int step = std::max(1, model.rowCount() / 200);
    long cells = 0;
    for (int row = 0; row < model.rowCount(); row += step)
        for (int r = row; r < std::min(model.rowCount(), row + 30); ++r)
            for (int c = 0; c < model.columnCount(); ++c)
                cells += model.data(model.index(r, c), Qt::DisplayRole).toString().size() >= 0;
    const double scroll = seconds(start);
    std::printf("browse grid, 200 screens of 30 rows: %.3f s (%.2f ms a screen)\n", scroll, scroll * 1000 / 200);
    std::printf("peak memory: %ld MB\n", peakMb());
    return 0;
}
