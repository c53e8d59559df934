// The envelope designer closed with unsaved work: Esc and the close box ask
// before anything is thrown away; an unchanged design closes at once.

#include "envelopes/tenvelopedesignscreen.h"
#include "envelopes/tqbenvelopes.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/designer_windows.h"
#include "design/tkgraphiccontrol.h"
#include "envelopes/tenvelopepanel.h"
#include "platform/xbase/table.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class EnvelopeDesignerClose : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        test::addRow(addresses.table(), {{"LNAME", "Adams"}, {"FNAME", "Ann"}, {"ZIP", "62701"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        envelopes = openSystemTable(SystemTable::Envelope, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(envelopes);
        screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
        screen->show();
        // A stored #10 layout holding one text.
        screen->chooseSize = [](int) -> std::optional<int> { return 20; };
        screen->runDesigner = [](EnvelopeLayoutRecord&, TEnvelopePanel* panel) {
            const design::DesignClass* text = design::findDesignClass("TKPLabel");
            design::TKGraphicControl* o = text->create(*text->table);
            o->loaded();
            panel->addObject(o, QRect(10, 10, 80, 20));
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        file = program.folder() + "sysdata/" + QString::fromStdString(envelopes->text("BINARY")).trimmed();
        ASSERT_FALSE(bytesOf(file).isEmpty());
    }

    QString description() { return QString::fromStdString(envelopes->text("DESCRIPT")).trimmed(); }

    test::ProgramDir program;
    test::MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> envelopes;
    std::unique_ptr<TQBEnvelopes> screen;
    QString file;
};

TEST_F(EnvelopeDesignerClose, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    for (const test::CloseCase& c : test::kCloseCases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = bytesOf(file);
        const QString described = description();
        screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
            TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            EXPECT_TRUE(test::waitReady(designer));
            return test::changeAndClose(designer, panel, designer.findChild<QLineEdit*>("LabelSetupDescription"), c,
                                        "Envelope Design Screen|Save changes to " + described + " 2?");
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
        if (c.saves) {
            EXPECT_EQ(description(), described + " 2");
            EXPECT_NE(bytesOf(file), before);
        } else {
            EXPECT_EQ(description(), described);
            EXPECT_EQ(bytesOf(file), before);
        }
    }
}

TEST_F(EnvelopeDesignerClose, AnUnchangedDesignClosesAtOnce)
{
    const QByteArray before = bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
            TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            EXPECT_TRUE(test::waitReady(designer));
            test::closeUnchanged(designer, by);
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
        EXPECT_EQ(bytesOf(file), before);
    }
}

} // namespace
} // namespace qb
