#include "labels/label_stock.h"

#include "platform/xbase/table.h"

#include <QImage>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(LabelStock, NewLayoutStock)
{
    const LabelStock s = LabelStock::newLayout();
    EXPECT_EQ(s.templateName, "Avery 5160  Address");
    EXPECT_EQ(s.horizontalPitch, 2.765);
    EXPECT_EQ(s.verticalPitch, 1.01);
    EXPECT_EQ(s.positions(), 30);
    EXPECT_FALSE(s.landscape());
}

TEST(LabelStock, LabelOriginsWithMiddleGaps)
{
    LabelStock s;
    s.leftMargin = 0.25;
    s.topMargin = 0.5;
    s.horizontalPitch = 2.0;
    s.verticalPitch = 1.0;
    s.middleExtraX = 0.5;
    s.middleExtraY = 0.25;
    const struct {
        int across, down, row, column;
        QPointF origin;
    } cases[] = {
        {3, 10, 0, 0, {0.25, 0.5}},
        {3, 10, 0, 1, {2.75, 0.5}},    // 3 div 2 = 1: the gap starts at the second column
        {3, 10, 4, 2, {4.75, 4.5}},
        {3, 10, 5, 0, {0.25, 5.75}},   // 10 div 2 = 5
        {4, 10, 0, 1, {2.25, 0.5}},    // 4 div 2 = 2: the first two columns have none
        {4, 10, 0, 2, {4.75, 0.5}},
    };
    for (const auto& c : cases) {
        s.across = c.across;
        s.down = c.down;
        EXPECT_EQ(s.labelOrigin(c.row, c.column), c.origin) << c.across << " " << c.row << "," << c.column;
    }
    s.middleExtraX = -1;   // 0 or less: no gap
    EXPECT_EQ(s.labelOrigin(0, 3).x(), 6.25);
}

TEST(LabelStock, CatalogueFilter)
{
    EXPECT_EQ(catalogueFilter("Avery Laserjet", "Card Products", false),
              R"( UPPER(manufac)="AVERY"  and  UPPER(printer)="LJ"  and  UPPER(PRODTYPE)="CARD PRODUCTS" )");
    EXPECT_EQ(catalogueFilter("Costar LabelPrinter", "All", true),
              R"( UPPER(manufac)="COSTAR"  and  UPPER(printer)="LP"  and  ("A4"$UPPER(PAPERSIZE) OR "A5"$UPPER(PAPERSIZE)))");
    EXPECT_EQ(catalogueFilter("", "Address/Shipping Labels", false),
              R"( UPPER(PRODTYPE)="ADDRESS/SHIPPING LABELS" )");
    EXPECT_EQ(catalogueFilter("", "All", false), "");
}

TEST(LabelStock, TemplateDialogStart)
{
    LabelStock user;
    user.makeUserDefined();
    LabelStock nebs;
    nebs.manufacturer = "NEBS";
    nebs.printer = "DM";
    nebs.productType = "index products";
    LabelStock inkjet;
    inkjet.printer = "IJ";
    inkjet.productType = "SOMETHING ELSE";
    const struct {
        LabelStock stock;
        bool fresh;
        TemplateStart start;
    } cases[] = {
        {user, false, {"AVERY LASERJET", "Address/Shipping Labels", false}},
        {nebs, false, {"NEBS DOT MATRIX", "Index Products", true}},   // no such entry: none selected
        {inkjet, false, {"AVERY INKJET", "All", true}},
        {inkjet, true, {"AVERY LASERJET", "Address/Shipping Labels", false}},
    };
    for (const auto& c : cases) {
        const TemplateStart s = templateStart(c.stock, c.fresh);
        EXPECT_EQ(s.manufacturerEntry, c.start.manufacturerEntry);
        EXPECT_EQ(s.productType, c.start.productType);
        EXPECT_EQ(s.findTemplate, c.start.findTemplate);
    }
}

TEST(LabelStock, EditorChecks)
{
    const auto with = [](auto change) {
        LabelStock s;
        change(s);
        return stockEditorCheck(s);
    };
    EXPECT_EQ(with([](LabelStock&) {}), std::nullopt);
    EXPECT_EQ(with([](LabelStock& s) { s.across = 1, s.horizontalPitch = 0; }), std::nullopt);
    EXPECT_EQ(with([](LabelStock& s) { s.down = 1, s.verticalPitch = 0; }), std::nullopt);
    EXPECT_EQ(with([](LabelStock& s) { s.labelHeight = 0.29; }), "Label Height must be at least .3 inches (or 7mm)");
    EXPECT_EQ(with([](LabelStock& s) { s.labelWidth = 0.4; }), "Label Width must be at least .5 inch (or 13mm)");
    EXPECT_EQ(with([](LabelStock& s) { s.horizontalPitch = 2.6; }), "Horizontal Pitch must be at least = Label Width");
    EXPECT_EQ(with([](LabelStock& s) { s.verticalPitch = 0.9; }), "Vertical Pitch must be at least = Label Height");
    EXPECT_EQ(with([](LabelStock& s) { s.sheetWidth = 0.2; }), "Page Width must be at least .3 inch");
    EXPECT_EQ(with([](LabelStock& s) { s.sheetDepth = 0.2; }), "Page Height must be at least .3 inches");
    EXPECT_EQ(millimetresToInches(50.8), 2.0);
    EXPECT_EQ(millimetresToInches(13), 0.512);
}

TEST(LabelStock, PaperTable)
{
    const PaperEntry* a4l = paperEntry("a4l");
    ASSERT_NE(a4l, nullptr);
    EXPECT_STREQ(a4l->caption, "A4 Landscape ( 297 x 210mm)");
    EXPECT_EQ(a4l->widthMm, 296.926);
    EXPECT_EQ(a4l->heightInches, 8.27);
    EXPECT_TRUE(a4l->landscape);
    EXPECT_EQ(paperTable().size(), 7u);
    EXPECT_EQ(paperEntry("B5"), nullptr);
}

TEST(LabelStock, ShippedCatalogueAnswersTheFilters)
{
    auto catalogue = xbase::Table::open(QB_PROGRAM_DIR "/sysdata/LBLTPL.DBF", xbase::OpenMode::ReadOnly);
    for (const QString& entry : kManufacturerEntries)
        EXPECT_GT(catalogue->count(catalogueFilter(entry, "All", false).toStdString()), 0u) << entry.toStdString();
    EXPECT_GT(catalogue->count(catalogueFilter("Avery Laserjet", "Address/Shipping Labels", false).toStdString()), 0u);
    EXPECT_GT(catalogue->count(catalogueFilter("Avery Laserjet", "All", true).toStdString()), 0u);
}

TEST(LabelStock, PictureDrawnFromTheGeometry)
{
    const QImage picture = stockPicture(LabelStock::newLayout(), QSize(170, 220));
    // 8.5 x 11 inches at 19.45 pixels an inch: the first label's middle is light blue, the margin white.
    const double scale = 216.0 / 11.0;
    const QPointF at((170 - 8.5 * scale) / 2, 2);
    EXPECT_EQ(picture.pixelColor((at + QPointF(1.5, 1.0) * scale).toPoint()), QColor(235, 240, 250));
    EXPECT_EQ(picture.pixelColor((at + QPointF(0.1, 0.2) * scale).toPoint()), QColor(Qt::white));
}

} // namespace
} // namespace qb
