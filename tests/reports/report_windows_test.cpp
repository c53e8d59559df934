// The report windows driven through their widgets: "Print Report" with New,
// Modify, Clone and Delete, the designer with each tool on each band, sizers,
// the layout dialog and Save, the record printout window, and both commands
// from the main window.

#include "report_fixture.h"

#include "core/command.h"
#include "help_topic.h"
#include "core/system_tables.h"
#include "design/layout_filer.h"
#include "design/tkbasepanel.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"
#include "printing/tfileprinter.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"
#include "reports/report_commands.h"
#include "reports/tprintcurrentrecord.h"
#include "reports/treportdesigner.h"
#include "reports/treportlayoutdialog.h"
#include "reports/treportsetup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace qb {
namespace {

// Accepts whatever dialog a tool opens while it is placed, leaving the
// windows under test alone.
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

void drag(QWidget* panel, QPoint from, QPoint to)
{
    QTest::mousePress(panel, Qt::LeftButton, {}, from);
    QTest::mouseMove(panel, (from + to) / 2);
    QTest::mouseMove(panel, to);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
}

class ReportWindows : public test::ReportFixture {
protected:
    void SetUp() override
    {
        test::ReportFixture::SetUp();
        test::addRow(table.table(), {{"LNAME", "Adams"}, {"FNAME", "Ann"}, {"MEMO", "A note"}});
        test::addRow(table.table(), {{"LNAME", "Baker"}, {"FNAME", "Bo"}});
        ready();
        reports = openSystemTable(SystemTable::Report, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(reports);
        screen = std::make_unique<TReportSetup>(*reports, table, false);
        screen->pages()->setCurrentIndex(1);
        screen->show();
    }

    // Runs the designer on the window's record, layout and bands, does act, and saves.
    void design(std::function<void(TReportDesigner&)> act, bool save = true)
    {
        screen->runDesigner = [act, save](ReportRecord& r, ReportLayout& l, const ReportBands& b) {
            TReportDesigner designer(r, l, b, *b[1]->dataset());
            designer.show();
            act(designer);
            if (save)
                designer.SaveButtonClick();
            else
                designer.reject();
            return designer.result() == QDialog::Accepted;
        };
    }
    QPushButton* button(const char* name) const { return screen->findChild<QPushButton*>(name); }

    std::unique_ptr<xbase::Table> reports;
    std::unique_ptr<TReportSetup> screen;
};

TEST_F(ReportWindows, EachToolOnEachBand)
{
    design([&](TReportDesigner& d) {
        d.setBandUsed(kFooterBand, true);
        DialogAnswerer answer({&d, screen.get()});
        struct Tool {
            const char* name;
            std::array<bool, 3> allowed;   // header, detail, footer
        };
        const Tool tools[] = {
            {"TextTool", {true, true, true}},        {"LineTool", {true, true, true}},
            {"ClipArtTool", {true, false, false}},   {"DatabaseFieldTool", {false, true, false}},
            {"DateTimeTool", {true, false, true}},   {"PageNumberTool", {true, false, true}},
            {"SymbolTool", {true, true, true}},      {"RectangleTool", {true, true, true}},
            {"EllipseTool", {true, true, true}},     {"RoundRectangleTool", {true, true, true}},
        };
        const ReportBand bands[] = {kHeaderBand, kDetailBand, kFooterBand};
        for (const Tool& t : tools)
            for (int b = 0; b < 3; ++b) {
                SCOPED_TRACE(std::string(t.name) + " on band " + std::to_string(b));
                TReportPanel* panel = d.band(bands[b]);
                const qsizetype before = panel->designObjects().size();
                d.tool(t.name)->click();
                drag(panel, QPoint(2, 2), QPoint(40, 12));
                QTest::qWait(30);
                EXPECT_EQ(panel->designObjects().size(), before + (t.allowed[size_t(b)] ? 1 : 0));
                // After a drop the selection tool is active again.
                if (t.allowed[size_t(b)]) {
                    EXPECT_TRUE(d.tool("SelectionTool")->isChecked());
                }
                d.tool("SelectionTool")->click();
            }
    });
    button("NewButton")->click();
    ASSERT_TRUE(screen->catalogue().hasCurrent());
    const ReportRecord saved = screen->catalogue().read();
    EXPECT_EQ(saved.description, "<new report>");
    EXPECT_TRUE(QFileInfo::exists(ReportCatalogue::reportPath(saved.fileName)));

    // Reopened, the bands hold what was drawn.
    std::array<qsizetype, 3> counts{};
    design([&](TReportDesigner& d) {
        counts = {d.band(kHeaderBand)->designObjects().size(), d.band(kDetailBand)->designObjects().size(),
                  d.band(kFooterBand)->designObjects().size()};
    }, false);
    button("ModifyButton")->click();
    EXPECT_EQ(counts, (std::array<qsizetype, 3>{9, 7, 8}));
}

// Pasting goes through the band rule as drawing does, whichever way the
// paste comes: Ctrl+V, the panel's menu, or the clipboard a label designer
// filled. A refused object is not added and the band's message is shown.
TEST_F(ReportWindows, PastedObjectsKeepToTheBandRule)
{
    qint64 now = 10000;
    design::setDesignClockForTesting([&now] { return now += 2000; });
    design::registerAllClasses();
    const QString detailOnly = "This object may only be used in the detail band";
    design([&](TReportDesigner& d) {
        d.setBandUsed(kFooterBand, true);
        TReportPanel* header = d.band(kHeaderBand);
        TReportPanel* footer = d.band(kFooterBand);
        field(d.band(kDetailBand), "LNAME", "Last Name", QRect(0, 0, 100, 20));
        d.band(kDetailBand)->clipboardAction(design::TKBasePanel::Copy, d.band(kDetailBand)->designObjects().back());
        struct Paste {
            const char* how;
            TReportPanel* band;
            std::function<void(TReportPanel*)> paste;
        };
        const std::vector<Paste> pastes{
            {"Ctrl+V", header, [](TReportPanel* p) { QTest::keyClick(p, Qt::Key_V, Qt::ControlModifier); }},
            {"menu", footer, [](TReportPanel* p) {
                 for (QAction* a : p->contextMenu()->actions())
                     if (a->text() == "Paste")
                         a->trigger();
             }},
            {"code", header, [](TReportPanel* p) { p->clipboardAction(design::TKBasePanel::Paste); }},
        };
        for (const Paste& c : pastes) {
            SCOPED_TRACE(c.how);
            log.messages.clear();
            c.paste(c.band);
            EXPECT_TRUE(c.band->designObjects().isEmpty());
            EXPECT_EQ(log.texts(), QStringList{detailOnly});
        }
        // The label designer's address block, through the shared clipboard file.
        const design::DesignClass* cls = design::findDesignClass("TKDMultiLineAddressLabel");
        ASSERT_TRUE(cls);
        std::unique_ptr<design::TKGraphicControl> block(cls->create(*cls->table));
        block->loaded();
        design::TKLabelObjectFiler::SaveObject(block.get(), footer->clipboardFile());
        log.messages.clear();
        QTest::keyClick(footer, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(footer->designObjects().isEmpty());
        EXPECT_EQ(log.texts(), QStringList{detailOnly});
        // What the band may hold is pasted.
        text(header, "Title", QRect(0, 0, 80, 20));
        header->clipboardAction(design::TKBasePanel::Copy, header->designObjects().back());
        log.messages.clear();
        QTest::keyClick(footer, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(footer->designObjects().size(), 1);
        EXPECT_TRUE(log.texts().isEmpty());
    }, false);
    button("NewButton")->click();
    design::setDesignClockForTesting({});
}

TEST_F(ReportWindows, NewSavedUnchangedHasTheDefaults)
{
    design([](TReportDesigner& d) {
        EXPECT_EQ(d.layoutCaption(), "Layout: Letter Size, Portrait");
        EXPECT_EQ(d.bandHeight(kHeaderBand), 33);
        EXPECT_FALSE(d.bandCheck(kFooterBand)->isChecked());
    });
    button("NewButton")->click();
    ReportLayout layout;
    loadReportFile(&owner, bands(), layout, ReportCatalogue::reportPath(screen->catalogue().read().fileName));
    EXPECT_EQ(layout, ReportLayout());
    EXPECT_EQ(screen->catalogue().read().layout, "Letter Size, Portrait");
}

TEST_F(ReportWindows, SizersLayoutDialogAndSave)
{
    design([](TReportDesigner& d) {
        // A sizer dragged down 30 pixels; a band dragged to nothing is stored as off.
        auto* sizer = d.findChild<QWidget*>("DetailSizer");
        ASSERT_TRUE(sizer);
        QTest::mousePress(sizer, Qt::LeftButton, {}, QPoint(5, 2));
        QTest::mouseMove(sizer, QPoint(5, 32));
        QTest::mouseRelease(sizer, Qt::LeftButton, {}, QPoint(5, 32));
        EXPECT_EQ(d.bandHeight(kDetailBand), 63);
        d.setBandHeight(kHeaderBand, 0);
        // Bands may not be taller than the page's area together.
        d.setBandHeight(kDetailBand, 5000);
        EXPECT_EQ(d.bandHeight(kDetailBand), 1056 - 96);

        d.chooseLayout = [](ReportLayout& l) {
            TReportLayoutDialog dialog(l);
            dialog.show();
            dialog.findChild<QRadioButton*>("A4Radio")->click();
            dialog.findChild<QRadioButton*>("LandscapeRadio")->click();
            dialog.findChild<QDoubleSpinBox*>("LeftMargin")->setValue(1.0);
            // Clicking the detail band in the miniature opens its tab.
            const QPoint inDetail(40, 48 * 20 / 96 + 4);
            EXPECT_EQ(dialog.miniatureHit(inDetail), int(kDetailBand));
            QTest::mouseClick(dialog.miniature(), Qt::LeftButton, {}, inDetail);
            EXPECT_EQ(dialog.tabs()->currentIndex(), 2);
            dialog.findChild<QCheckBox*>("DetailTop")->setChecked(true);
            dialog.findChild<QComboBox*>("DetailShade")->setCurrentIndex(2);
            dialog.findChild<QPushButton*>("SaveButton")->click();
            l = dialog.layout();
            return true;
        };
        d.findChild<QAction*>("mnuLayout")->trigger();
        EXPECT_EQ(d.layoutCaption(), "Layout: A4 Size, Landscape");
        EXPECT_EQ(d.findChild<QAction*>("mnuLayout")->text(), "Layout: A4 Size, Landscape");
        d.setMemoAlignment(2);
        d.findChild<QLineEdit*>("DescriptionEdit")->setText("Committee");
    });
    button("NewButton")->click();
    ASSERT_TRUE(screen->catalogue().find("Committee"));
    EXPECT_EQ(screen->catalogue().read().layout, "A4 Size, Landscape");
    ReportLayout l;
    loadReportFile(&owner, bands(), l, ReportCatalogue::reportPath(screen->catalogue().read().fileName));
    EXPECT_FALSE(l.useHeader);
    EXPECT_EQ(l.paper(), ReportPaper::A4);
    EXPECT_TRUE(l.landscape());
    EXPECT_EQ(l.marginLeft, 1000);
    EXPECT_TRUE(l.frames[kDetailBand].top);
    EXPECT_EQ(l.frames[kDetailBand].shadePercent, 40);
    EXPECT_EQ(l.memoAlignment, 2);

    // The layout dialog's Defaults.
    TReportLayoutDialog dialog(l);
    dialog.findChild<QPushButton*>("DefaultsButton")->click();
    EXPECT_EQ(dialog.layout().paper(), ReportPaper::Letter);
    EXPECT_FALSE(dialog.layout().landscape());
    EXPECT_EQ(dialog.layout().marginLeft, 500);
    EXPECT_EQ(dialog.layout().frames[kDetailBand], BandFrame());
}

// A margin keeps what was typed: five rounds through "Report Layout", each
// changing something else, leave 0.30 inch as 300 thousandths and "0.30".
TEST_F(ReportWindows, MarginsKeepWhatWasTyped)
{
    ReportLayout l;
    for (int round = 0; round < 5; ++round) {
        TReportLayoutDialog dialog(l);
        dialog.show();
        auto* left = dialog.findChild<QDoubleSpinBox*>("LeftMargin");
        if (round == 0)
            left->setValue(0.30);
        EXPECT_EQ(left->text(), "0.30") << round;
        dialog.findChild<QCheckBox*>("HeaderTop")->click();
        dialog.findChild<QPushButton*>("SaveButton")->click();
        l = dialog.layout();
    }
    EXPECT_EQ(l.marginLeft, 300);
    // And as stored in the report file.
    const QString file = program.folder() + "sysdata/BIN00005.R";
    saveReportFile(bands(), l, file);
    ReportLayout back;
    loadReportFile(&owner, bands(), back, file);
    EXPECT_EQ(back.marginLeft, 300);
}

// Margins that leave no room to print are refused where they are typed, and
// Save never drops objects without asking.
TEST_F(ReportWindows, WideMarginsAreRefusedAndObjectsNeverDroppedInSilence)
{
    {
        TReportLayoutDialog dialog{ReportLayout{}};
        dialog.show();
        dialog.findChild<QDoubleSpinBox*>("LeftMargin")->setValue(4.2);
        dialog.findChild<QDoubleSpinBox*>("RightMargin")->setValue(4.2);
        dialog.findChild<QPushButton*>("SaveButton")->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), int(QDialog::Accepted));
        ASSERT_FALSE(log.texts().isEmpty());
        EXPECT_TRUE(log.texts().back().contains("margins")) << log.texts().back().toStdString();
    }
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        log.messages.clear();
        log.answer = yes;
        qsizetype left = -1;
        bool visible = false;
        design([&](TReportDesigner& d) {
            text(d.band(kHeaderBand), "Far", QRect(600, 2, 80, 20));
            text(d.band(kHeaderBand), "Near", QRect(10, 2, 80, 20));
            d.chooseLayout = [](ReportLayout& l) {
                l.marginLeft = l.marginRight = 3000;   // 2.5 in between them: far beyond the band
                return true;
            };
            d.LayoutClick();
            d.SaveButtonClick();
            visible = d.isVisible();
            left = d.band(kHeaderBand)->designObjects().size();
        }, false);
        button("NewButton")->click();
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].kind, MessageKind::Question);
        EXPECT_EQ(visible, !yes);
        EXPECT_EQ(left, yes ? 1 : 2);
    }
}

