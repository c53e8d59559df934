#pragma once
// The "&Sort" menu: its captions in menu order and the tag each selects.

#include <QString>
#include <vector>

namespace qb {

struct SortOrder {
    QString caption;   // as in the menu, with its "&"
    QString tag;       // address table tag
};

// "&Last Name" first, which is the order every opened database starts in.
const std::vector<SortOrder>& sortOrders();
// The tag of a menu caption, with or without its "&", any case; empty when unknown.
QString sortTagForCaption(const QString& caption);
// The caption of a tag, any case; empty when no menu item selects it.
QString sortCaptionForTag(const QString& tag);
// The caption without its "&", as the search dialog lists it.
QString plainCaption(const QString& caption);
// "Sorted by " + the caption without its "&".
QString sortStatusText(const QString& caption);

} // namespace qb
