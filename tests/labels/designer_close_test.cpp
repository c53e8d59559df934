// The label designer closed with unsaved work: Esc and the close box ask
// before anything is thrown away; an unchanged design closes at once.

#include "labels/tlabeldesignscreen.h"
#include "labels/tlabelsetupscreen.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/designer_windows.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
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

class LabelDesignerClose : public ::testing::Test {
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
        labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        screen = std::make_unique<TLabelSetupScreen>(*labels, addresses, false);
        screen->show();
        // A stored layout holding one text.
        screen->runDesigner = [](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            record.description = "Club labels";
            const design::DesignClass* text = design::findDesignClass("TKPLabel");
            design::TKGraphicControl* o = text->create(*text->table);
            o->loaded();
            panel->addObject(o, QRect(10, 10, 80, 20));
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        file = program.folder() + "sysdata/" + QString::fromStdString(labels->text("BINARY")).trimmed();
        ASSERT_FALSE(bytesOf(file).isEmpty());
    }

    QString description() { return QString::fromStdString(labels->text("DESCRIPT")).trimmed(); }

    test::ProgramDir program;
    test::MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> labels;
    std::unique_ptr<TLabelSetupScreen> screen;
    QString file;
};

TEST_F(LabelDesignerClose, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    for (const test::CloseCase& c : test::kCloseCases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = bytesOf(file);
        const QString described = description();
        screen->runDesigner = [&](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            TLabelDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            EXPECT_TRUE(test::waitReady(designer));
            return test::changeAndClose(designer, panel, designer.findChild<QLineEdit*>("LabelSetupDescription"), c,
                                        "Label Design Screen|Save changes to " + described + " 2?");
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

TEST_F(LabelDesignerClose, AnUnchangedDesignClosesAtOnce)
{
    const QByteArray before = bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        screen->runDesigner = [&](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            TLabelDesignScreen designer(record, panel, addresses, screen.get());
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
