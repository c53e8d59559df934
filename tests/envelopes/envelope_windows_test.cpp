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
#include "core/layout_names.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"
#include "message_log.h"
#include "platform/xbase/table.h"
#include "core/settings.h"
#include "printing/pdf_support.h"
#include "printing/preview_support.h"
#include "printing/print_status.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace qb {
namespace {

// Answers the windows of a run as a user would: in "Envelope Print" the
// Printer Setup button, Letter in the page setup dialog, then (when a feed is
// given) "Paper Feed Method" with the feed's buttons, then Ok; the status
// window's Ok; and onPreview on the preview before it closes.
class RunAnswerer {
public:
    RunAnswerer(std::optional<EnvelopeFeed> feed, std::function<void(TPreviewForm&)> onPreview)
        : feed_(feed), onPreview_(std::move(onPreview))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(20);
    }
    int prePrints = 0;
    int previews = 0;

private:
    void answer()
    {
        QWidget* w = QApplication::activeModalWidget();
        const auto later = [](QPushButton* b) { QTimer::singleShot(0, b, &QPushButton::click); };
        if (auto* setup = qobject_cast<QPageSetupDialog*>(w)) {
            for (QComboBox* c : setup->findChildren<QComboBox*>())
                for (int i = 0; i < c->count(); ++i)
                    if (c->itemText(i).startsWith("Letter") || c->itemText(i).startsWith("US Letter"))
                        c->setCurrentIndex(i);
            setup->accept();
        } else if (auto* pre = qobject_cast<TEnvelopePrePrint*>(w)) {
            const int step = pre->property("answered").toInt();
            pre->setProperty("answered", step + 1);
            if (step == 0) {
                ++prePrints;
                later(pre->findChild<QPushButton*>("PrinterSetupButton"));
            } else if (step == 1 && feed_) {
                later(pre->findChild<QPushButton*>("PaperFeedButton"));
            } else {
                pre->accept();
            }
        } else if (auto* feed = qobject_cast<TEnvelopeFeed*>(w)) {
            feed->findChild<QPushButton*>(feed_->orientation == kPortrait ? "PortraitButton" : "LandscapeButton")->click();
            feed->findChild<QPushButton*>(feed_->facing == kFaceUp ? "UpButton" : "DownButton")->click();
            const char* positions[] = {"LeftButton", "RightButton", "CenterButton"};
            feed->findChild<QPushButton*>(positions[feed_->position])->click();
            if (feed->findChild<QCheckBox*>("ClockWiseRotation")->isChecked() != feed_->clockWiseRotation)
                feed->findChild<QCheckBox*>("ClockWiseRotation")->click();
            feed->accept();
        } else if (auto* status = qobject_cast<TPrintStatusWindow*>(w); status && status->loop().ended()) {
            status->button()->click();
        } else if (auto* preview = qobject_cast<TPreviewForm*>(w)) {
            timer_.stop();
            ++previews;
            onPreview_(*preview);
            preview->accept();
            timer_.start();
        }
    }

    std::optional<EnvelopeFeed> feed_;
    std::function<void(TPreviewForm&)> onPreview_;
    QTimer timer_;
};

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

    // A designer in place of the real one: one text placed, then Save.
    static bool placeAText(EnvelopeLayoutRecord&, TEnvelopePanel* panel)
    {
        const design::DesignClass* cls = design::findDesignClass("TKPLabel");
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, QRect(10, 10, 80, 20));
        return true;
    }

    // Shows the designer and waits until its set-up has run.
    static void showDesigner(TEnvelopeDesignScreen& designer)
    {
        designer.show();
        for (int i = 0; i < 500 && !designer.ready(); ++i)
            QTest::qWait(10);
        EXPECT_TRUE(designer.ready());
    }

    // Stores a #10 layout of these objects (class, bounds, values) in
    // ENVELOPE.DBF and opens the screen again to list it.
    struct Object {
        const char* className;
        QRect rect;
        QList<std::pair<const char*, QVariant>> values;
    };
    void storeLayout(const QString& description, const QList<Object>& objects)
    {
        {
            TEnvelopePanel design(screen.get());
            for (const Object& object : objects) {
                const design::DesignClass* cls = design::findDesignClass(object.className);
                ASSERT_TRUE(cls);
                design::TKGraphicControl* o = cls->create(*cls->table);
                o->loaded();
                design.addObject(o, object.rect);
                for (const auto& [path, value] : object.values)
                    o->setValue(path, value);
            }
            EnvelopeLayoutRecord record;
            record.description = description;
            record.isNew = true;
            ASSERT_TRUE(screen->catalogue().save(record, [&](const QString& path) {
                design.saveToFile(path);
                return true;
            }));
        }
        screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
        screen->show();
    }

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
        showDesigner(designer);
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

    // Modify: the Layout menu makes it a Monarch; an object 40 wide at 880
    // moves wholly inside, to 680.
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        showDesigner(designer);
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
        EXPECT_EQ(far->left(), 680);
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
    storeLayout("Club", {{"TKPDLabel", QRect(300, 150, 200, 30),
                          {{"DataFieldName", "LNAME"}, {"DataFieldDescript", "Last Name"}, {"Font.Name", "Arial"},
                           {"Font.Height", -16}}}});
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

