#pragma once
// Copying the records out: those that pass the table's filter, in its current
// order, either into a new table with the address table's structure or into
// comma-separated text. The output is written under a temporary name beside
// the target and put in its place only once complete, so a failed or
// cancelled copy leaves whatever file had the target's name as it was; a new
// table and its memo file replace an old pair together. Memos go out as they
// are.
//
// Text lines (Windows-1252, CR LF): the twenty fields below, each between
// double quotes with the double quotes of the value doubled, separated by
// commas. MEMO, ISDEL and TAG are not written. A vCard file holds one card
// (3.0) a record (see vcardOfRecord).

#include "platform/xbase/table.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// The fields of a text line, in order.
const std::vector<const char*>& textExportFields();
// The fields copied into a new table as text (MEMO goes through the memo rule;
// ISDEL and TAG keep their empty defaults).
const std::vector<const char*>& tableExportFields();

class RecordExport {
public:
    enum class Format { Table, Text, VCard };

    struct Hooks {
        std::function<void(int)> gauge;
        // Asked after every record; true stops the copy.
        std::function<bool()> cancelRequested;
    };

    struct Result {
        enum class Outcome { Done, Cancelled, Failed };
        Outcome outcome = Outcome::Done;
        uint64_t count = 0;          // records copied when it ended
        std::string detail;          // what went wrong
        bool countsAgreed = true;    // the new table held as many records as were copied
        // The file of the target's name is as it was. Otherwise the copy was
        // complete and its files listed to replace the old ones, but a rename
        // failed: the next open of the table finishes it.
        bool targetUntouched = true;
    };

    // Copies from the first record that passes the filter to the last.
    static Result run(xbase::Table& table, Format format, const std::string& target, const Hooks& hooks);
};

// What stops a chosen target before anything is copied: the wrong extension
// for a table, or the open database itself. Empty when it may be used.
QString exportTargetProblem(RecordExport::Format format, const QString& target, const QString& database);

// The message for a copy that was cancelled.
QString exportCancelMessage(const QString& target);

// The message for a copy that failed.
QString exportFailureMessage(RecordExport::Format format, const RecordExport::Result& result, const QString& target);

} // namespace qb
