#pragma once
// What the state and zip check and the duplicate check share about the
// records they found: the grid's columns and tagging them.

#include "utilities/bulk_run.h"
#include "utilities/record_grid_model.h"

namespace qb {

class AddressTable;

// "Tagged", then the name and address fields.
std::vector<GridColumn> resultGridColumns(AddressTable& addresses);

// Tags the current record, or takes its tag off when it has the current one.
// Returns the engine's message on failure, empty otherwise.
QString toggleTag(AddressTable& addresses);

} // namespace qb
