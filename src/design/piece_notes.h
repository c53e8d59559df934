#pragma once
// What the pieces of a label or envelope run lacked, noted piece by piece
// once the panel's objects hold the record's values: an Intelligent Mail
// barcode the encoder refused (the piece goes without it), one without its
// routing code (the zip gives none), and an address block whose box could not
// hold all the lines the record needs. The run tells the user at its end, in
// its status window or on qbtool's standard error.

#include <QList>
#include <QString>
#include <QStringList>

namespace qb::design {

class TKBasePanel;

struct PieceNote {
    quint32 record = 0;
    QString name;   // the last name, to find the record by
    bool operator==(const PieceNote&) const = default;
};

class PieceNotes {
public:
    // Looks at the panel's objects as refreshed for the record.
    void check(const TKBasePanel& panel, quint32 record, const QString& name);

    QList<PieceNote> withoutBarcode;
    QList<PieceNote> withoutRouting;
    QList<PieceNote> blockCut;
    bool isEmpty() const { return withoutBarcode.isEmpty() && withoutRouting.isEmpty() && blockCut.isEmpty(); }

    // One line a kind of problem: "2 envelopes without an Intelligent Mail
    // barcode: 4 Brown, 9 Smith"; names beyond maxNames (all when -1) are
    // counted as "and N more".
    QStringList report(const QString& piece, const QString& pieces, int maxNames = -1) const;
};

} // namespace qb::design
