#include "platform/richtext/page_layout.h"

#include <algorithm>

namespace qb::richtext {

namespace {

// Shrinks two margins alike until they leave room for the content.
void fit(int side, int& a, int& b)
{
    a = std::clamp(a, 0, kMaxPageSide);
    b = std::clamp(b, 0, kMaxPageSide);
    const int room = side - kMinContentSide;
    if (a + b <= room)
        return;
    const long long total = (long long)a + b;
    a = int((long long)a * room / total);
    b = room - a;
}

} // namespace

PageLayout saneLayout(PageLayout p)
{
    p.width = std::clamp(p.width, kMinPageSide, kMaxPageSide);
    p.height = std::clamp(p.height, kMinPageSide, kMaxPageSide);
    fit(p.width, p.left, p.right);
    fit(p.height, p.top, p.bottom);
    return p;
}

} // namespace qb::richtext
