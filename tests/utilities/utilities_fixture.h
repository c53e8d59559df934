#pragma once
// Shared by the utilities tests: an address database in a program folder of
// its own, filled with rows, and its records read back.

#include "core/address_fixture.h"
#include "core/address_table.h"

#include <gtest/gtest.h>

namespace qb::test {

class UtilityDatabase {
public:
    explicit UtilityDatabase(const std::vector<Row>& rows = {})
    {
        path = program.data("add0001.DBF");
        EXPECT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        EXPECT_TRUE(table.open(path));
        for (const Row& row : rows)
            addRow(t(), row);
        t().first();
    }
    xbase::Table& t() { return table.table(); }
    // One field of every record, deleted ones too, in record order.
    std::vector<std::string> column(const char* field)
    {
        std::vector<std::string> out;
        const uint32_t at = t().recno();
        for (uint32_t r = 1; r <= t().recordCount(); ++r) {
            t().go(r);
            out.push_back(t().text(field));
        }
        t().go(at);
        return out;
    }
    // The records the current order shows, in order.
    std::vector<uint32_t> shown()
    {
        std::vector<uint32_t> out;
        for (bool ok = t().first(); ok; ok = t().next())
            out.push_back(t().recno());
        return out;
    }

    ProgramDir program;
    QString path;
    AddressTable table;
};

} // namespace qb::test
