// The units of the page and paragraph dialogs.

#include "letters/letter_units.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(LetterUnits, LengthsAndPoints)
{
    QLocale::setDefault(QLocale::c());
    struct Shown {
        int twips;
        LengthUnit unit;
        const char* text;
    } shown[] = {
        {1440, LengthUnit::Inch, "1.00"}, {12240, LengthUnit::Inch, "8.50"}, {1000, LengthUnit::Inch, "0.69"},
        {1440, LengthUnit::Cm, "2.54"},   {567, LengthUnit::Cm, "1.00"},     {1440, LengthUnit::Twips, "1440"},
        {-360, LengthUnit::Inch, "-0.25"},
    };
    for (const Shown& s : shown)
        EXPECT_EQ(lengthText(s.twips, s.unit), s.text) << s.twips;

    struct Read {
        const char* text;
        LengthUnit unit;
        std::optional<int> twips;
    } read[] = {
        {"1", LengthUnit::Inch, 1440},     {"0.5", LengthUnit::Inch, 720},    {"2.54", LengthUnit::Cm, 1440},
        {"21", LengthUnit::Cm, 11906},     {"100.4", LengthUnit::Twips, 100}, {"", LengthUnit::Inch, 0},
        {" 1 ", LengthUnit::Inch, 1440},   {"abc", LengthUnit::Inch, std::nullopt}, {"1in", LengthUnit::Inch, std::nullopt},
        {"1e99", LengthUnit::Inch, 100000000}, {"100.5", LengthUnit::Twips, 100}, {"101.5", LengthUnit::Twips, 102},
    };
    for (const Read& r : read)
        EXPECT_EQ(lengthTwips(r.text, r.unit), r.twips) << r.text;

    EXPECT_EQ(pointsText(240), "12");
    EXPECT_EQ(pointsText(250), "12");   // halves round to the even number
    EXPECT_EQ(pointsText(270), "14");
    EXPECT_EQ(pointsTwips("12"), 240);
    EXPECT_EQ(pointsTwips("x"), std::nullopt);
    for (const char* unfinished : {"-", ".", "-."})
        EXPECT_TRUE(unfinishedNumber(unfinished)) << unfinished;
    EXPECT_FALSE(unfinishedNumber("x"));
    EXPECT_EQ(notANumber("x"), "'x' is not a valid floating point value");
}

} // namespace
} // namespace qb
