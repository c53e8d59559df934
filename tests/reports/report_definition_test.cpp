// Report definitions: the layout record's fifty values, its sizes as stored,
// the clamping a run applies, report files read and written (and a damaged
// one left alone), the catalogue's save, clone and delete, and which objects
// each band takes.

#include "report_fixture.h"

#include "core/system_tables.h"
#include "design/layout_filer.h"
#include "design/layout_stream.h"
#include "reports/report_catalogue.h"
#include "reports/report_file.h"
#include "reports/report_layout.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QProcess>
#include <QSet>

namespace qb {
namespace {

using design::LayoutReader;
using design::LayoutWriter;

ReportLayout unusual()
{
    ReportLayout l;
    l.setPaper(ReportPaper::A4, true);
    l.marginLeft = 72;
    l.marginTop = 10;
    l.marginRight = 30;
    l.marginBottom = 96;
    l.headerHeight = 60;
    l.detailHeight = 17;
    l.footerHeight = 0;
    l.useMemo = true;
    l.useFooter = true;
    l.memoFont = {"Times New Roman", 12, true, false};
    l.memoAlignment = 2;
    l.defaultFont = {"Courier New", 8, false, true};
    l.frames[kDetailBand] = {true, false, true, true, 3, 40, 0x00FF00};
    l.frames[kFooterBand] = {false, true, false, false, 2, 100, 0x123456};
    return l;
}

TEST(ReportLayoutRecord, FiftyValuesInOrderAndBack)
{
    LayoutWriter w;
    ReportLayout().write(w);
    LayoutReader count(w.bytes());
    int values = 0;
    std::vector<design::LayoutValue> read;
    while (!count.atEnd()) {
        read.push_back(count.readValue());
        ++values;
    }
    EXPECT_EQ(values, 50);
    // A new report: Letter, margins half an inch, bands of 33 pixels, as stored.
    EXPECT_EQ(read[0].integer, 8500);
    EXPECT_EQ(read[1].integer, 11000);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(read[size_t(i)].integer, 500);
    for (int i = 6; i < 9; ++i)
        EXPECT_EQ(read[size_t(i)].integer, 343);

    const ReportLayout original = unusual();
    LayoutWriter w2;
    original.write(w2);
    LayoutReader r(w2.bytes());
    ReportLayout back;
    back.read(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back, original);
}

TEST(ReportLayoutRecord, SizesAndPapers)
{
    // Stored as Trunc(v / 96 x 1000), read as Round(x x 0.096).
    for (int px : {0, 1, 33, 48, 793, 816, 1056, 1121})
        EXPECT_EQ(thousandthsToPixels(pixelsToThousandths(px)), px) << px;
    EXPECT_EQ(pixelsToThousandths(33), 343);
    EXPECT_EQ(thousandthsToPixels(5208), 500);   // 499.968

    ReportLayout l;
    EXPECT_EQ(l.layoutText(), "Letter Size, Portrait");
    l.pageWidth = 1056;
    l.pageHeight = 816;
    EXPECT_EQ(l.paper(), ReportPaper::Letter);
    EXPECT_EQ(l.layoutText(), "Letter Size, Landscape");
    l.setPaper(ReportPaper::A4, false);
    EXPECT_EQ(l.pageWidth, 793);
    EXPECT_EQ(l.pageHeight, 1121);
    EXPECT_EQ(l.layoutText(), "A4 Size, Portrait");
    l.pageWidth = 900;
    EXPECT_EQ(l.paper(), ReportPaper::Other);
}

TEST(ReportLayoutRecord, OutOfRangeValuesAreClampedWhereUsed)
{
    struct Case {
        const char* what;
        std::function<void(ReportLayout&)> change;
        std::function<void(const ReportGeometry&)> check;
    };
    const std::vector<Case> cases{
        {"negative sizes", [](ReportLayout& l) { l.marginLeft = -500; l.headerHeight = -20; l.pageWidth = -1; },
         [](const ReportGeometry& g) {
             EXPECT_EQ(g.left, 0);
             EXPECT_EQ(g.header, 0);
             EXPECT_GE(g.pageWidth, 1);
         }},
        {"bands taller than the page", [](ReportLayout& l) { l.headerHeight = l.detailHeight = 30000; l.useFooter = true; l.footerHeight = 30000; },
         [](const ReportGeometry& g) {
             const double area = g.pageHeight - g.top - g.bottom;
             EXPECT_LE(g.header + g.footer, area + 1e-9);
             EXPECT_LE(g.detail, area);
             EXPECT_EQ(g.notes.size(), 3);
         }},
        {"margins past the page", [](ReportLayout& l) { l.marginLeft = l.marginRight = 2000; l.marginTop = 5000; },
         [](const ReportGeometry& g) {
             EXPECT_GE(g.pageWidth - g.left - g.right, 0.5 - 1e-9);
             EXPECT_GE(g.pageHeight - g.top - g.bottom, 0.5 - 1e-9);
         }},
        {"frames and fonts", [](ReportLayout& l) { l.frames[0].lineWidth = 40; l.frames[1].shadePercent = -5; l.memoFont.size = 0; l.memoAlignment = 9; },
         [](const ReportGeometry& g) {
             EXPECT_EQ(g.frames[0].lineWidth, 3);
             EXPECT_EQ(g.frames[1].shadePercent, 0);
             EXPECT_EQ(g.memoFont.size, 1);
             EXPECT_EQ(g.memoAlignment, 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReportLayout l;
        c.change(l);
        c.check(reportGeometry(l));
    }
}

class ReportFiles : public test::ReportFixture {};

TEST_F(ReportFiles, WrittenReadAndWrittenAgainByteForByte)
{
    text(header, "Club roster", QRect(10, 5, 200, 20));
    put(header, "TKPageNumberLabel", QRect(400, 5, 80, 20));
    field(detail, "LNAME", "Last Name", QRect(0, 0, 150, 20));
    put(detail, "Trpshapes", QRect(200, 0, 40, 20))->setValue("Shape", 4);
    put(footer, "TKDateTimeLabel", QRect(10, 0, 120, 20));
    header->setZoom(1.4f);   // stored at zoom 1.0 whatever the band shows
    const QString first = program.folder() + "sysdata/BIN00001.R";
    const ReportLayout layout = unusual();
    saveReportFile(bands(), layout, first);

    ReportLayout back;
    loadReportFile(&owner, bands(), back, first);
    EXPECT_EQ(back, layout);
    EXPECT_EQ(header->designObjects().size(), 2);
    EXPECT_EQ(detail->designObjects().size(), 2);
    EXPECT_EQ(footer->designObjects().size(), 1);
    const QString second = program.folder() + "sysdata/BIN00002.R";
    saveReportFile(bands(), back, second);
    EXPECT_EQ(design::TKLabelObjectFiler::readFile(first), design::TKLabelObjectFiler::readFile(second));

    // qbtool reads and writes it the same.
    const QString third = program.folder() + "sysdata/BIN00003.R";
    QProcess tool;
    tool.start(QB_QBTOOL, {"layout", "roundtrip", first, third});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(design::TKLabelObjectFiler::readFile(third), design::TKLabelObjectFiler::readFile(first));
}

TEST_F(ReportFiles, DamagedFileStopsWithItsMessageAndIsLeftAsItWas)
{
    text(header, "Title", QRect(10, 5, 200, 20));
    field(detail, "LNAME", "Last Name", QRect(0, 0, 150, 20));
    const QString file = program.folder() + "sysdata/BIN00001.R";
    saveReportFile(bands(), ReportLayout(), file);
    QByteArray bytes = design::TKLabelObjectFiler::readFile(file);
    bytes.chop(30);   // the layout record cut short
    design::TKLabelObjectFiler::writeFile(file, bytes);

    ReportLayout layout = unusual();
    EXPECT_THROW(loadReportFile(&owner, bands(), layout, file), design::LayoutError);
    EXPECT_EQ(layout, unusual());
    for (TReportPanel* p : bands())
        EXPECT_TRUE(p->designObjects().isEmpty());
    EXPECT_EQ(design::TKLabelObjectFiler::readFile(file), bytes);

    // A missing file: empty bands, the layout as it was.
    text(header, "Left over", QRect(0, 0, 50, 20));
    loadReportFile(&owner, bands(), layout, program.folder() + "sysdata/BIN00009.R");
    EXPECT_TRUE(header->designObjects().isEmpty());
    EXPECT_EQ(layout, unusual());
}

TEST_F(ReportFiles, CatalogueSavesClonesAndDeletes)
{
    std::unique_ptr<xbase::Table> rows = openSystemTable(SystemTable::Report, xbase::OpenMode::Exclusive);
    ASSERT_TRUE(rows);
    ReportCatalogue catalogue(*rows);
    EXPECT_FALSE(catalogue.hasCurrent());

    ReportRecord record;
    record.isNew = true;
    record.description = "Phone list";
    text(header, "Phones", QRect(0, 0, 100, 20));
    ASSERT_TRUE(catalogue.save(record, [&](const QString& path) { saveReportFile(bands(), ReportLayout(), path); }));
    EXPECT_EQ(record.fileName, "BIN00001.R");
    ASSERT_TRUE(catalogue.find("PHONE LIST"));
    EXPECT_EQ(catalogue.read().layout, "Letter Size, Portrait");

    log.answer = true;
    ASSERT_TRUE(catalogue.clone());
    EXPECT_EQ(log.messages.back().caption, "CLONE");
    EXPECT_EQ(log.messages.back().text, "Clone \"Phone list\"?");
    ASSERT_TRUE(catalogue.find("Clone of Phone list"));
    const ReportRecord clone = catalogue.read();
    EXPECT_EQ(clone.fileName, "BIN00002.R");
    const QString original = ReportCatalogue::reportPath("BIN00001.R");
    const QByteArray before = design::TKLabelObjectFiler::readFile(original);
    EXPECT_EQ(design::TKLabelObjectFiler::readFile(ReportCatalogue::reportPath(clone.fileName)), before);

    // Changing the clone leaves the original's file alone.
    ReportRecord changed = clone;
    text(footer, "More", QRect(0, 0, 100, 20));
    ASSERT_TRUE(catalogue.save(changed, [&](const QString& path) { saveReportFile(bands(), unusual(), path); }));
    EXPECT_EQ(design::TKLabelObjectFiler::readFile(original), before);

    // A row whose file is gone is deleted all the same.
    ASSERT_TRUE(catalogue.find("Phone list"));
    QFile::remove(original);
    ASSERT_TRUE(catalogue.remove());
    EXPECT_EQ(log.messages.back().text, "Delete \"Phone list\"?");
    EXPECT_FALSE(catalogue.find("Phone list"));
    ASSERT_TRUE(catalogue.find("Clone of Phone list"));
    ASSERT_TRUE(catalogue.remove());
    EXPECT_FALSE(QFileInfo::exists(ReportCatalogue::reportPath(clone.fileName)));
    EXPECT_FALSE(catalogue.hasCurrent());
}

TEST_F(ReportFiles, EachBandTakesOnlyItsObjects)
{
    struct Case {
        TRPanelState tool;
        TReportPanel* band;
        QString refusal;
    };
    TReportPanel memo(rpkMemo, &owner);
    const QString detailOnly = "This object may only be used in the detail band";
    const QString headerOnly = "This object may only be used in the header band";
    const QString headerFooter = "This object may only be used in the header or footer bands";
    const std::vector<Case> cases{
        {psDateTime, header, {}},        {psDateTime, footer, {}},        {psDateTime, detail, headerFooter},
        {psPageNumber, detail, headerFooter}, {psImage, footer, headerOnly}, {psRectangle, footer, {}},
        {psEllipse, detail, {}},         {psLine, header, {}},            {psMultiLineDataLabel, detail,
                                                                            "This object may only be used in the memo band"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.tool));
        QStringList refused;
        c.band->refuse = [&refused](const QString& t) { refused << t; };
        const qsizetype before = c.band->designObjects().size();
        c.band->setPanelState(c.tool);
        c.band->createObject(QRect(10, 10, 5, 5));
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(refused.isEmpty());
            ASSERT_EQ(c.band->designObjects().size(), before + 1);
            // A small drawn box becomes 50 by 15 pixels.
            EXPECT_EQ(c.band->designObjects().back()->objectWidth(), 50);
        } else {
            EXPECT_EQ(refused, QStringList{c.refusal});
            EXPECT_EQ(c.band->designObjects().size(), before);
        }
    }
    EXPECT_EQ(TReportPanel::bandMessage("TKPDLabel", rpkFooter), detailOnly);
    EXPECT_TRUE(TReportPanel::bandMessage("TKPDLabel", rpkDetail).isEmpty());
    // A band that accepts no new objects creates none.
    footer->setAcceptsObjects(false);
    footer->setPanelState(psRectangle);
    const qsizetype before = footer->designObjects().size();
    footer->createObject(QRect(0, 0, 60, 20));
    EXPECT_EQ(footer->designObjects().size(), before);
}

// A file written elsewhere with a data field in the header and a page number
// in the detail band: read, each band keeps only what it may hold, and the
// bands' messages say what was left out.
TEST_F(ReportFiles, ObjectsABandMayNotHoldAreLeftOutWhenRead)
{
    field(header, "LNAME", "Last Name", QRect(0, 0, 100, 20));
    text(header, "Title", QRect(0, 20, 100, 20));
    put(detail, "TKPageNumberLabel", QRect(0, 0, 60, 20));
    field(detail, "LNAME", "Last Name", QRect(0, 0, 100, 20));
    const QString file = program.folder() + "sysdata/BIN00003.R";
    saveReportFile(bands(), ReportLayout{}, file);
    ReportLayout layout;
    const QStringList problems = loadReportFile(&owner, bands(), layout, file);
    EXPECT_EQ(problems, (QStringList{"This object may only be used in the detail band",
                                     "This object may only be used in the header or footer bands"}));
    ASSERT_EQ(header->designObjects().size(), 1);
    EXPECT_EQ(header->designObjects()[0]->designClassName(), "TKPLabel");
    ASSERT_EQ(detail->designObjects().size(), 1);
    EXPECT_EQ(detail->designObjects()[0]->designClassName(), "TKPDLabel");
}

TEST_F(ReportFiles, FuzzSeedsAndRegressionsReadOrFailCleanly)
{
    QStringList files;
    for (const char* dir : {QB_SOURCE_DIR "/fuzz/seeds/report", QB_SOURCE_DIR "/fuzz/regressions/report"})
        for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files))
            files << f.absoluteFilePath();
    ASSERT_FALSE(files.isEmpty());
    QSet<QString> kinds;   // band kind and object class, as read
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        ReportLayout layout;
        try {
            loadReportFile(&owner, bands(), layout, file);
            for (TReportPanel* p : bands())
                for (design::TKGraphicControl* o : p->designObjects()) {
                    EXPECT_TRUE(TReportPanel::bandMessage(o->designClassName(), p->panelKind()).isEmpty());
                    kinds << QString::number(p->panelKind()) + o->designClassName();
                }
            if (layout.useMemo)
                kinds << QStringLiteral("memo");
            const QString out = program.folder() + "out.R";
            saveReportFile(bands(), layout, out);
            ReportLayout back;
            loadReportFile(&owner, bands(), back, out);
            EXPECT_EQ(back, layout);
        } catch (const design::LayoutError&) {
            for (TReportPanel* p : bands())
                EXPECT_TRUE(p->designObjects().isEmpty());
        }
    }
    // The seeds hold every object kind in a band that takes it, and a memo band.
    for (const char* kind : {"0TKPLabel", "0TKDateTimeLabel", "0TKPageNumberLabel", "0TKImage", "1TKPDLabel",
                             "1TKSymbolLabel", "1TKLineShape", "3Trpshapes", "3TKPageNumberLabel", "memo"})
        EXPECT_TRUE(kinds.contains(kind)) << kind;
}

} // namespace
} // namespace qb
