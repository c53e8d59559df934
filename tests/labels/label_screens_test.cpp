// The label print screen and the label designer driven as a user would.

#include "labels/tlabeldesignscreen.h"
#include "labels/tlabelsetupscreen.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "platform/xbase/table.h"
#include "printing/preview_support.h"
#include "printing/print_status.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;

TLabelDesignScreen* openDesigner()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TLabelDesignScreen*>(w); d && d->isVisible() && d->ready())
            return d;
    return nullptr;
}

// Runs act on the designer once it shows, and closes it if act left it open,
// so a failing check cannot leave the test waiting.
void whenDesignerShown(std::function<void(TLabelDesignScreen*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        TLabelDesignScreen* designer = openDesigner();
        if (!designer)
            return;
        poll->stop();
        poll->deleteLater();
        act(designer);
        if (designer->isVisible())
            designer->reject();
    });
    poll->start(10);
}

// Accepts whatever dialog a tool opens while it is placed (a text to type,
// a picture to choose), leaving the windows under test alone.
class DialogAnswerer {
public:
    explicit DialogAnswerer(QList<QWidget*> keep) : keep_(std::move(keep))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* w = QApplication::activeModalWidget(); w && !keep_.contains(w))
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->accept();
        });
        timer_.start(20);
    }

private:
    QList<QWidget*> keep_;
    QTimer timer_;
};

class LabelScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        for (int i = 0; i < 3; ++i)
            test::addRow(addresses.table(), {{"LNAME", "Name"}, {"FNAME", "Pat"}, {"ZIP", "62701"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        screen = std::make_unique<TLabelSetupScreen>(*labels, addresses, false);
        screen->show();
    }

    // Drags a rectangle on the panel with the current tool.
    static void drag(design::TKLabelPanel* panel, QPoint from, QPoint to)
    {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }

    ProgramDir program;
    MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> labels;
    std::unique_ptr<TLabelSetupScreen> screen;
};

TEST_F(LabelScreens, DesignPlaceEveryToolSaveReopenCloneDelete)
{
    EXPECT_FALSE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    EXPECT_FALSE(screen->findChild<QWidget*>("WhatToPrintPanel")->isVisible());

    int placed = 0;
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        design::TKLabelPanel* panel = designer->panel();
        EXPECT_EQ(panel->size(), QSize(252, 96));   // 2.625 x 1 inch at 96 pixels an inch
        EXPECT_EQ(panel->designObjects().size(), 1);   // the address block of a new label
        DialogAnswerer answer({designer, screen.get()});
        const int before = int(panel->designObjects().size());
        for (const char* tool : {"TextTool", "MultiLineTextTool", "CounterTool", "SymbolTool", "RectangleTool",
                                 "EllipseTool", "RoundRectangleTool", "LineTool", "DatabaseFieldTool",
                                 "DatabaseMemoFieldTool", "DatabaseMailingAddressTool", "ClipArtTool"}) {
            QToolButton* b = designer->tool(tool);
            if (!b->isEnabled())
                continue;
            b->click();
            drag(panel, QPoint(20, 20), QPoint(90, 50));
            EXPECT_TRUE(designer->tool("SelectionTool")->isChecked()) << tool;
            ++placed;
        }
        EXPECT_EQ(int(panel->designObjects().size()), before + placed);
        // The barcode needs 2.85 inches; this label is 2.625 wide.
        designer->tool("PostnetBarcodeTool")->click();
        EXPECT_EQ(log.texts().last(), kPostnetTooNarrow);
        // Move the first object with the mouse.
        design::TKGraphicControl* first = panel->designObjects().first();
        const QPoint grab = first->geometry().center();
        QTest::mousePress(panel, Qt::LeftButton, {}, grab);
        QTest::qWait(200);
        QTest::mouseMove(panel, grab + QPoint(8, 4));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, grab + QPoint(8, 4));
        designer->findChild<QLineEdit*>("LabelSetupDescription")->setText("Club labels " + QString(50, 'x'));
        ASSERT_TRUE(designer->saveVisible());
        designer->findChild<QPushButton*>("SaveButton")->click();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(labels->recordCount(), 1u);
    labels->first();
    EXPECT_EQ(QString::fromStdString(labels->text("DESCRIPT")), ("Club labels " + QString(50, 'x')).left(50));
    EXPECT_EQ(labels->text("BINARY"), "BIN00001.L");
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00001.L"));
    EXPECT_TRUE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    EXPECT_TRUE(screen->infoText().startsWith("Sheet Name: Avery 5160  Address"));

    // Reopened, the designer shows what was saved; Cancel writes nothing.
    const QByteArray saved = [&] {
        QFile f(program.folder() + "sysdata/BIN00001.L");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        EXPECT_EQ(int(designer->panel()->designObjects().size()), 1 + placed);
        EXPECT_FALSE(designer->saveVisible());
        designer->reject();
    });
    screen->findChild<QPushButton*>("ModifyButton")->click();
    QFile f(program.folder() + "sysdata/BIN00001.L");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), saved);

    screen->findChild<QPushButton*>("CloneButton")->click();
    EXPECT_EQ(labels->recordCount(), 2u);
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00002.L"));
    EXPECT_EQ(screen->grid()->model()->rowCount(), 2);

    screen->findChild<QPushButton*>("DeleteButton")->click();
    EXPECT_EQ(screen->grid()->model()->rowCount(), 1);
}

