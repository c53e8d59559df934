#include "utilities/result_records.h"

#include "core/address_table.h"
#include "platform/xbase/table.h"

namespace qb {

std::vector<GridColumn> resultGridColumns(AddressTable& addresses)
{
    std::vector<GridColumn> columns;
    columns.push_back({QStringLiteral("Tagged"), QString(), [&addresses](xbase::Table&) {
                           return addresses.tagged() ? QStringLiteral("Yes") : QStringLiteral("No");
                       }});
    const std::pair<const char*, const char*> fields[] = {
        {"Last Name", "LNAME"}, {"First Name", "FNAME"}, {"Organization", "ORG"}, {"Address 1", "STREET"},
        {"City", "CITY"},       {"State", "STATE"},      {"Zip", "ZIP"},          {"Country", "COUNTRY"},
    };
    for (const auto& [title, field] : fields)
        columns.push_back({QLatin1String(title), QLatin1String(field), {}});
    return columns;
}

QString toggleTag(AddressTable& addresses)
{
    xbase::Table& t = addresses.table();
    if (t.eof())
        return {};
    BulkOutcome outcome;
    const bool tagged = addresses.tagged();
    changeRecord(t, outcome, [&] {
        t.setText("TAG", tagged ? std::string() : addresses.tagId().toStdString());
        return true;
    });
    return outcome.error;
}

BulkOutcome tagShownRecords(AddressTable& addresses)
{
    xbase::Table& t = addresses.table();
    BulkOutcome outcome;
    const uint32_t at = t.recno();
    const std::string id = addresses.tagId().toStdString();
    try {
        const std::vector<uint32_t> recnos = t.visibleRecnos();
        xbase::Table::BulkChange bulk(t);
        for (uint32_t r : recnos) {
            t.go(r);
            if (!changeRecord(t, outcome, [&] {
                    if (t.text("TAG") == id)
                        return false;
                    t.setText("TAG", id);
                    return true;
                }))
                break;
        }
        bulk.commit();
    } catch (const std::exception& e) {
        if (outcome.error.isEmpty())
            outcome.error = QString::fromStdString(e.what());
    }
    try {
        t.go(at);
    } catch (const std::exception&) {
    }
    return outcome;
}

} // namespace qb