// A row whose file is missing opens empty under a new file name; a layout that
// cannot be read is not opened and stays as it was; a size code the table does
// not know opens with a message and a size the user can correct.
TEST_F(EnvelopeWindows, MissingDamagedAndUnknownLayouts)
{
    screen->chooseSize = [](int) -> std::optional<int> { return 20; };
    screen->runDesigner = placeAText;
    screen->findChild<QPushButton*>("NewButton")->click();
    const QString file = program.folder() + "sysdata/BIN00001.E";
    ASSERT_TRUE(QFile::exists(file));

    QFile::remove(file);
    EnvelopeLayoutRecord opened;
    int objects = -1;
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        opened = record;
        objects = int(panel->designObjects().size());
        return false;
    };
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_EQ(objects, 0);
    EXPECT_EQ(opened.fileName, "BIN00002.E");   // BIN00001.E is still the row's

    QFile bad(file);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("TPF0 not a layout");
    bad.close();
    objects = -1;
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_EQ(objects, -1);
    EXPECT_TRUE(log.texts().last().startsWith("Unable to read the envelope layout"));
    QFile again(file);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), "TPF0 not a layout");
    again.close();

    envelopes->first();
    envelopes->edit();
    envelopes->setNumber("NUMBER", 24);
    envelopes->post();
    QFile::remove(file);
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        showDesigner(designer);
        EXPECT_EQ(log.texts().last(), unknownEnvelopeSizeMessage(24));
        EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout: Unknown");
        designer.applySize(19);
        EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout: ENVELOPE #9 3 7/8 X 8 7/8 INCHES");
        designer.findChild<QPushButton*>("SaveButton")->click();
        return designer.result() == QDialog::Accepted;
    };
    screen->findChild<QPushButton*>("ModifyButton")->click();
    envelopes->first();
    EXPECT_EQ(envelopes->number("NUMBER"), 19);
}

