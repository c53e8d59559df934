// Saving a label layout while zoomed, or after zooming, stores exactly the
// layout saved at 100 percent: the true bounds never take the zoom's rounding.

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

class LabelDesignerZoom : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        test::addRow(addresses.table(), {{"LNAME", "Adams"}, {"FNAME", "Ann"}, {"STREET", "12 Elm St"},
                                         {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        screen = std::make_unique<TLabelSetupScreen>(*labels, addresses, false);
        screen->show();
    }

    // Opens the highlighted layout in the designer, zooms through percents,
    // types in the description and saves.
    void zoomAndSave(std::initializer_list<int> percents)
    {
        screen->runDesigner = [&](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            TLabelDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            for (int i = 0; i < 500 && !designer.ready(); ++i)
                QTest::qWait(10);
            for (int percent : percents) {
                test::zoomTo(designer, percent);
                QTest::qWait(20);   // drawn at that zoom, so objects fit themselves to it
            }
            QTest::keyClicks(designer.findChild<QLineEdit*>("LabelSetupDescription"), "z");
            designer.findChild<QPushButton*>("SaveButton")->click();
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }

    static void put(design::TKLabelPanel* panel, const char* className, QRect r)
    {
        const design::DesignClass* cls = design::findDesignClass(QLatin1String(className));
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, r);
    }

    test::ProgramDir program;
    test::MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> labels;
    std::unique_ptr<TLabelSetupScreen> screen;
};

TEST_F(LabelDesignerZoom, SavesAtAnyZoomAndAfterAnyZoomingAreTheHundredPercentFile)
{
    // Bounds that no zoom step maps to whole pixels both ways.
    screen->runDesigner = [](LabelLayoutRecord&, design::TKLabelPanel* panel) {
        put(panel, "TKLabelShapes", QRect(7, 9, 237, 83));
        put(panel, "TKLineShape", QRect(161, 11, 9, 77));
        put(panel, "TKPLabel", QRect(21, 33, 117, 19));
        put(panel, "TKDMultiLineAddressLabel", QRect(13, 5, 238, 71));
        return true;
    };
    screen->findChild<QPushButton*>("NewButton")->click();
    const QString file = program.folder() + "sysdata/" + QString::fromStdString(labels->text("BINARY")).trimmed();
    zoomAndSave({});
    const QByteArray hundred = bytesOf(file);
    ASSERT_FALSE(hundred.isEmpty());

    const struct {
        const char* name;
        std::initializer_list<int> percents;
    } sequences[] = {
        {"50", {50}},
        {"120", {120}},
        {"150", {150}},
        {"100, 50, 150, 100", {50, 150, 100}},
        {"130, 70, 110", {130, 70, 110}},
    };
    for (const auto& s : sequences)
        for (int save = 1; save <= 3; ++save) {
            zoomAndSave(s.percents);
            EXPECT_EQ(bytesOf(file), hundred) << s.name << ", save " << save;
        }
}

} // namespace
} // namespace qb
