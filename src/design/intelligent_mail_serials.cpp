#include "design/intelligent_mail_serials.h"

#include "core/settings.h"
#include "design/intelligent_mail.h"
#include "design/tkbasepanel.h"
#include "design/tkpostnetbarcode.h"

#include <QMap>

namespace qb::design {

namespace {

QList<TKIntelligentMailBarCode*> countingBarcodes(const TKBasePanel& panel)
{
    QList<TKIntelligentMailBarCode*> out;
    for (TKGraphicControl* o : panel.designObjects())
        if (auto* b = qobject_cast<TKIntelligentMailBarCode*>(o); b && b->countsSerial())
            if (const QString mailer = b->fields().mailerId; !mailer.isEmpty())
                out << b;
    return out;
}

qint64 power10(int digits)
{
    qint64 m = 1;
    for (int i = 0; i < digits; ++i)
        m *= 10;
    return m;
}

} // namespace

IntelligentMailSerials::IntelligentMailSerials(TKBasePanel& panel) : panel_(panel)
{
    const Settings settings = Settings::program();
    for (TKIntelligentMailBarCode* b : countingBarcodes(panel_)) {
        const QString kept = settings.string(kIntelligentMailSection, b->fields().mailerId).trimmed();
        // A kept value that is not a serial of the right length is ignored.
        if (!imb::serialNumber(kept, 0, b->serialDigits()).isEmpty())
            b->setRunSerialStart(kept);
    }
}

QStringList IntelligentMailSerials::keep()
{
    QMap<QString, QString> next;
    QStringList warnings;
    for (TKIntelligentMailBarCode* b : countingBarcodes(panel_)) {
        const QString start = b->serialStart();
        const int digits = b->serialDigits();
        const qint64 count = b->piecesCounted();
        if (count <= 0 || imb::serialNumber(start, 0, digits).isEmpty())
            continue;
        const QString mailer = b->fields().mailerId;
        const QString after = imb::serialNumber(start, count, digits);
        if (start.toLongLong() + count >= power10(digits))
            warnings << QStringLiteral("The Intelligent Mail serial numbers of mailer %1 went past %2 and began "
                                       "again at %3: a serial may now repeat within 45 days.")
                            .arg(mailer, QString(digits, QLatin1Char('9')), QString(digits, QLatin1Char('0')));
        // Two barcodes of one mailer: the further one counts.
        if (!next.contains(mailer) || after.toLongLong() > next[mailer].toLongLong())
            next[mailer] = after;
    }
    Settings settings = Settings::program();
    for (auto it = next.cbegin(); it != next.cend(); ++it)
        if (!settings.setString(kIntelligentMailSection, it.key(), it.value()))
            warnings << QStringLiteral("The next Intelligent Mail serial number of mailer %1 could not be kept in %2.")
                            .arg(it.key(), settings.path());
    return warnings;
}

} // namespace qb::design