// Preview with a new feed and the Letter paper chosen in "Envelope Print",
// then Print: the feed was kept, and the preview's page is the printed page,
// the envelope placed on Letter turned landscape, face up, in the centre.
TEST_F(EnvelopeWindows, PreviewShowsWhatPrintsOnThePaperAndFeedChosenForIt)
{
    storeLayout("Club", {{"TKLabelShapes", QRect(2, 2, 908, 392),   // the #10 envelope's edge
                          {{"Pen.Width", 3}, {"Transparent", true}}},
                         {"TKPDLabel", QRect(300, 150, 300, 40),
                          {{"DataFieldName", "LNAME"}, {"DataFieldDescript", "Last Name"}, {"Font.Name", "Arial"},
                           {"Font.Height", -32}}}});
    // The envelope's own paper, fed portrait, before the user changes anything.
    {
        Settings settings = Settings::program();
        ASSERT_TRUE((EnvelopeFeed{kPortrait, kFaceDown, kLeft, false}.write(settings)));
    }
    screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
    screen->show();
    const QString pdf = program.folder() + "screen.pdf";
    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().setPdfFileName(pdf);

    const EnvelopeFeed chosen{kLandscape, kFaceUp, kCentre, false};
    QImage shown;
    QSizeF previewPaper;
    {
        RunAnswerer answer(chosen, [&](TPreviewForm& form) {
            form.findChild<QToolButton*>("sbZoomPage")->click();
            shown = test::previewSheet(form);
        });
        screen->findChild<QPushButton*>("PreviewButton")->click();
        EXPECT_EQ(answer.prePrints, 1);
        ASSERT_EQ(answer.previews, 1);
    }
    ASSERT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_EQ(screen->lastRun().placement, QPointF(1.5, 2.1875));
    // Kept in QUILLB.ini by the dialog's Ok, preview or not.
    EXPECT_EQ(EnvelopeFeed::read(Settings::program()), chosen);

    {
        RunAnswerer answer(std::nullopt, [](TPreviewForm&) {});
        screen->findChild<QPushButton*>("PrintButton")->click();
        EXPECT_EQ(answer.prePrints, 1);
    }
    ASSERT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_EQ(screen->lastRun().placement, QPointF(1.5, 2.1875));
    EXPECT_TRUE(test::run("pdfinfo", {pdf}).contains(QRegularExpression("Page size: +792 x 612")))
        << test::run("pdfinfo", {pdf}).toStdString();

    // The preview's red printable area is the screen's alone.
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (const QRgb c = shown.pixel(x, y); qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120)
                shown.setPixel(x, y, qRgb(255, 255, 255));
    const QImage printed = test::renderPdfToSize(pdf, 1, shown.size());
    ASSERT_FALSE(printed.isNull());
    const test::InkMatch m = test::compareInk(shown, printed);
    EXPECT_GT(m.inkB, 500);
    EXPECT_GT(m.inkA, m.inkB / 2);
    EXPECT_LT(m.inkA, m.inkB * 2);
    EXPECT_GT(m.aInB, 0.98);
    EXPECT_GT(m.bInA, 0.98);
}

