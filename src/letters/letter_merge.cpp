#include "letters/letter_merge.h"

#include "core/blanks.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include <map>

namespace qb {

MergeFieldReader tableFieldReader(const xbase::Table& table)
{
    return [&table](const char* column) {
        try {
            return QString::fromStdString(table.text(column));
        } catch (const std::exception&) {
            return QString();
        }
    };
}

const QStringList& mergeFieldNames()
{
    static const QStringList names = {
        "Full Name", "Name and Address", "First",   "Last",        "Middle",       "Prefix",       "Title",
        "Organization", "Street",        "Street 2", "City+State+Zip", "City",      "State",        "Province",
        "Zip",       "Postal Code",      "Country", "Phone",       "Phone 2",      "Fax",          "E-Mail",
        "Today's Date", "Long Date",     "Comment 1", "Comment 2",
    };
    return names;
}

const QStringList& mergeOrder()
{
    static const QStringList order = {
        "Full Name", "First", "Last",  "Middle", "Prefix",  "Title",        "Organization", "Street",    "Street 2",
        "City+State+Zip", "City", "State", "Province", "Zip", "Postal Code", "Country",     "Phone",     "Phone 2",
        "Fax",       "E-Mail", "Today's Date", "Long Date", "Name and Address", "Comment 1", "Comment 2",
    };
    return order;
}

QString mergeFullName(const MergeFieldReader& field)
{
    const QString middle = field("MIDDLE");
    const QString m = middle.isEmpty() ? middle : middle + QLatin1Char('.');
    const QString blank(QLatin1Char(' '));
    return ltrimBlanks(field("PREFIX") + blank) + ltrimBlanks(field("FNAME") + blank) + ltrimBlanks(m + blank) +
           ltrimBlanks(field("LNAME") + blank);
}

QString mergeAddressBlock(const MergeFieldReader& field)
{
    QString block;
    const auto line = [&block](const QString& text) {
        if (!text.isEmpty())
            block += text + QLatin1String("\r\n");
    };
    line(mergeFullName(field));
    const QString title = field("TITLE");
    const QString org = field("ORG");
    line(org.isEmpty() ? title : title.isEmpty() ? org : title + QLatin1String(",  ") + org);
    line(field("STREET"));
    line(field("STREET2"));
    const QString city = field("CITY"), state = field("STATE"), zip = field("ZIP");
    if (!city.isEmpty() || !state.isEmpty() || !zip.isEmpty()) {
        const QString s = state.isEmpty() ? state : state + QLatin1Char(' ');
        line(trimBlanks(city + QLatin1Char(' ') + s + QLatin1Char(' ') + zip));
    }
    line(field("COUNTRY"));
    return block;
}

QString mergeValue(const QString& name, const MergeFieldReader& field, const QDate& today)
{
    struct Column {
        const char* name;
        const char* column;
    };
    static const Column columns[] = {
        {"First", "FNAME"},     {"Last", "LNAME"},    {"Middle", "MIDDLE"},  {"Prefix", "PREFIX"},
        {"Title", "TITLE"},     {"Organization", "ORG"}, {"Street", "STREET"}, {"Street 2", "STREET2"},
        {"City", "CITY"},       {"State", "STATE"},   {"Province", "STATE"}, {"Zip", "ZIP"},
        {"Postal Code", "ZIP"}, {"Country", "COUNTRY"}, {"Phone", "PHONE"},  {"Phone 2", "PHONE2"},
        {"Fax", "FAX"},         {"E-Mail", "EMAIL"},  {"Comment 1", "USER1"}, {"Comment 2", "USER2"},
    };
    for (const Column& c : columns)
        if (name == QLatin1String(c.name))
            return field(c.column);
    if (name == QLatin1String("Full Name")) {
        // The name's trailing blank belongs to the address block's line, not
        // to "Dear [Full Name],".
        QString full = mergeFullName(field);
        while (full.endsWith(QLatin1Char(' ')))
            full.chop(1);
        return full;
    }
    if (name == QLatin1String("Name and Address"))
        return mergeAddressBlock(field);
    if (name == QLatin1String("City+State+Zip"))
        return trimBlanks(field("CITY") + QLatin1Char(' ') + field("STATE") + QLatin1Char(' ') + field("ZIP"));
    if (name == QLatin1String("Today's Date"))
        return QLocale().toString(today, QLocale::ShortFormat);
    if (name == QLatin1String("Long Date"))
        return QLocale().toString(today, QStringLiteral("MMM d, yyyy"));
    return {};
}

void mergeLetter(QTextDocument& document, const MergeFieldReader& field, const QDate& today)
{
    // One pass from the start of the text to its end: each field found is
    // replaced and the search goes on after its value, so a value is never
    // merged again, whatever fields it holds and wherever it came from.
    static const QRegularExpression anyField = [] {
        QStringList names;
        for (const QString& name : mergeFieldNames())
            names << QRegularExpression::escape(name);
        return QRegularExpression(QStringLiteral("\\[(") + names.join(QLatin1Char('|')) + QStringLiteral(")\\]"),
                                  QRegularExpression::CaseInsensitiveOption);
    }();
    if (!document.toPlainText().contains(QLatin1Char('[')))
        return;
    std::map<QString, QString> values;   // by the name upper-cased; a letter may hold a field twice
    int from = 0;
    for (;;) {
        QTextCursor found = document.find(anyField, from);
        if (found.isNull())
            break;
        const QString typed = found.selectedText().mid(1).chopped(1).toUpper();
        auto value = values.find(typed);
        if (value == values.end()) {
            QString name;
            for (const QString& n : mergeFieldNames())
                if (n.toUpper() == typed)
                    name = n;
            value = values.emplace(typed, mergeValue(name, field, today)).first;
        }
        QTextCursor first(&document);
        first.setPosition(found.selectionStart() + 1);
        const int at = found.selectionStart();
        found.insertText(value->second, first.charFormat());
        // The value's line breaks make paragraphs; none of them begins a page.
        richtext::clearPageBreaksAfter(document, at, found.position());
        from = found.position();
    }
}

} // namespace qb
