#include "labels/label_catalogue.h"

#include "core/address_fixture.h"
#include "core/layout_names.h"
#include "core/system_tables.h"
#include "platform/xbase/table.h"

#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;

void touch(const QString& path, const QByteArray& bytes = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        catalogue = std::make_unique<LabelCatalogue>(*labels);
    }
    QString sysdata(const QString& name) { return program.folder() + "sysdata/" + name; }
    bool saveNew(const QString& description, const QByteArray& bytes = "layout")
    {
        LabelLayoutRecord r;
        r.description = description;
        r.isNew = true;
        return catalogue->save(r, [&](const QString& path) {
            touch(path, bytes);
            return true;
        });
    }

    ProgramDir program;
    MessageLog log;
    std::unique_ptr<xbase::Table> labels;
    std::unique_ptr<LabelCatalogue> catalogue;
};

TEST_F(Catalogue, NewNamesSkipFilesAndReferencedNames)
{
    touch(sysdata("BIN00001.L"));
    touch(sysdata("bin00003.l"));
    EXPECT_EQ(newLayoutFileName(program.folder() + "sysdata", ".L", {}), "BIN00002.L");
    EXPECT_EQ(newLayoutFileName(program.folder() + "sysdata", ".L", {"bin00002.l"}), "BIN00004.L");
    EXPECT_EQ(newLayoutFileName(program.folder() + "sysdata", ".E", {}), "BIN00001.E");
    EXPECT_EQ(catalogue->newFileName(), "BIN00002.L");
}

TEST_F(Catalogue, SaveWritesTheFileThenTheRow)
{
    ASSERT_TRUE(saveNew(QString(55, 'd')));
    ASSERT_TRUE(catalogue->hasCurrent());
    const LabelLayoutRecord r = catalogue->read();
    EXPECT_EQ(r.description, QString(50, 'd'));
    EXPECT_EQ(r.fileName, "BIN00001.L");
    EXPECT_EQ(r.stock, LabelStock::newLayout());
    EXPECT_EQ(contents(sysdata("BIN00001.L")), "layout");
    EXPECT_EQ(sheetName(r.stock), "Avery 5160  Address");

    // A layout file that cannot be written leaves no row.
    LabelLayoutRecord failing;
    failing.description = "Never";
    failing.isNew = true;
    EXPECT_FALSE(catalogue->save(failing, [](const QString&) { return false; }));
    EXPECT_EQ(labels->recordCount(), 1u);
    EXPECT_TRUE(log.texts().last().startsWith("Unable to save the label layout to "));

    // A stock the row's columns cannot hold stops the save before the file is
    // touched; the row and its file stay as they were.
    labels->first();
    LabelLayoutRecord wide = catalogue->read();
    wide.stock.labelWidth = 150;
    bool written = false;
    EXPECT_FALSE(catalogue->save(wide, [&](const QString& path) {
        written = true;
        touch(path, "wide");
        return true;
    }));
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(sysdata("BIN00001.L")), "layout");
    labels->first();
    EXPECT_EQ(catalogue->read().stock, LabelStock::newLayout());
    EXPECT_TRUE(log.texts().last().startsWith("Unable to save the label layout:")) << log.texts().last().toStdString();
}

TEST_F(Catalogue, CloneCopiesUnderANewNameAndDeleteRemovesBoth)
{
    ASSERT_TRUE(saveNew("Shipping", "original"));
    ASSERT_TRUE(catalogue->clone([](const QString& from, const QString& to) { return QFile::copy(from, to); }));
    EXPECT_EQ(log.messages.back().caption, "CLONE");
    EXPECT_EQ(log.messages.back().text, "Clone \"Shipping\"?");
    EXPECT_EQ(labels->recordCount(), 2u);
    EXPECT_EQ(labels->count("DESCRIPT=\"Clone of :Shipping\" .and. BINARY=\"BIN00002.L\""), 1u);
    EXPECT_EQ(contents(sysdata("BIN00002.L")), "original");
    EXPECT_EQ(contents(sysdata("BIN00001.L")), "original");

    labels->first();   // "Clone of :Shipping" sorts first
    ASSERT_EQ(catalogue->read().fileName, "BIN00002.L");
    ASSERT_TRUE(catalogue->remove());
    EXPECT_EQ(log.messages.back().text, "Delete \"Clone of :Shipping\"?");
    EXPECT_FALSE(QFile::exists(sysdata("BIN00002.L")));
    EXPECT_TRUE(QFile::exists(sysdata("BIN00001.L")));
    EXPECT_EQ(labels->countFiltered(), 1u);

    // A row whose file went is not cloned; deleting it removes the row only.
    QFile::remove(sysdata("BIN00001.L"));
    EXPECT_FALSE(catalogue->clone([](const QString&, const QString&) { return true; }));
    EXPECT_EQ(log.texts().last(), kLabelFileRemoved);
    EXPECT_TRUE(catalogue->remove());
    EXPECT_FALSE(catalogue->hasCurrent());
}

// A row naming a file outside sysdata never has it written, copied from or
// deleted: Save and Clone refuse with a message, Delete takes the row only.
// The rule itself over names a damaged row may hold.
TEST_F(Catalogue, AFileNameLeadingOutOfSysdataIsNeverUsed)
{
    struct Case {
        const char* name;
        bool plain;
    } cases[] = {{"BIN00001.L", true}, {" BIN00002.L ", true}, {"old layout.l", true}, {"../x", false},
                 {"..\\x", false}, {"/etc/x", false}, {"..", false}, {".", false}, {"", false}, {"C:x", false},
                 {"sub/BIN00001.L", false}, {"BIN\t1.L", false}};
    for (const Case& c : cases)
        EXPECT_EQ(isPlainFileName(c.name), c.plain) << c.name;

    const QString outside = program.folder() + "x";
    touch(outside, "keep me");
    ASSERT_TRUE(saveNew("Damaged"));
    labels->first();
    labels->edit();
    labels->setText("BINARY", "../x");
    labels->post();
    labels->first();
    LabelLayoutRecord damaged = catalogue->read();
    bool written = false;
    EXPECT_FALSE(catalogue->save(damaged, [&](const QString& path) {
        written = true;
        touch(path, "overwritten");
        return true;
    }));
    EXPECT_FALSE(written);
    EXPECT_EQ(log.texts().last(), notPlainFileNameMessage("../x"));
    EXPECT_FALSE(catalogue->clone([&](const QString&, const QString&) { return written = true; }));
    EXPECT_FALSE(written);
    EXPECT_EQ(log.texts().last(), notPlainFileNameMessage("../x"));
    EXPECT_TRUE(catalogue->remove());
    EXPECT_FALSE(catalogue->hasCurrent());
    EXPECT_EQ(contents(outside), "keep me");
}

} // namespace
} // namespace qb
