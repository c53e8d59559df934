// POSTNET and FIM geometry. The POSTNET bars are checked against zint, an
// independent encoder, so a slip in the digit table or the check digit cannot
// hide behind a test that restates our own table.

#include "design/fim_mark.h"
#include "design/postal_barcode.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <memory>

namespace qb {
namespace {

using Type = PostNetBarCodeType;

// zint draws POSTNET on two rows, two modules per bar: row 1 holds every bar,
// row 0 only the full ones.
QList<bool> zintBars(const QString& digits)
{
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    symbol->symbology = BARCODE_POSTNET;
    const QByteArray data = digits.toLatin1();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                   static_cast<int>(data.size()));
    EXPECT_LT(rc, ZINT_ERROR) << symbol->errtxt;
    auto module = [&](int row, int col) { return (symbol->encoded_data[row][col / 8] >> (col % 8)) & 1; };
    QList<bool> bars;
    for (int col = 0; col < symbol->width; col += 2) {
        EXPECT_TRUE(module(1, col)) << "no bar at module " << col;
        bars << bool(module(0, col));
    }
    return bars;
}

struct BarcodeCase {
    const char* zip;
    const char* address;
    Type type;
    const char* digits; // empty: nothing is printed
    int check;
    int barCount;
};

class PostNetCases : public ::testing::TestWithParam<BarcodeCase> {};

TEST_P(PostNetCases, DigitsCheckDigitAndBarsAgreeWithZint)
{
    const BarcodeCase& c = GetParam();
    PostNetBarCode code;
    code.type = c.type;
    code.zip = QString::fromLatin1(c.zip);
    code.address = QString::fromLatin1(c.address);
    EXPECT_EQ(code.digits(), QString::fromLatin1(c.digits));
    EXPECT_EQ(code.bars().size(), c.barCount);
    if (c.barCount == 0) {
        EXPECT_TRUE(code.rects({1, 1}).isEmpty());
        return;
    }
    EXPECT_EQ(postnet::checkDigit(code.digits()), c.check);
    EXPECT_EQ(code.bars(), zintBars(code.digits()));
}

INSTANTIATE_TEST_SUITE_P(
    Zips, PostNetCases,
    ::testing::Values(BarcodeCase{"12345", "", Type::pnbc5Digit, "12345", 5, 32},
                      BarcodeCase{"12345-6789", "", Type::pnbc5Digit, "12345", 5, 32},
                      BarcodeCase{"12345-6789", "", Type::pnbc9Digit, "123456789", 5, 52},
                      BarcodeCase{"12345-6789", "123 MAIN ST", Type::pnbc11Digit, "12345678923", 0, 62},
                      BarcodeCase{"98765 4321", "PSC 2, BOX 7 APO AE", Type::pnbc11Digit, "98765432199", 7, 62},
                      // Types the zip cannot fill fall back to the longest valid form.
                      BarcodeCase{"12345", "45 MAIN", Type::pnbc11Digit, "12345", 5, 32},
                      BarcodeCase{"12345", "", Type::pnbc9Digit, "12345", 5, 32},
                      BarcodeCase{"12345-67", "45 MAIN", Type::pnbc11Digit, "12345", 5, 32},
                      BarcodeCase{"ABCDE", "1 MAIN", Type::pnbc11Digit, "", 0, 0},
                      BarcodeCase{"1234", "", Type::pnbc5Digit, "", 0, 0},
                      BarcodeCase{"1A345-6789", "", Type::pnbc9Digit, "", 0, 0},
                      BarcodeCase{"", "", Type::pnbc5Digit, "", 0, 0}));

TEST(PostNet, DeliveryPointScan)
{
    const struct {
        const char* address;
        const char* point;
    } cases[] = {
        {"123 MAIN ST", "23"},
        {"12 1/2 ELM", "12"},  // the fraction is dropped
        {"5TH AVE", "99"},     // a street name's number is no house number
        {"7 OAK", "07"},
        {"42 west 3rd st", "42"},
        {"1600 PENNSYLVANIA AVE", "00"},
        {"12A ELM", "12"},
        {"", "99"},
        {"PO BOX", "99"},
        {"APO AE 09012", "99"},
        {"UNIT 4 FPO", "99"},
        {"123 CAPO ST", "23"}, // APO only counts as a word of its own
        {"45 NAPOLI FPOX", "45"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(postnet::deliveryPoint(QString::fromLatin1(c.address)), QString::fromLatin1(c.point)) << c.address;
}

TEST(PostNet, BarGeometryInInches)
{
    const QList<QRectF> rects = postnet::barRects(postnet::bars(QStringLiteral("12345")), {1.0, 2.0});
    ASSERT_EQ(rects.size(), 32);
    // The frame bar is full height; the first bar of 1 (00011) is a half bar
    // standing on the same baseline.
    EXPECT_DOUBLE_EQ(rects[0].left(), 1.0);
    EXPECT_DOUBLE_EQ(rects[0].top(), 2.0);
    EXPECT_DOUBLE_EQ(rects[0].bottom(), 2.125);
    EXPECT_DOUBLE_EQ(rects[1].left(), 1.046);
    EXPECT_DOUBLE_EQ(rects[1].top(), 2.125 - 0.055);
    EXPECT_DOUBLE_EQ(rects[1].bottom(), 2.125);
    for (const QRectF& r : rects)
        EXPECT_NEAR(r.width(), 0.015, 1e-12);
    EXPECT_NEAR(rects.last().right() - 1.0, 1.441, 1e-9);

    EXPECT_NEAR(62 * postnet::kBarPitch, 2.852, 1e-9);
    EXPECT_TRUE(postnet::labelWideEnough(2.85));
    EXPECT_FALSE(postnet::labelWideEnough(2.849));
}

TEST(Fim, PatternsAndPaperPositions)
{
    EXPECT_EQ(fim::barSlots(FIMBarCodeType::fimTypeB), (QList<int>{1, 5, 7, 11, 13, 17}));
    EXPECT_EQ(fim::barSlots(FIMBarCodeType::fimTypeC), (QList<int>{1, 3, 7, 11, 15, 17}));

    const QList<QRectF> a = fim::barRects(FIMBarCodeType::fimTypeA, {1.0, 1.0});
    const double lefts[] = {1.0, 1.0625, 1.25, 1.4375, 1.5};
    ASSERT_EQ(a.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(a[i].left(), lefts[i]);
        EXPECT_DOUBLE_EQ(a[i].width(), 1.0 / 32);
        EXPECT_DOUBLE_EQ(a[i].top(), 1.0);
        EXPECT_DOUBLE_EQ(a[i].height(), 0.5625);
    }
}

TEST(Fim, ScreenBarsInWholePixels)
{
    EXPECT_EQ(fim::screenBoxSide(96, 1.0), 60);
    const QList<QRect> bars = fim::screenBarRects(FIMBarCodeType::fimTypeA, 96, 1.0);
    ASSERT_EQ(bars.size(), 5);
    EXPECT_EQ(bars[1], QRect(6, 0, 3, 54)); // slot 3
    EXPECT_EQ(bars.last(), QRect(48, 0, 3, 54));
    EXPECT_EQ(fim::screenBarRects(FIMBarCodeType::fimTypeA, 96, 0.5)[1], QRect(2, 0, 1, 27));
}

} // namespace
} // namespace qb
