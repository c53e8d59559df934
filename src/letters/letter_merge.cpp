#include "letters/letter_merge.h"

#include "core/blanks.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"

#include <QLocale>
#include <QTextCursor>
#include <QTextDocument>

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
    if (name == QLatin1String("Full Name"))
        return mergeFullName(field);
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
    // A letter holds a few of the 25 fields; the text is searched through
    // once for each field only when it holds that field at all.
    QString plain = document.toPlainText();
    for (const QString& name : mergeOrder()) {
        const QString pattern = QLatin1Char('[') + name + QLatin1Char(']');
        if (!plain.contains(pattern, Qt::CaseInsensitive))
            continue;
        const QString value = mergeValue(name, field, today);
        int from = 0;
        for (;;) {
            QTextCursor found = document.find(pattern, from);   // letter case is ignored
            if (found.isNull())
                break;
            QTextCursor first(&document);
            first.setPosition(found.selectionStart() + 1);
            const int at = found.selectionStart();
            found.insertText(value, first.charFormat());
            // The value's line breaks make paragraphs; none of them begins a page.
            richtext::clearPageBreaksAfter(document, at, found.position());
            // On after the value: a value holding its own field stays as it is.
            from = found.position();
        }
        plain = document.toPlainText();
    }
}

} // namespace qb
