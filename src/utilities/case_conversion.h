#pragma once
// Case conversion of chosen address fields: upper case, lower case, or the
// first letter of each blank-separated word in capitals. Only the letters a-z
// and A-Z change; é stays é in every mode.

#include "utilities/bulk_run.h"

#include <QStringList>

namespace qb {

enum class CaseMode { Upper, FirstLetter, Lower };
enum class RecordChoice { Current, All, Filtered };

QString convertCase(const QString& text, CaseMode mode);

// The fifteen fields the window offers, with their check box captions.
struct CaseField {
    const char* caption;
    const char* field;
};
const std::vector<CaseField>& caseFields();

// Converts the fields of the current record, of every record not flagged
// deleted (the table's filter set aside for the run), or of the records the
// table shows. Stops on the first engine error; the filter, order and
// record are put back. Records whose text is already so are not written.
BulkOutcome convertRecords(xbase::Table& table, const QStringList& fields, CaseMode mode, RecordChoice choice,
                           const KeepGoing& keepGoing = {});

} // namespace qb