// A damaged row whose file name leads out of sysdata: Print refuses, Delete
// takes the row but not the file it names, Modify saves under a new name in
// sysdata; Print and Modify say why, and the file outside stays as it was.
TEST_F(EnvelopeWindows, AFileNameLeadingOutOfSysdataIsNeverUsed)
{
    const QString outside = program.folder() + "x";
    {
        QFile f(outside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const auto addRow = [this](const char* name) {
        envelopes->appendBlank();
        envelopes->setText("DESCRIPT", "Damaged");
        envelopes->setNumber("NUMBER", 20);
        envelopes->setText("BINARY", name);
        envelopes->post();
    };
    const auto outsideKept = [&] {
        QFile f(outside);
        return f.open(QIODevice::ReadOnly) && f.readAll() == "keep me";
    };
    addRow("../x");
    screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
    screen->show();
    screen->printHooks.confirm = [](TBaseReport&, EnvelopeFeed&) { return true; };
    screen->findChild<QPushButton*>("PrintButton")->click();
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::NotRun);
    EXPECT_EQ(log.texts().last(), notPlainFileNameMessage("../x"));

    log.answer = true;
    screen->findChild<QPushButton*>("DeleteButton")->click();
    EXPECT_EQ(screen->grid()->model()->rowCount(), 0);
    EXPECT_TRUE(outsideKept());

    addRow("..\\x");
    screen = std::make_unique<TQBEnvelopes>(*envelopes, addresses, false);
    screen->show();
    screen->runDesigner = placeAText;
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_TRUE(log.texts().contains(notPlainFileNameMessage("..\\x"))) << log.texts().join("|").toStdString();
    envelopes->first();
    EXPECT_EQ(QString::fromStdString(envelopes->text("BINARY")).trimmed(), "BIN00001.E");
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00001.E"));
    EXPECT_TRUE(outsideKept());
    EXPECT_FALSE(QFile::exists(program.folder() + "DATA/x"));
}

// The small preview only shows the layout: a click, a drag and a right click
// where its text is, sent where the window would send them, neither select,
// move nor open anything.
TEST_F(EnvelopeWindows, TheSmallPreviewIsAView)
{
    storeLayout("Club", {{"TKPLabel", QRect(300, 150, 300, 60), {{"Caption", "MARK"}}}});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    TEnvelopePanel* view = screen->previewPanel();
    ASSERT_EQ(view->designObjects().size(), 1);
    design::TKGraphicControl* object = view->designObjects().first();
    const QRect before = object->geometry();
    const QPoint global = view->mapToGlobal(before.center());
    const auto target = [&global]() -> QWidget* { return QApplication::widgetAt(global); };
    ASSERT_TRUE(target());
    QTest::mousePress(target(), Qt::LeftButton, {}, target()->mapFromGlobal(global));
    QTest::mouseMove(target(), target()->mapFromGlobal(global + QPoint(30, 20)));
    QTest::mouseRelease(target(), Qt::LeftButton, {}, target()->mapFromGlobal(global + QPoint(30, 20)));
    QTest::mouseClick(target(), Qt::RightButton, {}, target()->mapFromGlobal(global));
    QTest::qWait(50);
    EXPECT_EQ(object->geometry(), before);
    EXPECT_EQ(view->handle() ? view->handle()->count() : 0, 0);
    EXPECT_FALSE(QApplication::activePopupWidget());
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

// From C4 down to DL with Layout: a POSTNET barcode, a FIM and a field near
// the far edges come wholly inside the new surface, not just their corners.
// The description box takes no more than Save keeps.
TEST_F(EnvelopeWindows, ASmallerSizeMovesEveryObjectWhollyInside)
{
    screen->chooseSize = [](int) -> std::optional<int> { return 30; };   // C4
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        showDesigner(designer);
        const QSize c4 = panel->size();
        EXPECT_EQ(c4, QSize(1225, 866));   // 324 by 229 millimetres at 96 pixels an inch
        struct Placed {
            const char* className;
            QRect rect;
        } objects[] = {{"TKPostNetBarCode", QRect(c4.width() - 300, c4.height() - 40, 270, 16)},
                       {"TKFIMBarCode", QRect(c4.width() - 70, 2, 60, 60)},
                       {"TKPDLabel", QRect(c4.width() - 250, c4.height() - 120, 240, 30)}};
        for (const Placed& p : objects) {
            const design::DesignClass* cls = design::findDesignClass(p.className);
            design::TKGraphicControl* o = cls->create(*cls->table);
            o->loaded();
            panel->addObject(o, p.rect);
        }
        QApplication::processEvents();   // the barcodes take their own sizes when painted
        designer.chooseSize = [](int) -> std::optional<int> { return 27; };   // DL
        designer.findChild<QAction*>("mnuLayout")->trigger();
        QApplication::processEvents();
        const QRect dl(QPoint(0, 0), panel->size());
        EXPECT_EQ(dl.size(), QSize(831, 416));
        for (design::TKGraphicControl* o : panel->designObjects())
            EXPECT_TRUE(dl.contains(o->bounds())) << o->designClassName().toStdString() << " at "
                                                  << o->bounds().x() << "," << o->bounds().y() << " "
                                                  << o->bounds().width() << "x" << o->bounds().height();

        auto* description = designer.findChild<QLineEdit*>("LabelSetupDescription");
        description->selectAll();
        QTest::keyClicks(description, QString(55, 'e'));
        EXPECT_EQ(description->text(), QString(50, 'e'));
        designer.findChild<QPushButton*>("SaveButton")->click();
        EXPECT_EQ(int(panel->designObjects().size()), 3);   // none dropped at Save
        return designer.result() == QDialog::Accepted;
    };
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(envelopes->recordCount(), 1u);
}

// After the designer moved the table (">" then Cancel), the Current Record
// panel shows the record "Only current record" prints.
TEST_F(EnvelopeWindows, TheRecordPanelShowsTheRecordTheRunPrints)
{
    screen->chooseSize = [](int) -> std::optional<int> { return 20; };
    screen->runDesigner = [](EnvelopeLayoutRecord&, TEnvelopePanel* panel) {
        const design::DesignClass* cls = design::findDesignClass("TKPDLabel");
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, QRect(300, 150, 200, 30));
        o->setValue("DataFieldName", "LNAME");
        o->setValue("DataFieldDescript", "Last Name");
        return true;
    };
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(screen->findChild<QLabel*>("LastName")->text(), "Adams");
    screen->runDesigner = [&](EnvelopeLayoutRecord& record, TEnvelopePanel* panel) {
        TEnvelopeDesignScreen designer(record, panel, addresses, screen.get());
        showDesigner(designer);
        designer.findChild<QPushButton*>("NextButton")->click();
        designer.findChild<QPushButton*>("CancelButton")->click();
        return false;
    };
    screen->findChild<QPushButton*>("ModifyButton")->click();
    const QString shown = screen->findChild<QLabel*>("LastName")->text();
    const QString pdf = program.folder() + "current.pdf";
    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().setPdfFileName(pdf);
    screen->printHooks.confirm = [](TBaseReport&, EnvelopeFeed&) { return true; };
    screen->findChild<QPushButton*>("PrintButton")->click();
    ASSERT_EQ(screen->lastRun().envelopes, 1);
    const test::PdfText text = test::readPdf(pdf);
    EXPECT_TRUE(text.find(shown)) << shown.toStdString();
    EXPECT_EQ(shown, "Brown");
}

