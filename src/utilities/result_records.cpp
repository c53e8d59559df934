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

} // namespace qb