TEST_F(ReportWindows, NoBandSelectedStaysOpen)
{
    design([&](TReportDesigner& d) {
        for (ReportBand b : {kHeaderBand, kDetailBand})
            d.bandCheck(b)->click();
        d.SaveButtonClick();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(log.texts().back(), "No report bands are selected. Please select at least one");
        d.reject();
    }, false);
    button("NewButton")->click();
    EXPECT_FALSE(screen->catalogue().hasCurrent());
}

TEST_F(ReportWindows, CloneDeleteAndPreview)
{
    design([](TReportDesigner& d) {
        d.findChild<QLineEdit*>("DescriptionEdit")->setText("Roster");
        auto* check = d.findChild<QCheckBox*>("FooterCheck");
        check->click();
    });
    button("NewButton")->click();
    ASSERT_TRUE(button("CloneButton")->isEnabled());
    log.answer = true;
    button("CloneButton")->click();
    EXPECT_EQ(log.messages.back().caption, "CLONE");
    ASSERT_TRUE(screen->catalogue().find("Clone of Roster"));
    const QString cloneFile = ReportCatalogue::reportPath(screen->catalogue().read().fileName);
    EXPECT_TRUE(QFileInfo::exists(cloneFile));

    // Preview of the selected report through the status window.
    int previews = 0;
    screen->printHooks.runStatus = {};
    screen->printHooks.preview = [&previews](const TPageStream&) { ++previews; };
    screen->findChild<QRadioButton*>("rbQAll")->setChecked(true);
    button("PreviewButton")->click();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(screen->lastRun().records, 2);

    // Print of the built-in list to the PDF printer, without the print dialog.
    screen->pages()->setCurrentIndex(0);
    screen->printDialog = [this](TReportPrinter& job) {
        test::setUpPdfJob(job, program.folder() + "list.pdf");
        return true;
    };
    screen->builtInHooks.runStatus = {};
    button("PrintButton")->click();
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_TRUE(test::readPdf(program.folder() + "list.pdf").find("Adams,"));

    screen->pages()->setCurrentIndex(1);
    ASSERT_TRUE(screen->catalogue().find("Clone of Roster"));
    screen->grid()->setCurrentIndex(screen->grid()->model()->index(0, 0));
    screen->catalogue().find("Clone of Roster");
    log.answer = true;
    const int before = int(screen->grid()->model()->rowCount());
    screen->DeleteButtonClick();
    EXPECT_EQ(log.messages.back().caption, "DELETE");
    EXPECT_EQ(screen->grid()->model()->rowCount(), before - 1);
}

