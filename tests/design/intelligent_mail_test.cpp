// The Intelligent Mail barcode. The bars are checked against zint, an
// independent encoder, over the postal service's examples (the tracking code
// 01234567094987654321 with 0, 5, 9 and 11 routing digits) and more, so a slip
// in the tables, the frame check or the codeword arithmetic shows.

#include "design/intelligent_mail.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <memory>

namespace qb {
namespace {

using imb::BarState;

QString states(const QList<BarState>& bars)
{
    QString s;
    for (BarState b : bars)
        s += QLatin1Char("TADF"[int(b)]);
    return s;
}

// zint draws the barcode on three rows, two modules per bar: row 0 holds the
// ascenders, row 1 every bar's tracker, row 2 the descenders.
QString zintStates(const QString& tracking, const QString& routing)
{
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    symbol->symbology = BARCODE_USPS_IMAIL;
    const QByteArray data = (routing.isEmpty() ? tracking : tracking + QLatin1Char('-') + routing).toLatin1();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                   static_cast<int>(data.size()));
    EXPECT_LT(rc, ZINT_ERROR) << symbol->errtxt;
    EXPECT_EQ(symbol->rows, 3);
    auto module = [&](int row, int col) { return (symbol->encoded_data[row][col / 8] >> (col % 8)) & 1; };
    QList<BarState> bars;
    for (int col = 0; col < symbol->width; col += 2) {
        EXPECT_TRUE(module(1, col)) << "no tracker at module " << col;
        const bool up = module(0, col), down = module(2, col);
        bars << (up && down ? BarState::Full : up ? BarState::Ascender : down ? BarState::Descender : BarState::Tracker);
    }
    return states(bars);
}

struct Codes {
    const char* tracking;
    const char* routing;
};

class ImbCases : public ::testing::TestWithParam<Codes> {};

TEST_P(ImbCases, BarsAgreeWithZint)
{
    const QString tracking = QString::fromLatin1(GetParam().tracking);
    const QString routing = QString::fromLatin1(GetParam().routing);
    const QList<BarState> bars = imb::encode(tracking, routing);
    ASSERT_EQ(bars.size(), imb::kBarCount);
    EXPECT_EQ(states(bars), zintStates(tracking, routing));
}

INSTANTIATE_TEST_SUITE_P(
    Published, ImbCases,
    ::testing::Values(Codes{"01234567094987654321", ""}, Codes{"01234567094987654321", "01234"},
                      Codes{"01234567094987654321", "012345678"}, Codes{"01234567094987654321", "01234567891"},
                      // The largest values each part can take, zeros, and
                      // values whose frame check sets its top bit.
                      Codes{"00000000000000000000", ""}, Codes{"94999999999999999999", "99999999999"},
                      Codes{"00270123456200800001", "98765432101"}, Codes{"41789123456789012345", "90210"},
                      Codes{"00040123456000000001", "123456789"}, Codes{"10300999999123456789", "00000"}));

// The encoder refuses what it cannot code; the check says why.
TEST(ImbFields, RulesOfTheIdentifiersAndTheRoutingCode)
{
    struct Case {
        imb::Fields f;
        bool ok;
    } cases[] = {
        {{"00", "040", "123456", "000000001", ""}, true},
        {{"04", "040", "923456789", "000001", "12345678901"}, true},
        {{"00", "040", "899999", "000000001", ""}, true},
        // A 6-digit mailer begins with 0 to 8 and a 9-digit one with 9; the
        // other way round the bars decode to another mailer and serial.
        {{"04", "040", "123456789", "000001", ""}, false},
        {{"00", "040", "912345", "000000001", ""}, false},
        {{"05", "040", "123456", "000000001", ""}, false},      // second digit past 4
        {{"0", "040", "123456", "000000001", ""}, false},
        {{"00", "40", "123456", "000000001", ""}, false},
        {{"00", "040", "12345", "0000000001", ""}, false},      // 5-digit mailer
        {{"00", "040", "123456", "000001", ""}, false},         // 6-digit mailer needs 9-digit serial
        {{"00", "040", "123456789", "000000001", ""}, false},   // 9-digit mailer needs 6-digit serial
        {{"00", "040", "123456", "000000001", "1234"}, false},  // routing of 4 digits
        {{"00", "040", "123456", "000000001", "1234567890"}, false},
        {{"00", "04A", "123456", "000000001", ""}, false},
        {{"00", "040", "123456", "00000000-", ""}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.f.barcodeId + c.f.serviceType + c.f.mailerId + c.f.serial + "/" + c.f.routing).toStdString());
        EXPECT_EQ(imb::check(c.f).isEmpty(), c.ok) << imb::check(c.f).toStdString();
        EXPECT_EQ(imb::encode(c.f).size(), c.ok ? imb::kBarCount : 0);
    }
    EXPECT_TRUE(imb::encode(QStringLiteral("0123456709498765432"), QString()).isEmpty());
}

TEST(ImbSerial, CountsUpWithinItsDigits)
{
    EXPECT_EQ(imb::serialNumber(QStringLiteral("1"), 0, 9), QStringLiteral("000000001"));
    EXPECT_EQ(imb::serialNumber(QStringLiteral("000000041"), 2, 9), QStringLiteral("000000043"));
    EXPECT_EQ(imb::serialNumber(QStringLiteral("999999"), 1, 6), QStringLiteral("000000"));
    EXPECT_TRUE(imb::serialNumber(QStringLiteral("1234567"), 0, 6).isEmpty());
    EXPECT_TRUE(imb::serialNumber(QStringLiteral("12a"), 0, 6).isEmpty());
}

// The bars on paper: 65 of them at the pitch, the heights of the four states
// and their common middle.
TEST(ImbGeometry, BarsStandAtThePitchWithTheFourHeights)
{
    const QList<BarState> bars = imb::encode(QStringLiteral("01234567094987654321"), QStringLiteral("01234567891"));
    const QList<QRectF> rects = imb::barRects(bars, {1.0, 2.0});
    ASSERT_EQ(rects.size(), 65);
    const double mid = 2.0 + imb::kFullBarHeight / 2;
    for (int i = 0; i < rects.size(); ++i) {
        const QRectF& r = rects[i];
        EXPECT_NEAR(r.left(), 1.0 + i / 22.0, 1e-9);
        EXPECT_NEAR(r.width(), 0.020, 1e-9);
        EXPECT_LT(r.top(), mid - imb::kTrackerHeight / 2 + 1e-9);
        EXPECT_GT(r.bottom(), mid + imb::kTrackerHeight / 2 - 1e-9);
        const double expected[] = {0.048, 0.0965, 0.0965, 0.145};
        EXPECT_NEAR(r.height(), expected[int(bars[i])], 1e-9) << "bar " << i;
    }
    EXPECT_NEAR(rects.last().right() - rects.first().left(), imb::kBarcodeWidth, 1e-9);
    EXPECT_LT(imb::kBarcodeWidth, imb::kMinimumLabelWidth);
}

} // namespace
} // namespace qb
