#include "transfer/field_match.h"

#include "core/address_table.h"
#include "platform/xbase/codepage.h"

#include <algorithm>
#include <cstring>

namespace qb {

namespace {

std::vector<ImportField> importFields(const xbase::Table& table, bool fromTable)
{
    std::vector<ImportField> out;
    for (const RecordViewField& v : recordViewFields(table)) {
        if (v.calculated)
            continue;
        const std::string name = v.name.toStdString();
        const int index = table.fieldIndex(name);
        if (index < 0)
            continue;
        const xbase::Field& f = table.field(index);
        const bool offered = fromTable ? name != "ISDEL" && name != "TAG" : v.visible && f.type == 'C';
        if (!offered)
            continue;
        out.push_back({f.name, name == "MEMO" ? std::string("Memo") : v.label.toStdString(), f.type, f.length});
    }
    return out;
}

} // namespace

std::vector<ImportField> textImportFields(const xbase::Table& table) { return importFields(table, false); }
std::vector<ImportField> tableImportFields(const xbase::Table& table) { return importFields(table, true); }

FieldMatch::FieldMatch(Kind kind, std::vector<ImportField> rows, std::vector<ImportSourceField> sources)
    : kind_(kind), rows_(std::move(rows)), sources_(std::move(sources)), feeding_(rows_.size(), -1)
{
}

int FieldMatch::rowOf(int source) const
{
    const auto it = std::find(feeding_.begin(), feeding_.end(), source);
    return it == feeding_.end() || source < 0 ? -1 : int(it - feeding_.begin());
}

bool FieldMatch::fits(int row, int source) const
{
    if (kind_ == Kind::Text)
        return true;
    const char to = rows_.at(size_t(row)).type;
    const char from = sources_.at(size_t(source)).type;
    if (to == 'M' || from == 'M')
        return to == from;
    if (to == 'D')
        return from == 'D';
    return true;
}

std::vector<int> FieldMatch::choices(int row) const
{
    std::vector<int> out;
    for (int s = 0; s < int(sources_.size()); ++s)
        if (fits(row, s))
            out.push_back(s);
    return out;
}

bool FieldMatch::select(int row, int source)
{
    if (row < 0 || row >= int(rows_.size()) || source >= int(sources_.size()))
        return false;
    if (source >= 0 && !fits(row, source))
        return false;
    if (source >= 0)
        std::replace(feeding_.begin(), feeding_.end(), source, -1);
    feeding_[size_t(row)] = source;
    return true;
}

void FieldMatch::clearAll() { std::fill(feeding_.begin(), feeding_.end(), -1); }

bool FieldMatch::any() const
{
    return std::any_of(feeding_.begin(), feeding_.end(), [](int s) { return s >= 0; });
}

void FieldMatch::preMatch()
{
    clearAll();
    for (int s = 0; s < int(sources_.size()); ++s) {
        const ImportSourceField& src = sources_[size_t(s)];
        if (!std::strchr("CNFLDM", src.type))
            continue;
        for (int r = 0; r < int(rows_.size()); ++r) {
            if (feeding_[size_t(r)] >= 0 || !fits(r, s))
                continue;
            const ImportField& row = rows_[size_t(r)];
            const bool named = src.type == 'M' ? xbase::equalsIgnoreCase(row.label, "Memo")
                                               : xbase::equalsIgnoreCase(row.label, src.name) || xbase::equalsIgnoreCase(row.name, src.name);
            if (named) {
                feeding_[size_t(r)] = s;
                break;
            }
        }
    }
}

} // namespace qb
