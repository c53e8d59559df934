#pragma once
// Shared by the system table tests: a scratch program folder with an empty
// sysdata, message boxes recorded instead of shown, and small helpers to make
// and look at system tables.

#include "core/messages.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qb::test {

class SysdataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder_ = ProgramFolder::path();
        QDir().mkpath(folder() + "sysdata");
        ProgramFolder::setPath(folder());
        setMessageResponder([this](const Message& m) {
            messages << m.text;
            return true;
        });
    }
    void TearDown() override
    {
        setMessageResponder({});
        ProgramFolder::setPath(previousFolder_);
    }

    QString folder() const { return QString::fromStdString(dir.path().string()) + "/"; }
    std::string sysdata(const std::string& name) const { return dir.file("sysdata/" + name); }
    bool exists(const std::string& name) const { return QFileInfo::exists(QString::fromStdString(sysdata(name))); }

    // A table of the given kind made directly through the engine, with its tag,
    // holding one row per description; rows listed in deleted carry the deleted mark.
    void makeTable(SystemTable which, const std::vector<std::string>& keys, const std::vector<std::string>& deleted = {})
    {
        const auto& spec = systemTableSpec(which);
        auto table = xbase::Table::create(systemTablePath(which).toStdString(), systemTableFields(which));
        const char* keyField = which == SystemTable::CityStateZip ? "STATE" : "DESCRIPT";
        for (const auto& key : keys) {
            table->appendBlank();
            table->setText(keyField, key);
            table->post();
            if (std::find(deleted.begin(), deleted.end(), key) != deleted.end())
                table->deleteRecord();
        }
        table->createTag(spec.tagName, spec.tagExpression);
    }

    // The values of keyField in the order of the table's tag (deleted-marked rows are passed over).
    static std::vector<std::string> inTagOrder(xbase::Table& table, const char* tag, const char* keyField)
    {
        std::vector<std::string> out;
        EXPECT_GT(table.selectOrder(tag), 0);
        for (bool ok = table.first(); ok; ok = table.next())
            out.push_back(table.text(keyField));
        return out;
    }

    xbase::test::ScratchDir dir;
    QStringList messages;

private:
    QString previousFolder_;
};

} // namespace qb::test