// The status window is captioned for what it does and the preview opens at
// the page's width (the zoom the "Width" button gives).
TEST_F(ReportWindows, StatusCaptionsAndPreviewAtPageWidth)
{
    for (const PrintRunMode mode : {PrintRunMode::Print, PrintRunMode::Preview}) {
        SCOPED_TRACE(int(mode));
        TReportPrinter printerJob;
        test::setUpPdfJob(printerJob, program.folder() + "status.pdf");
        TReportFiler previewJob;
        TBaseReport& job = mode == PrintRunMode::Print ? static_cast<TBaseReport&>(printerJob)
                                                       : static_cast<TBaseReport&>(previewJob);
        QString caption;
        double opened = 0, width = -1;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* status = qobject_cast<TReportStatusWindow*>(w)) {
                caption = status->windowTitle();
                if (status->loop().ended())
                    status->button()->click();
            } else if (auto* preview = qobject_cast<TPreviewForm*>(w); preview && preview->isVisible()) {
                opened = preview->preview()->ZoomFactor();
                preview->findChild<QToolButton*>("sbZoomPageWidth")->click();
                width = preview->preview()->ZoomFactor();
                preview->reject();
            }
        });
        watch.start(20);
        BuiltInReportRequest request;
        request.selection.mode = mode;
        const ReportRunResult r = runBuiltInReport(table, job, request, reportWindowHooks(screen.get(), "TBuiltInReportPrint"));
        EXPECT_EQ(r.outcome, PrintOutcome::Completed);
        EXPECT_EQ(caption, mode == PrintRunMode::Print ? "Print Status" : "Preview Status");
        if (mode == PrintRunMode::Preview) {
            EXPECT_GT(opened, 0);
            EXPECT_DOUBLE_EQ(opened, width);
        }
    }
}

