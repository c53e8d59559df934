#include "core/tag_all.h"

#include "platform/xbase/table.h"

namespace qb {

TagAllOutcome tagAllRecords(xbase::Table& table, const QString& tagId, const std::function<bool(uint64_t)>& keepGoing)
{
    TagAllOutcome out;
    const std::string id = tagId.toStdString();
    try {
        // One in-change mark and one wait for the disk for the whole run.
        xbase::Table::BulkChange change(table);
        for (bool more = table.first(); more; more = table.next()) {
            table.edit();
            try {
                table.setText("TAG", id);
                table.post();
            } catch (...) {
                table.cancel();
                throw;
            }
            ++out.tagged;
            if (keepGoing && !keepGoing(out.tagged)) {
                out.cancelled = true;
                break;
            }
        }
        change.commit();
    } catch (const std::exception& e) {
        out.error = QString::fromStdString(e.what());
    }
    try {
        table.first();
    } catch (const std::exception&) {
    }
    return out;
}

} // namespace qb
