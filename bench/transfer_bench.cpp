// Imports comma-separated text into an empty address database, the 26 tags
// rebuilt at the end included, then exports the records back to text and to
// a new table, then imports a vCard file of CARDS contacts into another empty
// database; reports each step's time and the peak memory:
//   transfer_bench [ROWS] [FOLDER] [CARDS]
// The text is UTF-8 with one line in a thousand in Windows-1252, so that every
// line is decoded by itself.
// The peak anonymous memory is sampled every few milliseconds; the peak
// resident size also counts the table's pages the engine maps from the file,
// which the system can drop at any time.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "platform/xbase/settings.h"
#include "transfer/export_run.h"
#include "transfer/import_run.h"
#include "transfer/vcard.h"

#include <QApplication>
#include <QDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <ctime>
#include <sys/resource.h>

using namespace qb;
using Clock = std::chrono::steady_clock;

namespace {

long anonymousKb()
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("RssAnon:", 0) == 0)
            return std::stol(line.substr(8));
    return 0;
}

// The largest anonymous resident size seen since the last reset.
class MemorySampler {
public:
    MemorySampler()
        : thread_([this] {
              while (!stop_) {
                  peak_ = std::max(peak_.load(), anonymousKb());
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          })
    {
    }
    ~MemorySampler()
    {
        stop_ = true;
        thread_.join();
    }
    long takePeakMb()
    {
        const long p = std::max(peak_.load(), anonymousKb());
        peak_ = 0;
        return p / 1024;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<long> peak_{0};
    std::thread thread_;
};

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor time of the whole process (both of the tag builder's threads), for
// figures taken on a machine others share.
double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const char* const kColumns[] = {"LNAME", "FNAME", "ORG", "STREET", "STREET2", "CITY", "STATE", "ZIP", "PHONE", "EMAIL", "USER1", "CODES"};

void writeCsv(const std::string& path, long rows)
{
    static const char* last[] = {"Smith", "Müller", "O'Neil", "García", "Lefèvre", "Nguyen", "Brontë", "Jones"};
    static const char* cities[] = {"Springfield", "Zürich", "Dayton", "Montréal", "Köln", "Toledo"};
    FILE* f = std::fopen(path.c_str(), "wb");
    std::string line;
    for (long i = 0; i < rows; ++i) {
        line = (i % 1000 == 3 ? std::string("M\xFCller") : std::string(last[i % 8])) + std::to_string(i) + ",Pat,";
        line += i % 7 == 0 ? "\"Smith, Jones & Co\"," : "Acme Inc.,";
        line += std::to_string(100 + i % 900) + " Main St,";
        line += i % 5 == 0 ? "\"Building \"\"B\"\"\"," : ",";
        line += std::string(cities[i % 6]) + ",IL," + std::to_string(10000 + i % 90000) + ",555-" + std::to_string(1000 + i % 9000) + ",";
        line += "pat" + std::to_string(i) + "@example.com,";
        line += i % 11 == 0 ? "\"first line\nsecond line\"," : "member since 1998,";
        line += "XMAS\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
}

// Contacts as phones export them: 3.0 cards with a folded note, every tenth a
// 2.1 card with a quoted-printable address.
void writeVCards(const std::string& path, long cards)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    std::string card;
    for (long i = 0; i < cards; ++i) {
        if (i % 10 == 0) {
            card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Smith" + std::to_string(i) + ";Pat;Q;Mr.;\r\n"
                   "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;" + std::to_string(100 + i % 900) +
                   " Hauptstra=C3=9Fe=0D=0A=\r\nHinterhaus;K=C3=B6ln;;50667;Germany\r\nTEL;CELL:0171 555\r\nEND:VCARD\r\n";
        } else {
            card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xC3\xBCller" + std::to_string(i) + ";D\xC3\xB6rte;;;\r\nFN:D\xC3\xB6rte M\xC3\xBCller\r\n"
                   "ORG:Smith\\, Jones & Co\r\nADR;TYPE=WORK:;Suite 5;" + std::to_string(100 + i % 900) +
                   " Main St;Dayton;OH;45401;USA\r\nTEL;TYPE=WORK:555-0101\r\nTEL;TYPE=CELL:555-0102\r\nTEL;TYPE=HOME:555-0103\r\n"
                   "EMAIL;TYPE=INTERNET:pat" + std::to_string(i) + "@example.com\r\nNOTE:Met at the fair\\; likes tea\\, not coffee. A note \r\n"
                   " long enough to be folded over two lines\r\nBDAY:1969-07-20\r\nEND:VCARD\r\n";
        }
        std::fwrite(card.data(), 1, card.size(), f);
    }
    std::fclose(f);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath() + "/qb-transfer-bench";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    ProgramFolder::setPath(folder + "/");
    // As the program runs: every change waits for the disk, a bulk change once.
    xbase::engineSettings().syncPosts = true;
    const std::string csv = (folder + "/in.csv").toStdString();
    writeCsv(csv, rows);
    const QString db = folder + "/ADDR.DBF";
    if (!createAddressTable(db, FieldLengths::settingsDefaults()))
        return 1;
    AddressTable addresses;
    if (!addresses.open(db, AddressTable::Messages::Quiet))
        return 1;
    MemorySampler memory;

    // Import: check the whole file, append, rebuild the tags.
    const CsvSample sample = sampleCsv(csv);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(addresses.table()), csvColumns(sample.columns()));
    for (int c = 0; c < sample.columns(); ++c)
        for (int r = 0; r < int(match.rows().size()); ++r)
            if (match.rows()[size_t(r)].name == kColumns[c])
                match.select(r, c);
    CsvImportSource source(csv, sample.kind, sample.columns(), match, addresses.table());
    struct Step {
        QString name;
        Clock::time_point at;
        double cpu;
    };
    std::vector<Step> steps;
    ImportRun::Hooks hooks;
    hooks.status = [&](const QString& s) { steps.push_back({s, Clock::now(), cpuSeconds()}); };
    const auto start = Clock::now();
    const double startCpu = cpuSeconds();
    const auto result = ImportRun(addresses.table(), match.rows(), hooks).run(source);
    const double total = seconds(start);
    const double totalCpu = cpuSeconds() - startCpu;
    steps.push_back({QString(), Clock::now(), cpuSeconds()});
    const long importMb = memory.takePeakMb();
    if (!result || result->outcome != ImportResult::Outcome::Complete || result->count != uint64_t(rows)) {
        std::fprintf(stderr, "import failed: %s\n", result ? importMessage(ImportRun::Kind::Text, *result).toStdString().c_str() : "declined");
        return 1;
    }
    std::printf("rows: %ld\n", rows);
    for (size_t i = 0; i + 1 < steps.size(); ++i)
        std::printf("  %-22s %.2f s (processor %.2f s)\n", steps[i].name.trimmed().toStdString().c_str(),
                    std::chrono::duration<double>(steps[i + 1].at - steps[i].at).count(), steps[i + 1].cpu - steps[i].cpu);
    std::printf("import, tags included:  %.2f s (processor %.2f s), peak anonymous memory %ld MB\n", total, totalCpu, importMb);

    addresses.table().setFilter("!ISDEL");
    addresses.table().selectOrder("LNAME");
    for (const auto& [format, name] : {std::pair{RecordExport::Format::Text, "out.csv"}, std::pair{RecordExport::Format::Table, "out.dbf"}}) {
        const auto t0 = Clock::now();
        const double cpu0 = cpuSeconds();
        const auto r = RecordExport::run(addresses.table(), format, (folder + "/" + name).toStdString(), {});
        const double s = seconds(t0), cpu = cpuSeconds() - cpu0;
        if (r.outcome != RecordExport::Result::Outcome::Done || r.count != uint64_t(rows)) {
            std::fprintf(stderr, "export to %s failed: %s\n", name, r.detail.c_str());
            return 1;
        }
        std::printf("export to %-13s %.2f s (processor %.2f s), peak anonymous memory %ld MB\n",
                    format == RecordExport::Format::Text ? "text:" : "a table:", s, cpu, memory.takePeakMb());
    }

    // vCards into another empty database.
    const long cards = argc > 3 ? std::atol(argv[3]) : 100000;
    const std::string vcf = (folder + "/in.vcf").toStdString();
    writeVCards(vcf, cards);
    const QString cardDb = folder + "/CARDS.DBF";
    if (!createAddressTable(cardDb, FieldLengths::settingsDefaults()))
        return 1;
    AddressTable contacts;
    if (!contacts.open(cardDb, AddressTable::Messages::Quiet))
        return 1;
    {
        VCardImportSource cardSource(vcf, contacts.table());
        const auto t0 = Clock::now();
        const double cpu0 = cpuSeconds();
        const auto r = ImportRun(contacts.table(), tableImportFields(contacts.table()), {}).run(cardSource);
        const double s = seconds(t0), cpu = cpuSeconds() - cpu0;
        if (!r || r->outcome != ImportResult::Outcome::Complete || r->count != uint64_t(cards)) {
            std::fprintf(stderr, "vCard import failed\n");
            return 1;
        }
        std::printf("vCard import, %ld cards, tags included: %.2f s (processor %.2f s), peak anonymous memory %ld MB\n", cards, s, cpu,
                    memory.takePeakMb());
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident size, mapped table pages included: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