// "Records matching filter" is there to choose only while a filter is set.
TEST_F(ReportWindows, RecordsMatchingFilterOnlyWithAFilter)
{
    for (const bool filterSet : {false, true}) {
        TReportSetup window(*reports, table, filterSet);
        auto* matching = window.findChild<QRadioButton*>("rbQFilter");
        EXPECT_EQ(matching->isEnabled(), filterSet);
        EXPECT_EQ(matching->isChecked(), filterSet);
        EXPECT_EQ(window.findChild<QRadioButton*>("rbQAll")->isChecked(), !filterSet);
    }
}

// The designer keeps header, detail and footer within the page's area when
// the footer is switched on and when the page turns to landscape.
TEST_F(ReportWindows, BandHeightsStayWithinThePageArea)
{
    design([&](TReportDesigner& d) {
        d.setBandHeight(kDetailBand, 5000);   // fills what the header leaves
        const auto sum = [&d] {
            return d.bandHeight(kHeaderBand) + d.bandHeight(kDetailBand) + d.bandHeight(kFooterBand);
        };
        d.findChild<QCheckBox*>("FooterCheck")->click();
        EXPECT_TRUE(d.bandCheck(kFooterBand)->isChecked());
        EXPECT_LE(sum(), 1056 - 96);
        d.chooseLayout = [](ReportLayout& l) {
            TReportLayoutDialog dialog(l);
            dialog.show();
            dialog.findChild<QRadioButton*>("LandscapeRadio")->click();
            dialog.findChild<QPushButton*>("SaveButton")->click();
            l = dialog.layout();
            return true;
        };
        d.findChild<QAction*>("mnuLayout")->trigger();
        EXPECT_EQ(d.layoutCaption(), "Layout: Letter Size, Landscape");
        EXPECT_LE(sum(), 816 - 96);
        EXPECT_GT(d.bandHeight(kDetailBand), 0);
    }, false);
    button("NewButton")->click();
}

