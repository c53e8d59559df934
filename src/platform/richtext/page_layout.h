#pragma once
// The page a rich text is laid out on: paper size and the four margins, in
// twips (1440 to the inch), as RTF and the letter dialogs give them.

namespace qb::richtext {

inline constexpr int kTwipsPerInch = 1440;

struct PageLayout {
    int width = 12240;    // 8.5 inches
    int height = 15840;   // 11 inches
    int left = 1440, top = 1440, right = 1440, bottom = 1440;

    int contentWidth() const { return width - left - right; }
    int contentHeight() const { return height - top - bottom; }
    bool operator==(const PageLayout&) const = default;
};

// The smallest and largest paper side we lay out (a quarter inch, 22 inches),
// and the least room the margins must leave for text (a quarter inch).
inline constexpr int kMinPageSide = 360;
inline constexpr int kMaxPageSide = 31680;
inline constexpr int kMinContentSide = 360;

// layout with every value brought into range: sides clamped, negative margins
// made 0, and margins that leave too little room shrunk alike so the text
// keeps at least kMinContentSide in each direction.
PageLayout saneLayout(PageLayout layout);

} // namespace qb::richtext
