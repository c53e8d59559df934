#pragma once
// Search-and-replace of one field over many records, and Delete Records.
// The user's values never become part of an expression: the field values
// are compared here, in code.

#include "utilities/bulk_run.h"

namespace qb {

struct ReplaceField {
    const char* entry;   // as the drop-down list shows it
    const char* field;
};
const std::vector<ReplaceField>& replaceFields();

struct ReplaceRequest {
    QString field;               // LNAME ...
    bool contains = false;       // otherwise "is exactly equal to"
    QString search;              // empty: the field is empty
    bool caseSensitive = false;
    bool wholeField = true;      // otherwise only the matching text
    QString replacement;
    bool filteredOnly = false;   // only the records matching filterConditions
};

// Whether the field value (trailing blanks gone) matches the request.
bool replaceMatches(const ReplaceRequest& request, const QString& value);
// The field value after the replacement: the whole field, or each occurrence
// of the search text from left to right, going on after each replacement, at
// most 50 of them.
QString replacedValue(const ReplaceRequest& request, const QString& value);
// The question the window asks before it starts.
QString replaceQuestion(const ReplaceRequest& request, const QString& entry);

struct ReplaceOutcome : BulkOutcome {
    uint64_t tooLong = 0;   // matching records left alone: the result would not fit the field
};

// Refuses (in error, nothing changed) a search or replacement longer than
// the field or holding characters the table cannot store. Otherwise walks
// every record not marked deleted in record order (the main window's filter
// conditions as an extra condition when filteredOnly) and writes each
// match; stops on the first engine error, or after the record keepGoing
// said no to. The table's filter, order and record are put back.
ReplaceOutcome replaceFieldValues(xbase::Table& table, const ReplaceRequest& request, const QString& filterConditions,
                                  const KeepGoing& keepGoing = {});

enum class DeleteChoice { All, Matching, NotMatching };

// Deletes the records: All empties the table at once (the count is the
// records not deleted before); Matching those passing filterConditions (all
// without them); NotMatching the others. Each record gets ISDEL and the
// deleted mark; records deleted already are not counted. Stops on the
// first engine error, or after the record keepGoing said no to.
BulkOutcome deleteRecords(xbase::Table& table, DeleteChoice choice, const QString& filterConditions, const KeepGoing& keepGoing = {});
// How many records deleteRecords would delete now.
uint64_t recordsToDelete(xbase::Table& table, DeleteChoice choice, const QString& filterConditions);
// The question before the delete: how many records go, and for All with a
// filter set that the filter does not limit it.
QString deleteQuestion(DeleteChoice choice, uint64_t count, bool filterSet);

} // namespace qb
