// The envelope screen, its designer and the two feed dialogs driven as a user
// would: New with a size, every tool, zoom, the size changed, Save, Modify,
// Clone, Delete; the feed buttons and the paper warning; a print through the
// screen.

#include "envelopes/envelope_dialogs.h"
#include "envelopes/tenvelopedesignscreen.h"
#include "envelopes/tenvelopepanel.h"
#include "envelopes/tqbenvelopes.h"

#include "core/address_fixture.h"
#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"
#include "message_log.h"
#include "platform/xbase/table.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace qb {
namespace {

class EnvelopeWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        for (const char* name : {"Adams", "Brown"})
            test::addRow(addresses.table(), {{"LNAME", name}, {"FNAME", "Pat"}, {"CITY", "Dayton"}, {"ZIP", "45401"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        envelopes = openSystemTable(SystemTable::Envelope, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(envelopes);
        screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
        screen->show();
    }

    // Drags a rectangle on the panel with the current tool.
    static void drag(QWidget* panel, QPoint from, QPoint to)
    {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }

    // Answers the modal dialogs tools open (text, picture, barcode) with Ok.
    struct Answerer {
        explicit Answerer(QList<QWidget*> keep) : keep_(std::move(keep))
        {
            QObject::connect(&timer_, &QTimer::timeout, [this] {
                if (QWidget* w = QApplication::activeModalWidget(); w && !keep_.contains(w))
                    if (auto* d = qobject_cast<QDialog*>(w))
                        d->reject();
            });
            timer_.start(20);
        }
        QList<QWidget*> keep_;
        QTimer timer_;
    };

    test::ProgramDir program;
    test::MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> envelopes;
    std::unique_ptr<TQBEnvelopes> screen;
};

TEST_F(EnvelopeWindows, NewWithASizeEveryToolZoomSizeChangeSaveModifyCloneDelete)
{
    EXPECT_FALSE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    EXPECT_FALSE(screen->findChild<QPushButton*>("PrintButton")->isEnabled());
    EXPECT_EQ(screen->findChild<QLabel*>("LastName")->text(), "Adams");

    screen->chooseSize = [](int code) -> std::optional<int> {
        EXPECT_EQ(code, kDefaultEnvelopeCode);
        return 27;   // DL
    };
    int placed = 0;
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        designer.show();
        for (int i = 0; i < 500 && !designer.ready(); ++i)
            QTest::qWait(10);
        EXPECT_TRUE(designer.ready());
        EXPECT_EQ(designer.findChild<QLineEdit*>("LabelSetupDescription")->text(), "<New envelope>");
        // 220 by 110 millimetres at 96 pixels an inch.
        EXPECT_EQ(panel->size(), QSize(831, 416));
        EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout: ENVELOPE DL 110 X 220 MM");
        Answerer answer({&designer, screen.get()});
        for (const char* tool : {"TextTool", "MultiLineTextTool", "RectangleTool", "EllipseTool", "RoundRectangleTool",
                                 "LineTool", "ClipArtTool", "PostnetBarcodeTool", "IntelligentMailBarcodeTool",
                                 "DatabaseFieldTool", "DatabaseMailingAddressTool", "FIMBarcodeTool"}) {
            designer.tool(tool)->click();
            drag(panel, QPoint(20 + 40 * placed, 20), QPoint(90 + 40 * placed, 60));
            EXPECT_TRUE(designer.tool("SelectionTool")->isChecked()) << tool;
            ++placed;
        }
        EXPECT_EQ(int(panel->designObjects().size()), placed);
        QStringList classes;
        for (design::TKGraphicControl* o : panel->designObjects())
            classes << o->designClassName();
        EXPECT_TRUE(classes.contains("TKFIMBarCode"));
        EXPECT_TRUE(classes.contains("TKIntelligentMailBarCode"));

        // Zoom stops at 140 and 60 percent.
        for (int i = 0; i < 8; ++i)
            designer.zoomStep(+1);
        EXPECT_DOUBLE_EQ(designer.zoom(), 1.4);
        EXPECT_EQ(designer.findChild<QToolButton*>("ZoomButton")->text(), "140%");
        for (int i = 0; i < 12; ++i)
            designer.zoomStep(-1);
        EXPECT_DOUBLE_EQ(designer.zoom(), 0.6);
        designer.setZoom(1.0);

        // The automation template and the printer margins toggle on and off.
        designer.findChild<QToolButton*>("USPSTemplate")->click();
        EXPECT_TRUE(panel->showTemplate());
        designer.findChild<QToolButton*>("ShowPrinterMarginsButton")->click();
        EXPECT_TRUE(panel->showPrinterMargins());

        auto* description = designer.findChild<QLineEdit*>("LabelSetupDescription");
        description->selectAll();
        QTest::keyClicks(description, QString(55, 'd'));
        EXPECT_TRUE(designer.saveVisible());
        designer.findChild<QPushButton*>("SaveButton")->click();
        return designer.result() == QDialog::Accepted;
    };
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(envelopes->recordCount(), 1u);
    envelopes->go(1);
    EXPECT_EQ(envelopes->number("NUMBER"), 27);
    EXPECT_EQ(QString::fromStdString(envelopes->text("DESCRIPT")).trimmed(), QString(50, 'd'));
    EXPECT_EQ(QString::fromStdString(envelopes->text("BINARY")).trimmed(), "BIN00001.E");
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00001.E"));
    EXPECT_TRUE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    // The preview shows the layout at 30 percent.
    EXPECT_EQ(int(screen->previewPanel()->designObjects().size()), placed);
    EXPECT_EQ(screen->previewPanel()->size(), QSize(249, 125));

    // Modify: the Layout menu makes it a Monarch; an object at 880 moves to 700.
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        designer.show();
        for (int i = 0; i < 500 && !designer.ready(); ++i)
            QTest::qWait(10);
        EXPECT_TRUE(designer.ready());
        EXPECT_EQ(int(panel->designObjects().size()), placed);
        EXPECT_FALSE(designer.saveVisible());
        designer.applySize(20);
        design::TKGraphicControl* far = panel->designObjects().first();
        far->setBounds(880, 100, 40, 20);
        designer.chooseSize = [](int code) -> std::optional<int> {
            EXPECT_EQ(code, 20);
            return 37;
        };
        designer.findChild<QAction*>("mnuLayout")->trigger();
        EXPECT_EQ(far->left(), 700);
        EXPECT_EQ(panel->size(), QSize(720, 372));
        EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout: ENVELOPE MONARCH 3 7/8 x 7 1/2 INCHES");
        designer.findChild<QPushButton*>("SaveButton")->click();
        return designer.result() == QDialog::Accepted;
    };
    screen->findChild<QPushButton*>("ModifyButton")->click();
    envelopes->go(1);
    EXPECT_EQ(envelopes->number("NUMBER"), 37);

    // Clone and Delete ask first.
    log.answer = true;
    screen->findChild<QPushButton*>("CloneButton")->click();
    EXPECT_EQ(log.texts().last(), "Clone \"" + QString(50, 'd') + "\"?");
    EXPECT_EQ(envelopes->recordCount(), 2u);
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00002.E"));
    EXPECT_EQ(screen->grid()->model()->rowCount(), 2);
    screen->grid()->selectRow(0);
    const QString first = screen->grid()->model()->index(0, 0).data().toString();
    screen->findChild<QPushButton*>("DeleteButton")->click();
    EXPECT_EQ(log.texts().last(), "Delete \"" + first + "\"?");
    EXPECT_EQ(screen->grid()->model()->rowCount(), 1);
}

TEST_F(EnvelopeWindows, TheFeedDialogsButtonsPictureTextAndPaperWarning)
{
    EnvelopeFeed start;   // landscape, down, centre
    TEnvelopeFeed feed(start);
    feed.show();
    auto* cw = feed.findChild<QCheckBox*>("ClockWiseRotation");
    EXPECT_TRUE(cw->isVisible());
    const QImage before = feed.findChild<QLabel*>("FeedPicture")->pixmap().toImage();
    feed.findChild<QPushButton*>("PortraitButton")->click();
    EXPECT_FALSE(cw->isVisible());
    feed.findChild<QPushButton*>("UpButton")->click();
    feed.findChild<QPushButton*>("LeftButton")->click();
    EXPECT_NE(feed.findChild<QLabel*>("FeedPicture")->pixmap().toImage(), before);
    feed.findChild<QPushButton*>("LandscapeButton")->click();
    EXPECT_TRUE(cw->isVisible());
    cw->click();
    EXPECT_EQ(feed.feed(), (EnvelopeFeed{kLandscape, kFaceUp, kLeft, true}));

    // The warning follows the printer's page: none on the #10 itself fed
    // landscape, shown on Letter, and on the #10 fed portrait.
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setUnits(Units::unInch);
    struct Case {
        int paperCode;
        Orientation orientation;
        bool warned;
    } cases[] = {{20, Orientation::poLandScape, false},
                 {20, Orientation::poPortrait, true},
                 {1, Orientation::poPortrait, true},
                 {1, Orientation::poLandScape, true}};
    for (const Case& c : cases) {
        job.SetPaperSize(c.paperCode, 0, 0);
        job.setOrientation(c.orientation);
        TEnvelopePrePrint pre(job, start, 9.5, 4.125);
        pre.show();
        EXPECT_EQ(pre.warningShown(), c.warned) << c.paperCode << " " << int(c.orientation);
        EXPECT_EQ(pre.feedTextShown(), "Position: Center\nOrientation : Landscape\nFacing Down");
    }
    // "Paper Feed Method" takes the new feed and turns the page with it.
    job.SetPaperSize(20, 0, 0);
    job.setOrientation(Orientation::poLandScape);
    TEnvelopePrePrint pre(job, start, 9.5, 4.125);
    pre.show();
    pre.chooseFeed = [](const EnvelopeFeed& f) -> std::optional<EnvelopeFeed> {
        EnvelopeFeed g = f;
        g.orientation = kPortrait;
        return g;
    };
    pre.findChild<QPushButton*>("PaperFeedButton")->click();
    EXPECT_EQ(pre.feed().orientation, kPortrait);
    EXPECT_EQ(job.orientation(), Orientation::poPortrait);
    EXPECT_TRUE(pre.warningShown());
    EXPECT_EQ(pre.findChild<QLabel*>("PrinterOrientation")->text(), "Portrait");

    TChooseEnvelopeLayout sizes(999);
    EXPECT_EQ(sizes.list()->count(), 16);
    EXPECT_EQ(sizes.list()->currentRow(), 0);   // an unknown code preselects the first entry
    sizes.list()->setCurrentRow(5);
    EXPECT_EQ(sizes.code(), 27);
}

// Print from the screen: only the current record by default, through the
// pre-print confirmation and the status window that closes by itself; the
// table stays where it was.
TEST_F(EnvelopeWindows, PrintTheCurrentRecordThroughTheScreen)
{
    {
        TEnvelopePanel design(screen.get());
        const design::DesignClass* cls = design::findDesignClass("TKPDLabel");
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        design.addObject(o, QRect(300, 150, 200, 30));
        o->setValue("DataFieldName", "LNAME");
        o->setValue("DataFieldDescript", "Last Name");
        o->setValue("Font.Name", "Arial");
        o->setValue("Font.Height", -16);
        EnvelopeLayoutRecord record;
        record.description = "Club";
        record.isNew = true;
        ASSERT_TRUE(screen->catalogue().save(record, [&](const QString& path) {
            design.saveToFile(path);
            return true;
        }));
    }
    screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
    screen->show();
    addresses.table().next();   // Brown
    const QString pdf = program.folder() + "screen.pdf";
    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().setPdfFileName(pdf);
    int confirmed = 0;
    screen->printHooks.confirm = [&](TBaseReport&, EnvelopeFeed&) { return ++confirmed > 0; };
    EXPECT_TRUE(screen->findChild<QRadioButton*>("rbOnlyThis")->isChecked());
    screen->findChild<QPushButton*>("PrintButton")->click();
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_EQ(screen->lastRun().envelopes, 1);
    const test::PdfText text = test::readPdf(pdf);
    EXPECT_EQ(text.pages, 1);
    EXPECT_TRUE(text.find("Brown"));
    EXPECT_EQ(QString::fromStdString(addresses.table().text("LNAME")).trimmed(), "Brown");

    // A layout whose file went away says so and prints nothing.
    QFile::remove(program.folder() + "sysdata/BIN00001.E");
    screen->findChild<QPushButton*>("PrintButton")->click();
    EXPECT_EQ(log.texts().last(), kEnvelopeFileRemoved);
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::NotRun);
}

} // namespace
} // namespace qb
