#include "mainwindow/sort_orders.h"

namespace qb {

const std::vector<SortOrder>& sortOrders()
{
    static const std::vector<SortOrder> orders{
        // Each caption has a letter of its own in the menu.
        {"&Last Name", "LNAME"},  {"&First Name", "FNAME"}, {"&Title", "TITLE"}, {"O&rganization", "ORG"},
        {"&Street", "STREET"},    {"&City", "CITY"},        {"St&ate", "STATE"}, {"&Zip", "ZIP"},
        {"Cou&ntry", "COUNTRY"},  {"&Phone", "PHONE"},      {"&E-mail", "EMAIL"}, {"Fa&x", "FAX"},
        {"&Date", "DATE"},        {"C&odes", "CODES"},
    };
    return orders;
}

QString plainCaption(const QString& caption)
{
    QString out = caption;
    return out.remove(QLatin1Char('&'));
}

QString sortTagForCaption(const QString& caption)
{
    const QString wanted = plainCaption(caption);
    for (const SortOrder& o : sortOrders())
        if (plainCaption(o.caption).compare(wanted, Qt::CaseInsensitive) == 0)
            return o.tag;
    return {};
}

QString sortCaptionForTag(const QString& tag)
{
    for (const SortOrder& o : sortOrders())
        if (o.tag.compare(tag, Qt::CaseInsensitive) == 0)
            return o.caption;
    return {};
}

QString sortStatusText(const QString& caption)
{
    return QStringLiteral("Sorted by ") + plainCaption(caption);
}

} // namespace qb
