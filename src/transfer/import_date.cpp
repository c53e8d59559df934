#include "transfer/import_date.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace qb {

namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

std::optional<std::string> dateOf(int y, int m, int d)
{
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > days[size_t(m - 1)] + (m == 2 && leapYear(y)))
        return std::nullopt;
    char out[16];
    std::snprintf(out, sizeof out, "%04d%02d%02d", y, m, d);
    return std::string(out);
}

// Splits text into runs of digits at single separators sep; false unless
// there are exactly three runs of 1 to 4 digits and nothing else.
bool threeNumbers(std::string_view text, char sep, std::array<int, 3>& n, std::array<size_t, 3>& digits)
{
    size_t part = 0;
    n = {0, 0, 0};
    digits = {0, 0, 0};
    for (char c : text) {
        if (c == sep) {
            if (digits[part] == 0 || ++part == 3)
                return false;
        } else if (std::isdigit(static_cast<unsigned char>(c)) && digits[part] < 4) {
            n[part] = n[part] * 10 + (c - '0');
            ++digits[part];
        } else {
            return false;
        }
    }
    return part == 2 && digits[2] > 0;
}

int fullYear(int year, size_t digits)
{
    if (digits > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

} // namespace

std::optional<std::string> importDate(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty())
        return std::string();
    std::array<int, 3> n{};
    std::array<size_t, 3> digits{};
    if (text.size() == 8 && threeNumbers(std::string(text.substr(0, 4)) + "-" + std::string(text.substr(4, 2)) + "-" +
                                             std::string(text.substr(6, 2)),
                                         '-', n, digits))
        return dateOf(n[0], n[1], n[2]);
    if (const size_t t = text.find('T'); t == 10)
        text = text.substr(0, 10);
    for (char sep : {'-', '/'}) {
        if (!threeNumbers(text, sep, n, digits))
            continue;
        if (digits[0] == 4)
            return dateOf(n[0], n[1], n[2]);
        if (digits[0] <= 2 && digits[1] <= 2 && digits[2] != 3)
            return dateOf(fullYear(n[2], digits[2]), n[0], n[1]);
        return std::nullopt;
    }
    if (threeNumbers(text, '.', n, digits) && digits[0] <= 2 && digits[1] <= 2 && digits[2] != 3)
        return dateOf(fullYear(n[2], digits[2]), n[1], n[0]);
    return std::nullopt;
}

} // namespace qb
