// Pictures, shapes, lines and the barcode objects on the screen: the picture
// dialog's loading and its messages, auto-size, the shapes' transparent brush,
// the line and corner geometry, the fixed barcode boxes.

#include "design_fixture.h"
#include "message_log.h"

#include "design/tkimage.h"
#include "design/tkimagebrowser.h"
#include "design/tklabelshapes.h"
#include "design/tkpostnetbarcode.h"

#include <QFile>

using namespace qb::design;
using namespace qb::design::test;

namespace {

class KindsGraphics : public DesignFixture {
protected:
    QString writeFile(const char* name, const QByteArray& bytes)
    {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return file(name);
    }
};

} // namespace

TEST_F(KindsGraphics, PictureDialogLoadsPreviewsAndReportsOnlyItsOwnFormats)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(file("good.bmp")));
    const QString badBmp = writeFile("bad.bmp", "BM not a bitmap at all");
    const QString badPcx = writeFile("bad.pcx", "\x0A\x05 damaged");

    qb::test::MessageLog log;
    TKImageBrowser browser;
    browser.selectFile(file("good.bmp"));
    EXPECT_EQ(browser.previewPicture().kind(), qb::image::Picture::Kind::Bitmap);
    EXPECT_EQ(browser.previewPicture().size(), QSize(40, 30));
    browser.selectFile(badBmp);
    EXPECT_TRUE(browser.previewPicture().isEmpty());
    EXPECT_EQ(log.texts(), QStringList{"Error loading file!"});
    browser.selectFile(badPcx);
    EXPECT_TRUE(browser.previewPicture().isEmpty());
    EXPECT_EQ(log.texts().size(), 1);   // other formats fail quietly

    browser.setStretch(true);
    browser.setAutoSize(true);
    EXPECT_FALSE(browser.stretch());
    EXPECT_TRUE(TKImageBrowser::fileMask().contains("*.PCX"));
}

TEST_F(KindsGraphics, AutoSizeFitsTheBoxToThePictureAndStretchIsItsOpposite)
{
    auto* image = static_cast<TKImage*>(place("TKImage", QRect(10, 10, 105, 105)));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    image->setPicture(qb::image::Picture::fromImage(picture));
    EXPECT_EQ(image->bounds(), QRect(10, 10, 105, 105));   // stretched: the box stays
    image->setValue("AutoSize", true);
    EXPECT_FALSE(image->stretch());
    image->setBounds(12, 10, 105, 105);
    EXPECT_EQ(image->bounds(), QRect(12, 10, 40, 30));
    image->setValue("Stretch", true);
    EXPECT_FALSE(image->autoSize());
    image->setZoom(1.5f);
    image->setValue("AutoSize", true);
    image->setBounds(image->bounds());
    image->setBounds(image->left() + 1, image->top(), 10, 10);
    EXPECT_EQ(image->bounds().size(), QSize(60, 45));
}

TEST_F(KindsGraphics, ShapeAndLineGeometryOnTheScreen)
{
    auto* shape = static_cast<TKLabelShapes*>(place("TKLabelShapes", QRect(0, 0, 100, 50)));
    shape->setValue("Shape", 2);
    EXPECT_EQ(shape->screenCorner(), 25);
    shape->setValue("Transparent", true);
    EXPECT_EQ(shape->intValue("Brush.Style"), 1);
    shape->setValue("Brush.Style", 0);
    EXPECT_FALSE(shape->boolValue("Transparent"));
    shape->setValue("Pen.Width", 3);
    EXPECT_EQ(shape->outlineRect(), edges(1, 1, 99, 49));

    auto* line = static_cast<TKLineShape*>(place("TKLineShape", QRect(0, 0, 200, 10)));
    EXPECT_EQ(line->screenLine(), QLine(0, 0, 200, 0));
    line->setValue("Pen.Width", 4);
    EXPECT_EQ(line->screenLine(), QLine(2, 2, 199, 2));
    line->setValue("LineStyle", 2);
    EXPECT_EQ(line->screenLine(), QLine(200, 0, 0, line->objectHeight()));   // corner to corner, whatever the pen
    line->setValue("LineStyle", 0);
    line->stretchToEdges();
    EXPECT_EQ(line->bounds(), QRect(0, 0, panel->width(), line->objectHeight()));
    line->setValue("LineStyle", 3);
    line->setBounds(5, 5, 20, 20);
    line->stretchToEdges();
    EXPECT_EQ(line->bounds(), QRect(5, 5, 20, 20));
}

TEST_F(KindsGraphics, BarcodeBoxesKeepTheirSize)
{
    auto* postnet = place("TKPostNetBarCode", QRect(0, 0, 50, 50));
    auto* fim = place("TKFIMBarCode", QRect(100, 0, 10, 10));
    QImage sink(panel->size(), QImage::Format_RGB32);
    panel->render(&sink);
    EXPECT_EQ(postnet->bounds().size(), QSize(270, 16));
    EXPECT_EQ(fim->bounds().size(), QSize(60, 60));
    panel->setZoom(2.0f);
    panel->render(&sink);
    EXPECT_EQ(postnet->bounds().size(), QSize(540, 32));
}
