// The value encoding: every tag written and read back, the integer width rule,
// short and long strings, 80-bit reals converted bit by bit, and the bounds on
// damaged input.

#include "design/layout_stream.h"

#include <QByteArray>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace qb::design;

namespace {

QByteArray written(const LayoutValue& v)
{
    LayoutWriter w;
    w.writeValue(v);
    return w.bytes();
}

LayoutValue readBack(const QByteArray& bytes)
{
    LayoutReader r(bytes);
    LayoutValue v = r.readValue();
    EXPECT_TRUE(r.atEnd());
    return v;
}

QString readError(const QByteArray& bytes)
{
    try {
        LayoutReader r(bytes);
        r.readValue();
    } catch (const LayoutError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

} // namespace

TEST(LayoutValues, IntegersTakeTheNarrowestTag)
{
    const struct {
        int32_t value;
        const char* hex;
    } cases[] = {
        {0, "0200"},           {127, "027f"},         {-128, "0280"},          {128, "038000"},
        {-129, "037fff"},      {32767, "03ff7f"},     {-32768, "030080"},      {32768, "0400800000"},
        {-32769, "04ff7fffff"}, {INT32_MIN, "0400000080"}, {INT32_MAX, "04ffffff7f"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(written(LayoutValue::ofInteger(c.value)).toHex(), QByteArray(c.hex)) << c.value;
        EXPECT_EQ(readBack(QByteArray::fromHex(c.hex)).integer, c.value);
    }
}

TEST(LayoutValues, EveryTagRoundTrips)
{
    CollectionItem item;
    item.index = 3;
    item.properties.emplace_back(QStringLiteral("Width"), LayoutValue::ofInteger(40));
    LayoutValue collection;
    collection.tag = ValueTag::Collection;
    collection.items.push_back(item);
    collection.items.push_back(CollectionItem{});

    const std::vector<LayoutValue> values = {
        LayoutValue::ofList({LayoutValue::ofInteger(1), LayoutValue::ofString(QStringLiteral("a"))}),
        LayoutValue::ofInteger(5), LayoutValue::ofInteger(1000), LayoutValue::ofInteger(100000),
        LayoutValue::ofReal(2.5), LayoutValue::ofString(QStringLiteral("Caf\u00e9 \u20ac")),
        LayoutValue::ofIdent(QStringLiteral("clRed")), LayoutValue::ofBool(false), LayoutValue::ofBool(true),
        LayoutValue::ofBinary(QByteArray("\x00\x01\x02", 3)),
        LayoutValue::ofSet({QStringLiteral("fsBold"), QStringLiteral("fsItalic")}),
        LayoutValue::ofString(QString(300, QLatin1Char('x'))), LayoutValue::ofIdent(QStringLiteral("NIL")),
        collection,
    };
    const ValueTag tags[] = {ValueTag::List, ValueTag::Int8, ValueTag::Int16, ValueTag::Int32, ValueTag::Extended,
                             ValueTag::String, ValueTag::Ident, ValueTag::False, ValueTag::True, ValueTag::Binary,
                             ValueTag::Set, ValueTag::LString, ValueTag::Nil, ValueTag::Collection};
    for (size_t i = 0; i < values.size(); ++i) {
        const QByteArray bytes = written(values[i]);
        ASSERT_EQ(uint8_t(bytes[0]), uint8_t(tags[i])) << i;
        const LayoutValue back = readBack(bytes);
        EXPECT_EQ(back.tag, tags[i]);
        EXPECT_EQ(written(back), bytes) << i;
    }
    // The Windows-1252 bytes of the text, and the 4-byte length of a long string.
    EXPECT_EQ(written(LayoutValue::ofString(QStringLiteral("Caf\u00e9 \u20ac"))).toHex(), QByteArray("0606436166e92080"));
    EXPECT_EQ(written(LayoutValue::ofString(QString(300, QLatin1Char('x')))).left(5).toHex(), QByteArray("0c2c010000"));
    EXPECT_EQ(readBack(written(collection)).items[0].index, 3);
}

TEST(LayoutValues, ShortStringsAreCutTo255)
{
    LayoutWriter w;
    w.writeIdent(QString(300, QLatin1Char('n')));
    EXPECT_EQ(w.bytes().size(), 2 + 255);
    EXPECT_EQ(uint8_t(w.bytes()[1]), 255);
}

TEST(LayoutValues, ExtendedRealsConvertBitByBit)
{
    const struct {
        double value;
        const char* hex;   // mantissa (8 bytes, little-endian), then sign and exponent
    } cases[] = {
        {1.0, "0000000000000080ff3f"},
        {-2.0, "000000000000008000c0"},
        {0.5, "0000000000000080fe3f"},
        {0.1, "00d0cccccccccccc fb3f"},
        {0.0, "00000000000000000000"},
        {std::numeric_limits<double>::infinity(), "0000000000000080ff7f"},
        {std::numeric_limits<double>::denorm_min(), "0000000000000080cd3b"},
    };
    for (const auto& c : cases) {
        QByteArray expected = QByteArray::fromHex(QByteArray(c.hex).replace(' ', ""));
        uint8_t raw[10];
        doubleToExtended(c.value, raw);
        EXPECT_EQ(QByteArray(reinterpret_cast<char*>(raw), 10).toHex(), expected.toHex()) << c.value;
        EXPECT_EQ(extendedToDouble(reinterpret_cast<const uint8_t*>(expected.constData())), c.value);
    }
    // Beyond a double's range: infinity and zero; more precision than 53 bits rounds to nearest.
    const QByteArray huge = QByteArray::fromHex("0000000000000080fe7f");
    EXPECT_TRUE(std::isinf(extendedToDouble(reinterpret_cast<const uint8_t*>(huge.constData()))));
    const QByteArray tiny = QByteArray::fromHex("00000000000000800100");
    EXPECT_EQ(extendedToDouble(reinterpret_cast<const uint8_t*>(tiny.constData())), 0.0);
    const QByteArray nan = QByteArray::fromHex("00000000000000c0ff7f");
    EXPECT_TRUE(std::isnan(extendedToDouble(reinterpret_cast<const uint8_t*>(nan.constData()))));
    const QByteArray oneAndABit = QByteArray::fromHex("0104000000000080ff3f");   // 1 + 2^-53 + 2^-63
    EXPECT_EQ(extendedToDouble(reinterpret_cast<const uint8_t*>(oneAndABit.constData())), 1.0 + std::ldexp(1.0, -52));
}

TEST(LayoutValues, DamagedValuesGiveTheSystemMessages)
{
    const struct {
        const char* hex;
        const char* message;
    } cases[] = {
        {"", "Stream read error"},
        {"03ff", "Stream read error"},                 // half an int16
        {"0605414243", "Stream read error"},           // 5 characters announced, 3 there
        {"0cffffff7f41", "Stream read error"},         // long string beyond the end
        {"0affffffff", "Stream read error"},           // binary beyond the end
        {"0b0141", "Stream read error"},               // set without its end
        {"01020102", "Stream read error"},             // list without its end
        {"0f", "Invalid property value"},              // no such tag
        {"00", "Invalid property value"},              // an end where a value belongs
        {"0e0600", "Invalid property value"},          // collection item that is not a list
    };
    for (const auto& c : cases)
        EXPECT_EQ(readError(QByteArray::fromHex(c.hex)), QString::fromLatin1(c.message)) << c.hex;
    // Deep nesting stops instead of exhausting the stack.
    EXPECT_EQ(readError(QByteArray(100000, '\x01')), QStringLiteral("Invalid property value"));
}
