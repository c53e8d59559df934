#include "mainwindow/address_filter.h"

#include "core/ascii.h"
#include "core/messages.h"
#include "core/text_file.h"
#include "platform/xbase/table.h"

#include <QFileInfo>

namespace qb {

namespace {

// The order the filter text names the conditions in: the comments come
// before the date and the codes, unlike the file.
constexpr int kBuildOrder[kFilterFieldCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 14, 15};

// A .FLT file is twenty short lines; anything much larger is not one.
constexpr qint64 kMaxFilterFileSize = 64 * 1024;

QString joined(const QStringList& parts, const QString& joiner, const QString& field)
{
    QString out = QStringLiteral("(");
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += joiner;
        out += QLatin1Char('(') + conditionExpression(parts[i], field) + QLatin1Char(')');
    }
    return out + QLatin1Char(')');
}

QChar closing(QChar open) { return open == QLatin1Char('[') ? QLatin1Char(']') : open; }

} // namespace

const std::array<FilterField, kFilterFieldCount>& filterFields()
{
    static const std::array<FilterField, kFilterFieldCount> fields{{
        {"Last", "LNAME", "LNAME"},
        {"First", "FNAME", "FNAME"},
        {"Title", "TITLE", "TITLE"},
        {"Org", "ORG", "ORG"},
        {"Address 1", "STREET", "STREET"},
        {"Address 2", "STREET2", "STREET2"},
        {"Zip or Postal ", "ZIP", "ZIP"},
        {"City", "CITY", "CITY+STATE"},
        {"State or Prov", "STATE", "STATE"},
        {"Country", "COUNTRY", "COUNTRY"},
        {"Phone 1", "PHONE", "PHONE"},
        {"Phone 2", "PHONE2", "PHONE2"},
        {"Fax", "FAX", "FAX"},
        {"E-mail", "EMAIL", "EMAIL"},
        {"Date", "DATE", "DATE"},
        {"Codes", "CODES", "CODES"},
        {"Comment 1", "USER1", "USER1"},
        {"Comment 2", "USER2", "USER2"},
    }};
    return fields;
}

QString quotedConstant(const QString& value)
{
    static const QChar opens[] = {QLatin1Char('"'), QLatin1Char('\''), QLatin1Char('[')};
    const auto delimiterFor = [](const QString& piece) -> QChar {
        for (QChar open : opens)
            if (!piece.contains(closing(open)))
                return open;
        return QChar();
    };
    QStringList pieces;
    QString piece;
    for (QChar c : value) {
        if (delimiterFor(piece + c).isNull()) {
            pieces << piece;
            piece.clear();
        }
        piece += c;
    }
    pieces << piece;
    QStringList constants;
    for (const QString& p : pieces) {
        const QChar open = delimiterFor(p);
        constants << open + p + closing(open);
    }
    return constants.join(QLatin1Char('+'));
}

QString conditionExpression(const QString& text, const QString& field)
{
    if (text.contains(QLatin1Char(';')))
        return joined(text.split(QLatin1Char(';')), QStringLiteral(".or."), field);
    if (text.contains(QLatin1Char('+')))
        return joined(text.split(QLatin1Char('+')), QStringLiteral(".and."), field);
    if (text.contains(QLatin1Char('^')))
        return joined(text.split(QLatin1Char('^')), QStringLiteral(".and..not."), field);

    QString op = QStringLiteral("=");
    QString value = text;
    for (const char* prefix : {">=", ">", "<=", "<", "$"}) {
        const QString p = QLatin1String(prefix);
        if (text.startsWith(p)) {
            op = p;
            value = text.mid(p.size(), 99);
            break;
        }
    }
    const QString constant = quotedConstant(asciiUpper(value));
    if (op == QLatin1String("$"))
        return constant + QStringLiteral("$UPPER(") + field + QLatin1Char(')');
    return QStringLiteral("UPPER(") + field + QLatin1Char(')') + op + constant;
}

QString BuildQueryString(const FilterConditions& conditions, const QString& tagId)
{
    QString result;
    const auto append = [&result](const QString& expression) {
        if (!result.isEmpty())
            result += QStringLiteral(" and ");
        result += expression;
    };
    for (int i : kBuildOrder) {
        const QString& text = conditions.texts[size_t(i)];
        if (text.trimmed().isEmpty())
            continue;
        append(conditionExpression(text, QLatin1String(filterFields()[size_t(i)].expression)));
    }
    if (conditions.taggedOnly)
        append(QStringLiteral("(UPPER(TAG)=") + quotedConstant(tagId) + QLatin1Char(')'));
    if (!result.isEmpty() && conditions.reverse)
        result = QStringLiteral("(!(") + result + QStringLiteral("))");
    return result;
}

// ---- applying ---------------------------------------------------------------

void AddressFilter::ClearQueryVars()
{
    conditions.clear();
    text_.clear();
}

uint32_t AddressFilter::apply(xbase::Table& table, const QString& tagId)
{
    text_ = BuildQueryString(conditions, tagId);
    const auto noFilter = [&] {
        table.setFilter("!ISDEL");
        return 0u;
    };
    if (text_.isEmpty())
        return noFilter();
    if (text_.size() > kMaxFilterLength) {
        showInformation(kFilterTooComplex);
        ClearQueryVars();
        return noFilter();
    }
    uint32_t matches = 0;
    try {
        const std::string query = (text_ + QStringLiteral(".and. !ISDEL")).toStdString();
        matches = table.setFilter(query);
    } catch (const xbase::XbaseError&) {
        // Only nesting the engine cannot take gets here: the text is built
        // from quoted constants. It is too complex in the user's terms too.
        showInformation(kFilterTooComplex);
        ClearQueryVars();
        return noFilter();
    }
    if (matches == 0) {
        ClearQueryVars();
        return noFilter();
    }
    return matches;
}

// ---- files -------------------------------------------------------------------

bool SaveFilterTo(const QString& path, const FilterConditions& conditions)
{
    QStringList lines(conditions.texts.begin(), conditions.texts.end());
    lines << QLatin1String(conditions.taggedOnly ? "T" : "F") << QLatin1String(conditions.reverse ? "T" : "F");
    return writeLines1252(path, lines);
}

std::optional<FilterConditions> RestoreFilterFrom(const QString& path)
{
    const std::optional<QString> text = readText1252(path, kMaxFilterFileSize);
    if (!text)
        return std::nullopt;
    QStringList lines = text->split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (lines.size() < kFilterFieldCount + 2)
        lines << QString();
    FilterConditions c;
    for (int i = 0; i < kFilterFieldCount; ++i)
        c.texts[size_t(i)] = lines[i];
    c.taggedOnly = lines[kFilterFieldCount] == QLatin1String("T");
    c.reverse = lines[kFilterFieldCount + 1] == QLatin1String("T");
    return c;
}

std::optional<QString> filterFileForSaving(const QString& chosen)
{
    const QFileInfo info(chosen);
    if (QLatin1Char('.') + info.suffix().toUpper() == QLatin1String(".FLT"))
        return chosen;
    if (info.fileName().contains(QLatin1Char('.'))) {
        showInformation(kMustHaveFltExtension);
        return std::nullopt;
    }
    return chosen + QStringLiteral(".FLT");
}

} // namespace qb