// "&Select Envelope Setup" is the list's caption with its mnemonic, and
// Printer Setup opens on the paper of the highlighted layout, not on the
// paper of the run before.
TEST_F(EnvelopeWindows, TheListCaptionAndPrinterSetupFollowTheLayout)
{
    screen->chooseSize = [](int) -> std::optional<int> { return 20; };
    screen->runDesigner = [](EnvelopeLayoutRecord&, TEnvelopePanel*) { return true; };
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(envelopes->recordCount(), 1u);
    QLabel* caption = nullptr;
    for (QLabel* l : screen->findChildren<QLabel*>())
        if (l->text() == "&Select Envelope Setup")
            caption = l;
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->buddy(), screen->grid());
    screen->findChild<QPushButton*>("OkButton")->setFocus();
    QTest::keyClick(screen.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(screen->grid()->hasFocus());

    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().SetPaperSize(27, 0, 0);   // DL, from an earlier run
    QString paperShown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* setup = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget())) {
            for (QComboBox* c : setup->findChildren<QComboBox*>())
                if (c->findText(QPageSize(QPageSize::Envelope10).name()) >= 0)
                    paperShown = c->currentText();
            setup->reject();
        }
    });
    answer.start(20);
    screen->findChild<QPushButton*>("PrinterSetupButton")->click();
    EXPECT_EQ(paperShown, QPageSize(QPageSize::Envelope10).name());
}

// An envelope printed without its barcode keeps the status window open,
// naming the record, until Ok.
TEST_F(EnvelopeWindows, TheStatusWindowNamesPiecesWithoutTheirBarcode)
{
    addresses.table().edit();
    addresses.table().setText("CODES", "1234567890");   // a serial too long for the barcode
    addresses.table().post();
    const uint32_t adams = addresses.table().recno();
    storeLayout("Barcoded", {{"TKIntelligentMailBarCode", QRect(384, 336, 282, 15),
                              {{"BarcodeIdentifier", "00"}, {"ServiceType", "040"}, {"MailerIdentifier", "123456"},
                               {"SerialField", "CODES"}, {"ZipCodeField", "ZIP"}}}});
    screen->printerJob().SelectPrinterByName("PDF file");
    screen->printerJob().setPdfFileName(program.folder() + "status.pdf");
    screen->printHooks.confirm = [](TBaseReport&, EnvelopeFeed&) { return true; };
    QString shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* w = qobject_cast<TPrintStatusWindow*>(QApplication::activeModalWidget());
            w && w->loop().ended() && w->statusLabel()->text().contains("barcode")) {
            shown = w->statusLabel()->text();
            w->button()->click();
        }
    });
    answer.start(20);
    screen->findChild<QPushButton*>("PrintButton")->click();
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_TRUE(shown.contains(QString("1 envelope without an Intelligent Mail barcode: %1 Adams").arg(adams)))
        << shown.toStdString();
}

} // namespace
} // namespace qb
