// The label designer as a user leaves it: Esc and the close box ask before
// unsaved work is thrown away, an unchanged design closes at once, and a
// layout saved at any zoom or after any zooming is the 100 percent file.

#include "labels/tlabeldesignscreen.h"
#include "labels/tlabelsetupscreen.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/designer_windows.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "platform/xbase/table.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using Build = std::function<void(design::TKLabelPanel*)>;

class LabelDesigner : public test::DesignScreenFixture<TLabelSetupScreen, SystemTable::Label> {
protected:
    // A stored layout "Club labels" holding what build puts on the panel; its file.
    QString storeLayout(const Build& build)
    {
        screen->runDesigner = [&](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            record.description = "Club labels";
            build(panel);
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        return layoutFile();
    }

    // Opens the highlighted layout in the designer, once it has set itself up
    // and shows, and runs act on it; act's answer is the designer's outcome.
    void modify(const std::function<void(TLabelDesignScreen&, design::TKLabelPanel*)>& act)
    {
        screen->runDesigner = [&](LabelLayoutRecord& record, design::TKLabelPanel* panel) {
            TLabelDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            EXPECT_TRUE(test::waitReady(designer));
            act(designer, panel);
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }
};

TEST_F(LabelDesigner, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    const QString file = storeLayout(oneText);
    test::expectEveryCloseCase(file, "Label Design Screen", [this] { return description(); },
                               [&](const test::CloseCase& c, const QString& question) {
                                   modify([&](TLabelDesignScreen& designer, design::TKLabelPanel* panel) {
                                       test::changeAndClose(designer, panel,
                                                            designer.findChild<QLineEdit*>("LabelSetupDescription"), c,
                                                            question);
                                   });
                               });
}

TEST_F(LabelDesigner, AnUnchangedDesignClosesAtOnce)
{
    const QString file = storeLayout(oneText);
    const QByteArray before = test::bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        modify([&](TLabelDesignScreen& designer, design::TKLabelPanel*) { test::closeUnchanged(designer, by); });
        EXPECT_EQ(test::bytesOf(file), before);
    }
}

TEST_F(LabelDesigner, SavesAtAnyZoomAndAfterAnyZoomingAreTheHundredPercentFile)
{
    // Bounds that no zoom step maps to whole pixels both ways.
    const QString file = storeLayout([](design::TKLabelPanel* panel) {
        put(panel, "TKLabelShapes", QRect(7, 9, 237, 83));
        put(panel, "TKLineShape", QRect(161, 11, 9, 77));
        put(panel, "TKPLabel", QRect(21, 33, 117, 19));
        put(panel, "TKDMultiLineAddressLabel", QRect(13, 5, 238, 71));
    });
    const auto zoomAndSave = [&](std::initializer_list<int> percents) {
        modify([&](TLabelDesignScreen& designer, design::TKLabelPanel*) { test::zoomThroughAndSave(designer, percents); });
    };
    test::expectZoomedSavesAreTheHundredPercentFile(file,
                                                    {
                                                        {"50", {50}},
                                                        {"120", {120}},
                                                        {"150", {150}},
                                                        {"100, 50, 150, 100", {50, 150, 100}},
                                                        {"130, 70, 110", {130, 70, 110}},
                                                    },
                                                    zoomAndSave);
}

} // namespace
} // namespace qb