TEST_F(LabelScreens, ZoomAndStockChanges)
{
    LabelLayoutRecord record;
    record.stock.labelWidth = 4.0;
    record.description = "Wide";
    QWidget home;
    auto* panel = new design::TKLabelPanel(&home);
    TLabelDesignScreen designer(record, panel, addresses);
    designer.show();
    QTRY_VERIFY(designer.ready());
    for (int i = 0; i < 8; ++i)
        designer.zoomStep(-1);
    EXPECT_DOUBLE_EQ(designer.zoom(), 0.5);
    for (int i = 0; i < 12; ++i)
        designer.zoomStep(+1);
    EXPECT_DOUBLE_EQ(designer.zoom(), 1.5);
    EXPECT_EQ(designer.findChild<QToolButton*>("ZoomButton")->text(), "150%");
    while (designer.zoom() > 1.0)
        designer.zoomStep(-1);

    // An object at left 300 on a 4-inch label moves to 232 on a 2.625-inch
    // one; a POSTNET barcode there goes, with the warning.
    const design::DesignClass* text = design::findDesignClass("TKPLabel");
    design::TKGraphicControl* far = text->create(*text->table);
    far->loaded();
    panel->addObject(far, QRect(300, 10, 40, 20));
    if (const design::DesignClass* bar = design::findDesignClass("TKPostNetBarCode")) {
        design::TKGraphicControl* code = bar->create(*bar->table);
        code->loaded();
        panel->addObject(code, QRect(10, 40, 280, 20));
    }
    designer.applyStock(LabelStock::newLayout(), false);
    EXPECT_EQ(far->left(), 232);
    for (design::TKGraphicControl* o : panel->designObjects())
        EXPECT_NE(o->designClassName(), "TKPostNetBarCode");
    if (design::findDesignClass("TKPostNetBarCode")) {
        EXPECT_EQ(log.texts().last(), kPostnetRemoved);
    }
    EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout:  Avery 5160  Address");
}

// Answers the windows of a run: the status window's "Ok" once its job has
// ended, and whatever onPreview does with the preview before it closes.
class RunAnswerer {
public:
    explicit RunAnswerer(std::function<void(TPreviewForm&)> onPreview) : onPreview_(std::move(onPreview))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* status = qobject_cast<TPrintStatusWindow*>(w); status && status->loop().ended())
                status->button()->click();
            if (auto* preview = qobject_cast<TPreviewForm*>(w)) {
                timer_.stop();
                ++previews;
                onPreview_(*preview);
                preview->accept();
                timer_.start();
            }
        });
        timer_.start(20);
    }
    int previews = 0;

private:
    std::function<void(TPreviewForm&)> onPreview_;
    QTimer timer_;
};

TEST_F(LabelScreens, PreviewShowsWhatPrints)
{
    // A new layout: its address block, a frame round the label and a text.
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        design::TKLabelPanel* panel = designer->panel();
        const design::DesignClass* shapes = design::findDesignClass("TKLabelShapes");
        design::TKGraphicControl* frame = shapes->create(*shapes->table);
        frame->loaded();
        panel->addObject(frame, QRect(2, 2, 246, 90));
        frame->setValue("Pen.Width", 2);
        frame->setValue("Transparent", true);
        const design::DesignClass* text = design::findDesignClass("TKPLabel");
        design::TKGraphicControl* member = text->create(*text->table);
        member->loaded();
        panel->addObject(member, QRect(170, 60, 70, 20));
        member->setValue("Caption", "MEMBER");
        member->setValue("Font.Name", "Arial");
        member->setValue("Font.Height", -12);
        designer->findChild<QPushButton*>("SaveButton")->click();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(labels->recordCount(), 1u);
    screen->askPositions = [](const LabelStock&, PositionMask&, int&, bool) { return true; };

    const QString pdf = program.folder() + "labels.pdf";
    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().setPdfFileName(pdf);
    {
        RunAnswerer answer([](TPreviewForm&) {});
        screen->findChild<QPushButton*>("PrintNow")->click();
    }
    ASSERT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    ASSERT_EQ(test::readPdf(pdf).pages, 1);

    RunAnswerer answer([&](TPreviewForm& form) {
        EXPECT_EQ(form.windowTitle().left(12), "Preview Page");
        test::expectPreviewShowsPdf(form, pdf, 1);
    });
    screen->findChild<QPushButton*>("Previewbutton")->click();
    EXPECT_EQ(answer.previews, 1);
    EXPECT_EQ(screen->lastRun().stats.labels, 3u);
}

} // namespace
} // namespace qb
