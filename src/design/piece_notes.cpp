#include "design/piece_notes.h"

#include "design/tkbasepanel.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"

namespace qb::design {

void PieceNotes::check(const TKBasePanel& panel, quint32 record, const QString& name)
{
    bool noBarcode = false, noRouting = false, cut = false;
    for (TKGraphicControl* o : panel.designObjects()) {
        if (const auto* b = qobject_cast<const TKIntelligentMailBarCode*>(o)) {
            if (!b->problem().isEmpty())
                noBarcode = true;
            else if (b->fields().routing.isEmpty())
                noRouting = true;
        } else if (const auto* a = qobject_cast<const TKDMultiLineAddressLabel*>(o)) {
            cut = cut || a->blockCut();
        }
    }
    const PieceNote note{record, name.trimmed()};
    if (noBarcode)
        withoutBarcode << note;
    if (noRouting)
        withoutRouting << note;
    if (cut)
        blockCut << note;
}

QStringList PieceNotes::report(const QString& piece, const QString& pieces, int maxNames) const
{
    QStringList out;
    const auto line = [&](const QList<PieceNote>& notes, const QString& what) {
        if (notes.isEmpty())
            return;
        QStringList names;
        for (const PieceNote& n : notes) {
            if (maxNames >= 0 && names.size() >= maxNames) {
                names << QStringLiteral("and %1 more").arg(notes.size() - maxNames);
                break;
            }
            names << QString::number(n.record) + QLatin1Char(' ') + n.name;
        }
        out << QStringLiteral("%1 %2 %3: %4")
                   .arg(notes.size())
                   .arg(notes.size() == 1 ? piece : pieces, what, names.join(QStringLiteral(", ")));
    };
    line(withoutBarcode, QStringLiteral("without an Intelligent Mail barcode"));
    line(withoutRouting, QStringLiteral("with an Intelligent Mail barcode without routing code"));
    line(blockCut, QStringLiteral("whose address block could not hold every line"));
    return out;
}

} // namespace qb::design
