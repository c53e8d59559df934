// ENVELOPE.DBF and its layout files: a row that cannot be posted takes the
// layout file it was saved with away again, so file and row never disagree.

#include "envelopes/envelope_catalogue.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "disk_full.h"
#include "message_log.h"
#include "platform/xbase/table.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The disk fills up between the layout file and the row: the file of a new
// layout goes again, and an existing layout's file gets its old bytes back.
TEST(EnvelopeCatalogueSave, ARowThatCannotBePostedTakesItsFileAway)
{
    test::ProgramDir program;
    test::MessageLog log;
    QDir().mkpath(program.folder() + "sysdata");
    std::unique_ptr<xbase::Table> rows = openSystemTable(SystemTable::Envelope, xbase::OpenMode::Exclusive);
    ASSERT_TRUE(rows);
    EnvelopeCatalogue catalogue(*rows);
    // Enough rows that the table lies past the limit below, the layout files well inside it.
    for (int i = 0; i < 40; ++i) {
        EnvelopeLayoutRecord r;
        r.description = QString("Layout %1").arg(i, 2, 10, QLatin1Char('0'));
        r.isNew = true;
        ASSERT_TRUE(catalogue.save(r, [](const QString& path) { return write(path, "old"); }));
    }
    const QString sysdata = program.folder() + "sysdata/";
    ASSERT_EQ(contents(sysdata + "BIN00001.E"), "old");
    rows->last();   // its record lies past the limit
    EnvelopeLayoutRecord existing = catalogue.read();
    const uint32_t count = rows->recordCount();
    {
        test::DiskFull full(2048);
        EnvelopeLayoutRecord added;
        added.description = "Never";
        added.isNew = true;
        EXPECT_FALSE(catalogue.save(added, [](const QString& path) { return write(path, "new"); }));
        existing.description = "Changed";
        EXPECT_FALSE(catalogue.save(existing, [](const QString& path) { return write(path, "new"); }));
    }
    EXPECT_EQ(rows->recordCount(), count);
    EXPECT_FALSE(QFile::exists(sysdata + "BIN00041.E"));
    EXPECT_EQ(contents(sysdata + existing.fileName), "old");
    ASSERT_GE(log.texts().size(), 2);
}

} // namespace
} // namespace qb