// Drawing with a tool in a band it does not serve shows that band rule's
// message (after the beep), not a bare beep.
TEST_F(ReportWindows, ToolInTheWrongBandSaysWhy)
{
    design([&](TReportDesigner& d) {
        struct Case {
            const char* tool;
            ReportBand band;
            const char* message;
        };
        for (const Case& c : {Case{"DatabaseFieldTool", kHeaderBand, "This object may only be used in the detail band"},
                              Case{"ClipArtTool", kDetailBand, "This object may only be used in the header band"},
                              Case{"PageNumberTool", kDetailBand,
                                   "This object may only be used in the header or footer bands"}}) {
            SCOPED_TRACE(c.tool);
            log.messages.clear();
            d.tool(c.tool)->click();
            drag(d.band(c.band), QPoint(2, 2), QPoint(40, 12));
            EXPECT_TRUE(d.band(c.band)->designObjects().isEmpty());
            EXPECT_EQ(log.texts(), QStringList{c.message});
            d.tool("SelectionTool")->click();
        }
    }, false);
    button("NewButton")->click();
}

// Every tab of "Report Layout" shows in full, the Footer tab included.
TEST_F(ReportWindows, LayoutTabsAllShow)
{
    TReportLayoutDialog dialog{ReportLayout{}};
    dialog.show();
    QTest::qWaitForWindowExposed(&dialog);
    QTabBar* bar = dialog.tabs()->tabBar();
    ASSERT_EQ(bar->count(), 5);
    EXPECT_EQ(bar->tabText(4), "Footer");
    for (int i = 0; i < bar->count(); ++i) {
        EXPECT_TRUE(bar->rect().contains(bar->tabRect(i))) << bar->tabText(i).toStdString();
    }
    for (QToolButton* arrow : bar->findChildren<QToolButton*>()) {
        EXPECT_FALSE(arrow->isVisible());
    }
}

