#pragma once
// Dates as imports find them, turned into the yyyymmdd that DATE keeps.

#include <optional>
#include <string>
#include <string_view>

namespace qb {

// The date a text holds as yyyymmdd; "" for an empty text, nothing for one
// that is no date. Read whatever the locale: yyyymmdd; yyyy-mm-dd (the ISO
// form, with a time after it); month/day/year with '/' or '-' and day.month.year,
// leading zeros or not, with four-digit years or two-digit ones, 00-49 being
// 2000-2049 and 50-99 1950-1999.
std::optional<std::string> importDate(std::string_view text);

} // namespace qb
