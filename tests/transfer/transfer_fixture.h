#pragma once
// Shared by the import and export tests: an address database in a program
// folder of its own, its records as rows, the witnesses and a disk that fills.

#include "core/address_fixture.h"
#include "core/address_table.h"
#include "transfer/field_match.h"

#include <QDir>
#include <cstdio>
#include <sys/mount.h>

#include <gtest/gtest.h>

namespace qb::test {

inline const std::string kWitnesses = QB_SOURCE_DIR "/tests/witness";

// Runs a shell command and gives what it printed; a failing command fails the test.
inline std::string shell(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << command;
    return out;
}

// Every record that is not deleted, in record order, as field -> value
// (empty values left out; MEMO by its text, ISDEL as T when set).
// The match row of the address field stored as NAME.
inline int rowNamed(const FieldMatch& m, const std::string& name)
{
    for (int r = 0; r < int(m.rows().size()); ++r)
        if (m.rows()[size_t(r)].name == name)
            return r;
    ADD_FAILURE() << "no row " << name;
    return -1;
}

inline std::vector<Row> rowsOf(xbase::Table& t)
{
    std::vector<Row> rows;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.go(r);
        if (t.deleted())
            continue;
        Row row;
        for (int i = 0; i < t.fieldCount(); ++i) {
            const xbase::Field& f = t.field(i);
            std::string v = f.type == 'L' ? (t.logical(f.name) ? "T" : "") : t.text(f.name);
            if (!v.empty())
                row[f.name] = v;
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<Row> rowsOf(const QString& path)
{
    auto t = xbase::Table::open(path.toStdString(), xbase::OpenMode::ReadOnly);
    return rowsOf(*t);
}

// A program folder with an empty address database, DATA/add0001.DBF, open.
class AddressDatabase {
public:
    AddressDatabase() : AddressDatabase(QString()) {}
    explicit AddressDatabase(const QString& folder)
    {
        path = (folder.isEmpty() ? program.data("add0001.DBF") : folder + "/add0001.DBF");
        EXPECT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        EXPECT_TRUE(table.open(path));
    }
    xbase::Table& t() { return table.table(); }
    std::string file(const char* ext) const { return QString(path).replace(".DBF", ext).toStdString(); }

    ProgramDir program;
    QString path;
    AddressTable table;
};

// A folder whose file system holds only so many bytes: a tmpfs mounted for
// the test, so writes fail with "No space left on device" as on a full disk.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t bytes) : folder_(folder)
    {
        QDir().mkpath(QString::fromStdString(folder));
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        EXPECT_TRUE(mounted_) << "cannot mount a tmpfs on " << folder << ": " << std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

} // namespace qb::test
