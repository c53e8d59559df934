#include "core/first_start.h"

#include "core/field_lengths.h"
#include "core/mru.h"
#include "core/paths.h"
#include "core/preferences.h"
#include "core/settings.h"

#include <QFileInfo>

namespace qb {

FirstStart openFirstDatabase(AddressTable& table, Settings& settings, const std::function<void()>& rebuild, const QDateTime& now,
                             const QString& requested)
{
    FirstStart result;
    result.tagId = readGlobalTagId(settings, now);
    table.setTagId(result.tagId);

    QString path;
    const QStringList mru = readMru(settings);
    if (!requested.isEmpty()) {
        path = requested;
    } else if (!mru.isEmpty()) {
        path = mru.first();
    } else {
        path = ProgramFolder::file(QStringLiteral("DATA/add0001.DBF"));
        if (!QFileInfo::exists(path) && !createAddressTable(path, FieldLengths::read(settings)))
            return result;
    }
    // A database that opened but was closed again for want of tags still
    // becomes the most recent one; one that did not open leaves the list alone.
    result.triedPath = path;
    const DatabaseOpening opening = openAddressDatabase(table, path, rebuild);
    if (opening.fileOpened) {
        recordMruOpen(settings, path);
        result.currentDatabase = path;
    }
    return result;
}

} // namespace qb
