#include "transfer/header_row.h"

#include "platform/xbase/codepage.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace qb {

namespace {

struct Book {
    std::string name;
    std::vector<std::pair<std::string, std::string>> headers;   // field, header
};

// The known exports, read once from the program's resources.
const std::vector<Book>& books()
{
    static const std::vector<Book> all = [] {
        std::vector<Book> out;
        QFile file(QStringLiteral(":/transfer/address_book_headers.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return out;
        for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                out.push_back({line.mid(1, line.size() - 2).toStdString(), {}});
                continue;
            }
            const QStringList parts = raw.split(QLatin1Char('\t'));
            if (parts.size() == 2 && !out.empty())
                out.back().headers.push_back({parts[0].trimmed().toStdString(), parts[1].trimmed().toStdString()});
        }
        return out;
    }();
    return all;
}

std::string clean(const std::string& s)
{
    const size_t from = s.find_first_not_of(" \t");
    if (from == std::string::npos)
        return {};
    return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

bool same(const std::string& a, const std::string& b) { return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0; }

// The field a name stands for by the fields' own names and labels; "" when none.
std::string ownField(const std::string& name, const std::vector<ImportField>& fields)
{
    for (const ImportField& f : fields)
        if (same(name, f.name) || same(name, f.label))
            return f.name;
    return {};
}

bool known(const std::string& value, const std::vector<ImportField>& fields)
{
    const std::string v = clean(value);
    if (v.empty())
        return false;
    if (!ownField(v, fields).empty())
        return true;
    for (const Book& b : books())
        for (const auto& h : b.headers)
            if (same(v, h.second))
                return true;
    return false;
}

} // namespace

bool firstLineNamesColumns(const std::vector<std::string>& first, const std::vector<std::string>& second,
                           const std::vector<ImportField>& fields)
{
    size_t values = 0, names = 0;
    for (const std::string& v : first)
        if (!clean(v).empty()) {
            ++values;
            names += known(v, fields);
        }
    if (names * 2 <= values)
        return false;
    return std::none_of(second.begin(), second.end(), [&](const std::string& v) { return known(v, fields); });
}

HeaderMatch matchHeaders(const std::vector<std::string>& names, const std::vector<ImportField>& fields)
{
    HeaderMatch out;
    out.fields.assign(names.size(), {});
    const auto column = [&](const std::string& header) {
        for (size_t c = 0; c < names.size(); ++c)
            if (same(clean(names[c]), header))
                return int(c);
        return -1;
    };
    const auto fed = [&](const std::string& field) { return std::find(out.fields.begin(), out.fields.end(), field) != out.fields.end(); };
    const auto offered = [&](const std::string& field) {
        return std::any_of(fields.begin(), fields.end(), [&](const ImportField& f) { return f.name == field; });
    };

    // The export whose headers the line holds most of, three at least.
    const Book* best = nullptr;
    size_t most = 2;
    for (const Book& b : books()) {
        size_t found = 0;
        for (const auto& h : b.headers)
            found += column(h.second) >= 0;
        if (found > most) {
            most = found;
            best = &b;
        }
    }
    if (best) {
        out.book = best->name;
        for (const auto& [field, header] : best->headers)
            if (const int c = column(header); c >= 0 && out.fields[size_t(c)].empty() && !fed(field) && offered(field))
                out.fields[size_t(c)] = field;
    }
    for (size_t c = 0; c < names.size(); ++c)
        if (out.fields[c].empty())
            if (const std::string f = ownField(clean(names[c]), fields); !f.empty() && !fed(f))
                out.fields[c] = f;
    return out;
}

void applyHeaderMatch(FieldMatch& match, const HeaderMatch& headers)
{
    for (size_t c = 0; c < headers.fields.size() && c < match.sources().size(); ++c)
        if (!headers.fields[c].empty())
            for (int r = 0; r < int(match.rows().size()); ++r)
                if (match.rows()[size_t(r)].name == headers.fields[c])
                    match.select(r, int(c));
}

} // namespace qb
