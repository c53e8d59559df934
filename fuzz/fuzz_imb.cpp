// The Intelligent Mail barcode on arbitrary input, two ways by the first byte:
// - as text, the properties a layout stores and the zip and street a record
//   holds, however damaged: the barcode is 65 bars exactly when the check
//   finds nothing wrong, and no bars otherwise;
// - as digits, a tracking code and a routing code of 0, 5, 9 or 11 digits made
//   from the bytes: the bars must be zint's, an independent encoder's.

#include "design/intelligent_mail.h"
#include "design/postal_barcode.h"

#include <zint.h>

#include <cstdio>
#include <cstdlib>

using namespace qb;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

QList<imb::BarState> zintBars(const QString& tracking, const QString& routing)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_USPS_IMAIL;
    const QByteArray data = (routing.isEmpty() ? tracking : tracking + QLatin1Char('-') + routing).toLatin1();
    QList<imb::BarState> bars;
    if (ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()))
            < ZINT_ERROR
        && symbol->rows == 3) {
        // Three rows, two modules a bar: ascenders, trackers, descenders.
        auto module = [&](int row, int col) { return (symbol->encoded_data[row][col / 8] >> (col % 8)) & 1; };
        for (int col = 0; col < symbol->width; col += 2) {
            const bool up = module(0, col), down = module(2, col);
            bars << (up && down ? imb::BarState::Full
                     : up       ? imb::BarState::Ascender
                     : down     ? imb::BarState::Descender
                                : imb::BarState::Tracker);
        }
    }
    ZBarcode_Delete(symbol);
    return bars;
}

void asDigits(const uint8_t* data, size_t size)
{
    if (size < 21)
        return;
    // Digit characters stand for themselves, so seeds can be written as text.
    auto digitOf = [&](size_t i, int base) { return char('0' + uint8_t(data[i] - '0') % base); };
    QString tracking;
    for (int i = 0; i < 20; ++i)
        tracking += QLatin1Char(digitOf(size_t(i), i == 1 ? 5 : 10));
    static const int kLengths[] = {0, 5, 9, 11};
    const int length = kLengths[data[20] % 4];
    QString routing;
    for (int i = 0; i < length; ++i)
        routing += QLatin1Char(21 + size_t(i) < size ? digitOf(21 + size_t(i), 10) : '0');
    const QList<imb::BarState> ours = imb::encode(tracking, routing);
    if (ours.size() != imb::kBarCount)
        fail("no barcode for valid codes", tracking + QLatin1Char('-') + routing);
    if (ours != zintBars(tracking, routing))
        fail("bars differ from zint's", tracking + QLatin1Char('-') + routing);
}

void asText(const uint8_t* data, size_t size)
{
    // Fields separated by line feeds: barcode identifier, service type, mailer
    // identifier, serial start, zip, street, printed pieces, routing form.
    const QStringList parts =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)).split(QLatin1Char('\n'));
    auto part = [&](int i) { return i < parts.size() ? parts[i] : QString(); };
    imb::Fields f;
    f.barcodeId = part(0);
    f.serviceType = part(1);
    f.mailerId = part(2);
    const qint64 printed = part(6).toLongLong();
    f.serial = imb::serialNumber(part(3), printed, f.mailerId.size() == 9 ? 6 : 9);
    PostNetBarCode zip;
    zip.type = PostNetBarCodeType(qBound(0, part(7).toInt(), 2));
    zip.zip = part(4);
    zip.address = part(5);
    f.routing = zip.digits();

    const bool refused = !imb::check(f).isEmpty();
    const QList<imb::BarState> bars = imb::encode(f);
    if (bars.size() != (refused ? 0 : imb::kBarCount))
        fail("the check and the bars disagree", imb::check(f));
    if (imb::trackingCode(f).isEmpty() != refused)
        fail("the check and the tracking code disagree", imb::check(f));
    // The raw texts straight to the encoder: bars or nothing, never a crash.
    const qsizetype n = imb::encode(part(0), part(4)).size();
    if (n != 0 && n != imb::kBarCount)
        fail("a barcode of the wrong length", part(0));
    if (!bars.isEmpty() && imb::barRects(bars, {0, 0}).size() != imb::kBarCount)
        fail("bars without their rectangles", part(0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        asDigits(data + 1, size - 1);
    else
        asText(data + 1, size - 1);
    return 0;
}
