#include "core/tag_id.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

TEST(TagId, Base36SixPositionsLeadingZerosLeftOut)
{
    const qint64 sixDigits = qint64(36) * 36 * 36 * 36 * 36 * 36;
    const struct { qint64 value; const char* text; } cases[] = {
        {0, ""}, {35, "Z"}, {36, "10"}, {36 * 36 - 1, "ZZ"},
        {sixDigits - 1, "ZZZZZZ"},
        {sixDigits, "ZZZZZZ"},   // beyond six positions: the largest, never a seventh digit
        {-5, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(base36(c.value), c.text) << c.value;
}

TEST(TagId, YearThenTimeInBase36)
{
    const struct { QDateTime when; const char* id; } cases[] = {
        {at(1995, 1, 1, 0, 0, 0), "1O4S3K"},        // year part empty: 0101000000
        {at(1999, 12, 31, 23, 59, 59), "4KD1NQV"},  // largest time part still six digits
        {at(2024, 7, 4, 9, 30, 5), "TBN75N1"},
        {at(2030, 12, 31, 23, 59, 59), "ZKD1NQV"},  // last seven-character identifier
        {at(2031, 6, 4, 0, 0, 0), "109ZLTDS"},      // two-digit year part: eight, TAG's width
        {at(1990, 1, 1, 0, 0, 0), "1O4S3K"},        // a clock set before 1995 counts as 1995
        {at(9999, 12, 31, 23, 59, 59), "ZZKD1NQV"}, // year part capped at two digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(tagIdFor(c.when), c.id) << c.when.toString(Qt::ISODate).toStdString();
}

TEST(TagId, InvalidReadingHasNoIdentifierAndNowHasOne)
{
    EXPECT_EQ(tagIdFor(QDateTime()), "");
    const QString now = newTagId();
    EXPECT_GE(now.size(), 7);
    EXPECT_LE(now.size(), 8);
    EXPECT_TRUE(QRegularExpression("^[0-9A-Z]+$").match(now).hasMatch());
}

} // namespace
} // namespace qb::test
