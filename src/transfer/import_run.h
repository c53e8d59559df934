#pragma once
// An import into the open address table: the whole source is read and checked
// before anything is appended; the records are then appended without index
// upkeep, and the indexes rebuilt once at the end. An error while appending
// takes the records appended so far off again, so the database is as it was;
// a cancel keeps them.

#include "transfer/import_source.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qb {

struct ImportCheck {
    uint64_t records = 0;
    bool cancelled = false;
    // Values that would not be stored as they are: characters Windows-1252
    // lacks, texts longer than their field. The first few, then how many more.
    std::vector<std::string> notes;
    uint64_t moreNotes = 0;
};

struct ImportResult {
    enum class Outcome { Complete, Cancelled, ReadError, WriteError };
    Outcome outcome = Outcome::Complete;
    uint64_t count = 0;        // records appended before the end
    std::string detail;        // what went wrong
    bool takenBack = false;    // the records appended were taken off again
    std::string takeBackError; // why they could not be
    bool indexesRebuilt = true;
};

class ImportRun {
public:
    // Which messages the import speaks with.
    enum class Kind { Text, Table };

    struct Hooks {
        std::function<void(const QString&)> status;
        std::function<void(int)> gauge;
        // Asked after every record; true stops the import. The window lets
        // its Cancel button be pressed here.
        std::function<bool()> cancelRequested;
        // The rebuild's progress, 0 to 100 as the engine reports it.
        std::function<void(int)> rebuildProgress;
        // Each note of the check as it is found, all of them.
        std::function<void(const std::string&)> note;
    };

    ImportRun(xbase::Table& destination, std::vector<ImportField> fields, Hooks hooks);

    // The whole import: check, let acceptNotes decide on values that would
    // change (none: accepted), append, rebuild the indexes. Nothing when the
    // notes were declined. Throws TransferError for a destination open
    // read-only and from the check, before the destination is touched.
    std::optional<ImportResult> run(ImportSource& source, const std::function<bool(const ImportCheck&)>& acceptNotes = {});

    // Reads the whole source and checks every record against the destination.
    // Throws TransferError naming the file and the line or record at fault;
    // the destination is not touched.
    ImportCheck check(ImportSource& source);
    // Appends every record of the source, total being what check counted.
    ImportResult append(ImportSource& source, uint64_t total);
    // Builds the address tags anew; false (after telling the user) when it
    // fails, which result then says too.
    bool rebuildIndexes(ImportResult& result);

    static constexpr size_t kNotesKept = 20;

private:
    bool cancelled();
    void note(ImportCheck& check, const std::string& text);

    struct Destination {
        std::string label;
        char type = 'C';
        int width = 0;
    };
    xbase::Table& table_;
    std::vector<Destination> fields_;   // by the destination table's field index
    Hooks hooks_;
};

// The message box text that ends an import.
QString importMessage(ImportRun::Kind kind, const ImportResult& result);
// The question asked when check found values that would change.
QString importNotesQuestion(const ImportCheck& check);

} // namespace qb
