#include "utilities/zip_count.h"

#include "platform/xbase/codepage.h"
#include "platform/xbase/table.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace qb {

QString zipCountKey(const QString& zip) { return zip.left(5); }

bool isUsStyleZipKey(const QString& key)
{
    return key.size() == 5 && key[0].isDigit() && key[0].unicode() < 128 && key >= QLatin1String("00000") &&
           key <= QLatin1String("99999-999");
}

QString zipCountLine(const QString& key, uint64_t count)
{
    QString digits = QString::number(count);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return key.left(10).leftJustified(10, QLatin1Char(' ')) + digits;
}

namespace {

// Keys as the table holds them (Windows-1252 bytes); text only for the list.
struct Tally {
    std::vector<std::pair<std::string, uint64_t>> keys;   // as first met
    std::unordered_map<std::string, size_t> byUpper;

    void add(const std::string& key)
    {
        std::string upper = key;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        auto [it, fresh] = byUpper.try_emplace(std::move(upper), keys.size());
        if (fresh)
            keys.emplace_back(key, 1);
        else
            ++keys[it->second].second;
    }
    void appendSorted(QStringList& out)
    {
        std::vector<std::pair<QString, uint64_t>> named;
        for (const auto& [key, count] : keys)
            named.emplace_back(QString::fromStdString(xbase::cp1252ToUtf8(key)), count);
        std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
            return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
        });
        for (const auto& [key, count] : named)
            out << zipCountLine(key, count);
    }
};

bool usStyle(const std::string& k)
{
    return k.size() == 5 && k[0] >= '0' && k[0] <= '9' && k >= "00000" && k <= "99999-999";
}

} // namespace

ZipCountResult countZipCodes(xbase::Table& table, const KeepGoing& keepGoing, const std::function<void()>& sorting)
{
    ZipCountResult result;
    std::array<Tally, 10> digits;
    Tally others;
    uint64_t blanks = 0;
    try {
        TableView view(table);
        table.selectOrder(0);
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            table.go(r);
            std::string key = table.raw("ZIP");
            key.erase(key.find_last_not_of(' ') + 1);
            if (key.size() > 5)
                key.resize(5);
            if (key.empty())
                ++blanks;
            else if (usStyle(key))
                digits[size_t(key[0] - '0')].add(key);
            else
                others.add(key);
            if (keepGoing && !keepGoing(++done, recnos.size())) {
                result.cancelled = true;
                return result;
            }
        }
    } catch (const std::exception& e) {
        result.error = QString::fromStdString(e.what());
        return result;
    }
    if (sorting)
        sorting();
    for (Tally& t : digits)
        t.appendSorted(result.lines);
    result.lines << QString() << QString();
    others.appendSorted(result.lines);
    if (blanks > 0)
        result.lines << zipCountLine(QStringLiteral("BLANK"), blanks);
    return result;
}

} // namespace qb
