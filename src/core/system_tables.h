#pragma once
// The six tables the program keeps in sysdata beside the address databases: the
// catalogues of saved label, envelope, letter and report designs, the label
// stock catalogue and the state/province reference. Each has one compound index
// of its own base name holding one tag.
//
// Opening goes through openSystemTable: the four design catalogues are created
// empty when their file is missing, the two installed tables never are, and a
// table that exists but cannot be opened (locked, read-only, damaged) is
// reported and left exactly as it is.

#include "platform/xbase/table.h"

#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace qb {

enum class SystemTable { Label, Envelope, Letter, Report, LabelStock, CityStateZip };

struct SystemTableSpec {
    SystemTable table;
    const char* baseName;           // "LABEL"; the files are baseName + ".DBF" / ".CDX"
    bool createdWhenMissing;
    const char* tagName;
    const char* tagExpression;      // as the open-or-create step builds it
    const char* failureMessage;     // shown when the table cannot be had
};

const SystemTableSpec& systemTableSpec(SystemTable table);

// The columns each table is created with. LBLTPL and CSZ are never created by
// the program; theirs are the columns the installed tables are built with.
std::vector<xbase::FieldDef> systemTableFields(SystemTable table);

// program folder + "sysdata/" + file name, matched to the spelling on disk.
QString systemTablePath(SystemTable table);
QString systemIndexPath(SystemTable table);

// Opens the table in mode, creating it first (and then holding it exclusively)
// where that is allowed and the file is missing. A missing index file gets the
// table's tag, which is then the current order; a failure there is ignored.
// On failure shows the table's message (or failure, when given) and returns null.
std::unique_ptr<xbase::Table> openSystemTable(SystemTable table, xbase::OpenMode mode = xbase::OpenMode::Shared,
                                              const QString& failure = {});

// "Rebuild System Indexes": the tables in the order they are rebuilt, with the
// status line shown for each and the tag rebuilt.
struct SystemIndexStep {
    SystemTable table;
    const char* status;
    const char* tagName;
    const char* keyExpression;
};
std::span<const SystemIndexStep> systemIndexSteps();

// Rebuilds one table: opens it exclusively, deletes its index file, packs away
// the deleted-marked rows and builds the tag anew, then closes it. False when
// any of that failed (the table is closed either way; nothing is shown).
bool rebuildSystemIndex(const SystemIndexStep& step, const xbase::Progress& progress = {});

// Every step in order; before each, beforeStep is told which one comes. A table
// that fails is passed over without a word.
void rebuildSystemIndexes(const std::function<void(const SystemIndexStep&)>& beforeStep,
                          const xbase::Progress& progress = {});

} // namespace qb
