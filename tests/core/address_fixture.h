#pragma once
// Shared by the address database tests: a scratch program folder with DATA,
// message boxes caught instead of shown, and small address tables.

#include "core/address_table.h"
#include "message_log.h"
#include "core/paths.h"
#include "test_support.h"

#include <QDir>
#include <QStringList>
#include <map>
#include <string>

namespace qb::test {

// A program folder of its own with an empty DATA folder.
class ProgramDir {
public:
    ProgramDir()
    {
        QDir().mkpath(folder() + "DATA");
        ProgramFolder::setPath(folder());
    }
    QString folder() const { return QString::fromStdString(dir.path().string()) + "/"; }
    QString data(const QString& name) const { return folder() + "DATA/" + name; }

    xbase::test::ScratchDir dir;
};

using Row = std::map<std::string, std::string>;

// Appends one record; "ISDEL" set to "T" marks it deleted the way the main window does.
// "MEMO" goes to the memo file.
inline void addRow(xbase::Table& t, const Row& row)
{
    t.appendBlank();
    for (const auto& [field, value] : row) {
        if (field == "ISDEL")
            t.setLogical(field, value == "T");
        else if (field == "MEMO")
            t.setMemo(field, value);
        else
            t.setText(field, value);
    }
    t.post();
    if (row.count("ISDEL") && row.at("ISDEL") == "T")
        t.deleteRecord();
}

} // namespace qb::test