// The report windows' Help buttons open their own topics.
TEST_F(ReportWindows, HelpButtonsOpenTheirTopics)
{
    test::ShippedHelp help;
    test::expectHelpTopic(*screen, "1090.html", "Printing reports");
    bool designed = false;
    design([&](TReportDesigner& d) {
        test::expectHelpTopic(d, "1092.html", "Designing a report");
        designed = true;
    }, false);
    button("NewButton")->click();
    EXPECT_TRUE(designed);
    TReportLayoutDialog layout{ReportLayout()};
    layout.show();
    test::expectHelpTopic(layout, "1093.html", "Report layout");
}

TEST_F(ReportWindows, RecordPrintoutWindowAndCommands)
{
    TPrintCurrentRecord window(table);
    window.show();
    window.findChild<QCheckBox*>("AllCheck")->click();
    for (bool on : window.checked())
        EXPECT_FALSE(on);
    window.box("Last")->setChecked(true);
    test::setUpPdfJob(window.printerJob(), program.folder() + "record.pdf");
    window.printHooks.runStatus = {};
    window.findChild<QPushButton*>("PrintButton")->click();
    const test::PdfText text = test::readPdf(program.folder() + "record.pdf");
    EXPECT_TRUE(text.find("Adams"));
    EXPECT_FALSE(text.find("Ann"));

    // Both commands are on the main window's command table.
    CommandRegistry registry;
    registerReportCommands(registry);
    EXPECT_TRUE(registry.find("mnuPrintReports"));
    EXPECT_EQ(registry.find("mnuPrintReports")->button, "ReportsButton");
    EXPECT_TRUE(registry.find("mnuPrintCurrentRecord"));
}

} // namespace
} // namespace qb
