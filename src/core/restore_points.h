#pragma once
// Restore points of an address database: before a bulk change, the table's
// files (DBF, FPT, CDX) are copied into a hidden folder beside it,
// ".NAME.restore/", one folder per point with what ran, when and how many
// records it touched. The copies are reflinks where the file system shares
// blocks (FICLONE), plain copies otherwise. The newest points are kept (5 by
// default); putting one back goes through the engine's file swap, so a crash
// leaves the table either as it was or as the point had it.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

struct RestorePoint {
    QString folder;
    QString what;   // "Standardize Addresses"
    QDateTime when;
    uint64_t records = 0;
    QStringList files;   // the table's file names that were copied
};

class RestorePoints {
public:
    explicit RestorePoints(QString tablePath, int keep = 5);

    // The files as they are now; the oldest points beyond the kept number go.
    // The table must have nothing unwritten. nullopt with the message on failure.
    std::optional<RestorePoint> take(const QString& what, QString* error);
    // How many records the change touched; a point of a change that changed
    // nothing is discarded instead.
    void finish(RestorePoint& point, uint64_t records);
    void discard(const RestorePoint& point);
    // Newest first.
    std::vector<RestorePoint> list() const;
    // Puts the point's files back in place of the table's (which must be
    // closed) and removes the point. False with the message on failure.
    bool restore(const RestorePoint& point, QString* error);

    QString folder() const;

private:
    QString table_;
    int keep_;
};

} // namespace qb
