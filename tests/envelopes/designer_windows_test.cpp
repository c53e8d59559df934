// The envelope designer as a user leaves it: Esc and the close box ask before
// unsaved work is thrown away, an unchanged design closes at once, and a
// layout saved at any zoom or after any zooming is the 100 percent file.

#include "envelopes/tenvelopedesignscreen.h"
#include "envelopes/tqbenvelopes.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/designer_windows.h"
#include "design/tkgraphiccontrol.h"
#include "envelopes/tenvelopepanel.h"
#include "platform/xbase/table.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using Build = std::function<void(TEnvelopePanel*)>;

class EnvelopeDesigner : public test::DesignScreenFixture<TQBEnvelopes, SystemTable::Envelope> {
protected:
    // A stored #10 layout "Club envelopes" holding what build puts on the panel; its file.
    QString storeLayout(const Build& build)
    {
        screen->chooseSize = [](int) -> std::optional<int> { return 20; };
        screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
            record.description = "Club envelopes";
            build(panel);
            return true;
        };
        screen->findChild<QPushButton*>("NewButton")->click();
        return layoutFile();
    }

    // Opens the highlighted layout in the designer, once it has set itself up
    // and shows, and runs act on it; act's answer is the designer's outcome.
    void modify(const std::function<void(TEnvelopeDesignScreen&, TEnvelopePanel*)>& act)
    {
        screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
            TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
            designer.show();
            EXPECT_TRUE(test::waitReady(designer));
            act(designer, panel);
            return designer.result() == QDialog::Accepted;
        };
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }
};

TEST_F(EnvelopeDesigner, UnsavedWorkIsNeverThrownAwayWithoutAQuestion)
{
    const QString file = storeLayout(oneText);
    test::expectEveryCloseCase(file, "Envelope Design Screen", [this] { return description(); },
                               [&](const test::CloseCase& c, const QString& question) {
                                   modify([&](TEnvelopeDesignScreen& designer, TEnvelopePanel* panel) {
                                       test::changeAndClose(designer, panel,
                                                            designer.findChild<QLineEdit*>("LabelSetupDescription"), c,
                                                            question);
                                   });
                               });
}

TEST_F(EnvelopeDesigner, AnUnchangedDesignClosesAtOnce)
{
    const QString file = storeLayout(oneText);
    const QByteArray before = test::bytesOf(file);
    for (const test::CloseBy by : {test::CloseBy::Escape, test::CloseBy::CloseBox}) {
        modify([&](TEnvelopeDesignScreen& designer, TEnvelopePanel*) { test::closeUnchanged(designer, by); });
        EXPECT_EQ(test::bytesOf(file), before);
    }
}

TEST_F(EnvelopeDesigner, SavesAtAnyZoomAndAfterAnyZoomingAreTheHundredPercentFile)
{
    // Bounds that no zoom step maps to whole pixels both ways.
    const QString file = storeLayout([](TEnvelopePanel* panel) {
        put(panel, "TKLabelShapes", QRect(7, 9, 237, 83));
        put(panel, "TKLineShape", QRect(161, 11, 9, 77));
        put(panel, "TKPLabel", QRect(21, 33, 117, 19));
        put(panel, "TKDMultiLineAddressLabel", QRect(313, 155, 238, 71));
        put(panel, "TKPostNetBarCode", QRect(313, 241, 300, 20));
        put(panel, "TKFIMBarCode", QRect(531, 3, 40, 40));
    });
    const auto zoomAndSave = [&](std::initializer_list<int> percents) {
        modify([&](TEnvelopeDesignScreen& designer, TEnvelopePanel*) { test::zoomThroughAndSave(designer, percents); });
    };
    test::expectZoomedSavesAreTheHundredPercentFile(file,
                                                    {
                                                        {"60", {60}},
                                                        {"120", {120}},
                                                        {"140", {140}},
                                                        {"100, 60, 140, 100", {60, 140, 100}},
                                                        {"130, 70, 110", {130, 70, 110}},
                                                    },
                                                    zoomAndSave);
}

} // namespace
} // namespace qb
