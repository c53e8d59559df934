#include "mainwindow/record_text.h"

#include "core/address_table.h"

#include <QStringList>

namespace qb {
namespace {

// L(x): x without its leading blanks.
QString withoutLeadingBlanks(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString labelled(const QString& label, const QString& value)
{
    return value.isEmpty() ? QString() : label + value;
}

} // namespace

RecordFields RecordFields::of(const AddressTable& table)
{
    RecordFields f;
    if (!table.isOpen() || table.table().eof())
        return f;
    const xbase::Table& t = table.table();
    auto text = [&t](const char* name) { return QString::fromStdString(t.text(name)); };
    f.prefix = text("PREFIX");
    f.fname = text("FNAME");
    f.middle = text("MIDDLE");
    f.lname = text("LNAME");
    f.title = text("TITLE");
    f.org = text("ORG");
    f.street = text("STREET");
    f.street2 = text("STREET2");
    f.city = text("CITY");
    f.state = text("STATE");
    f.zip = text("ZIP");
    f.country = text("COUNTRY");
    f.phone = text("PHONE");
    f.phone2 = text("PHONE2");
    f.codes = text("CODES");
    f.user1 = text("USER1");
    f.user2 = text("USER2");
    return f;
}

QString recordText(const RecordFields& f, const RecordTextParts& parts)
{
    const QString blank = QStringLiteral(" ");
    QStringList lines;
    if (parts.name) {
        const QString middle = f.middle.trimmed().isEmpty() ? QString() : f.middle + QStringLiteral(".");
        lines << withoutLeadingBlanks(f.prefix + blank) + withoutLeadingBlanks(f.fname + blank)
                     + withoutLeadingBlanks(middle + blank) + withoutLeadingBlanks(f.lname + blank);
        lines << f.title << f.org;
    }
    if (parts.address) {
        lines << f.street << f.street2;
        lines << withoutLeadingBlanks(f.city + blank) + blank + withoutLeadingBlanks(f.state + blank)
                     + withoutLeadingBlanks(f.zip);
        lines << withoutLeadingBlanks(f.country + blank);
    }
    if (parts.phones)
        lines << labelled(QStringLiteral("Phone  :"), f.phone) << labelled(QStringLiteral("Phone 2:"), f.phone2);
    if (parts.codes)
        lines << labelled(QStringLiteral("Codes :"), f.codes);
    if (parts.comments)
        lines << labelled(QStringLiteral("Comment 1 :"), f.user1) << labelled(QStringLiteral("Comment 2 :"), f.user2);

    QString text;
    for (const QString& line : std::as_const(lines)) {
        if (!line.isEmpty())
            text += line + QStringLiteral("\r\n");
    }
    if (text.size() > kRecordTextLimit) {
        text.truncate(kRecordTextLimit);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    }
    return text;
}

} // namespace qb
