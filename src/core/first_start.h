#pragma once
// The database a run starts with: the most recent one, or else DATA/add0001.DBF,
// created with the configured field widths when it is missing. The tag
// identifier is settled first, so "GlobalTagId" exists after the first start.

#include "core/address_table.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace qb {

class Settings;

struct FirstStart {
    QString tagId;
    QString currentDatabase;   // empty when nothing could be opened
    QString triedPath;         // the database it tried to open; empty when none could be made
};

// rebuild runs the "Rebuild Indexes" dialog when an opened database lacks tags.
// requested, when not empty, is opened instead of the usual choice (a database
// named on the command line); it is never created.
FirstStart openFirstDatabase(AddressTable& table, Settings& settings, const std::function<void()>& rebuild,
                             const QDateTime& now = QDateTime::currentDateTime(), const QString& requested = {});

} // namespace qb
