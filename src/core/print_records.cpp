#include "core/print_records.h"

#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

namespace qb {

TableRestore::TableRestore(xbase::Table& t)
    : t_(t), filter_(t.filter()), order_(t.currentOrder()), recno_(t.eof() ? 0 : t.recno()),
      exact_(xbase::engineSettings().exact)
{
}

TableRestore::~TableRestore()
{
    try {
        xbase::engineSettings().exact = exact_;
        if (t_.editing())
            t_.cancel();
        t_.setFilter(filter_);
        t_.selectOrder(order_);
        if (recno_ == 0 || !t_.go(recno_))
            t_.first();
    } catch (const std::exception&) {
    }
}

void selectPrintRecords(xbase::Table& table, const TableRestore& restore, PrintRecords records, bool startFromCurrent,
                        const std::function<void(const QString&)>& inform)
{
    if (records == PrintRecords::All)
        table.setFilter("NOT ISDEL");
    else if (records == PrintRecords::OnlyCurrent)
        table.setFilter("Recno()=" + std::to_string(restore.recno()));
    if (startFromCurrent) {
        const std::string query = table.filter().empty() ? std::string(".T.") : "(" + table.filter() + ")";
        if (restore.recno() > 0 && table.count(query + ".and. RECNO()=" + std::to_string(restore.recno())) > 0) {
            table.go(restore.recno());
        } else {
            if (inform)
                inform(kOutOfRange);
            table.first();
        }
    } else {
        table.first();
    }
}

} // namespace qb
