#include "design/address_block.h"

namespace qb::design {

QString asciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

int mostAddressLines(const AddressOptions& o)
{
    const bool zipWithState = o.zip == ZipOption::AfterState || o.zip == ZipOption::BeforeCity;
    const bool cityLine = o.useCityState || (o.useZip && zipWithState);
    const bool countryLine = o.useCountry || (o.useZip && !zipWithState);
    return int(o.useName) + int(o.useTitle) + int(o.useCompany) + int(o.useStreet) + int(o.useStreet2) + int(cityLine) +
           int(countryLine) + int(o.usePhone);
}

namespace {

struct MissingField {};

} // namespace

QStringList composeAddress(const AddressOptions& o, const FieldReader& field)
{
    QStringList lines;
    const auto get = [&](const char* name) {
        std::optional<QString> v = field(name);
        if (!v)
            throw MissingField{};
        return *v;
    };
    const QString blank = QStringLiteral(" ");
    // Each part carries its own trailing blank, so a missing part leaves no gap.
    const auto part = [&](const QString& v) { return ltrimBlanks(v + blank); };
    const auto addIfNotEmpty = [&](const QString& line) {
        if (!line.isEmpty())
            lines << line;
    };
    try {
        if (o.useName) {
            QString m = get("MIDDLE");
            if (!trimBlanks(m).isEmpty())
                m += QLatin1Char('.');
            addIfNotEmpty(part(get("PREFIX")) + part(get("FNAME")) + part(m) + part(get("LNAME")));
        }
        if (o.useTitle)
            addIfNotEmpty(get("TITLE"));
        if (o.useCompany)
            addIfNotEmpty(get("ORG"));
        if (o.useStreet)
            addIfNotEmpty(get("STREET"));
        if (o.useStreet2)
            addIfNotEmpty(get("STREET2"));

        const bool zipWithState = o.zip == ZipOption::AfterState || o.zip == ZipOption::BeforeCity;
        if (o.useCityState) {
            const QString c = get("CITY"), s = get("STATE");
            if (o.useZip && o.zip == ZipOption::AfterState) {
                // City and state are two blanks apart, state and zip one.
                const QString line = part(c) + blank + part(s) + ltrimBlanks(get("ZIP"));
                if (!trimBlanks(line).isEmpty())
                    lines << line;
            } else if (o.useZip && o.zip == ZipOption::BeforeCity) {
                addIfNotEmpty(part(get("ZIP")) + part(c) + part(s));
            } else {
                addIfNotEmpty(part(c) + ltrimBlanks(s));
            }
        } else if (o.useZip && zipWithState) {
            addIfNotEmpty(ltrimBlanks(get("ZIP")));
        }

        if (o.useCountry) {
            const QString n = get("COUNTRY");
            if (o.useZip && o.zip == ZipOption::AfterCountry)
                addIfNotEmpty(part(n) + ltrimBlanks(get("ZIP")));
            else if (o.useZip && o.zip == ZipOption::BeforeCountry)
                addIfNotEmpty(part(get("ZIP")) + ltrimBlanks(n));
            else
                addIfNotEmpty(ltrimBlanks(n));
        } else if (o.useZip && !zipWithState) {
            addIfNotEmpty(ltrimBlanks(get("ZIP")));
        }

        if (o.usePhone)
            addIfNotEmpty(get("PHONE"));
    } catch (const MissingField&) {
    }
    if (o.upperCase)
        for (QString& l : lines)
            l = asciiUpper(l);
    return lines;
}

} // namespace qb::design
