// A label with one object of every kind, drawn on the screen at a fixed size
// with fixed fonts, compared with the reviewed picture in
// tests/data/design/kinds_reference.png. QB_UPDATE_REFERENCE=1 writes a new
// picture instead (look at it before committing it).

#include "design_fixture.h"

#include "design/tkbaselabel.h"
#include "design/tkimage.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"

#include <QPainter>

using namespace qb::design;
using namespace qb::design::test;

namespace {

const QString kReference = QStringLiteral(QB_TEST_DATA "/design/kinds_reference.png");

class KindsRender : public DesignFixture {};

// Pixels whose colour differs by more than a little in any channel.
int differingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 48 || std::abs(qGreen(p) - qGreen(q)) > 48 || std::abs(qBlue(p) - qBlue(q)) > 48)
                ++n;
        }
    return n;
}

} // namespace

TEST_F(KindsRender, EveryKindDrawsAsInTheReviewedPicture)
{
    registerEnvelopePanelClasses();
    TKDateTimeLabel::setClockForTesting([] { return QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9)); });
    panel->setGeometry(0, 0, 480, 320);
    panel->setDrawOutline(true);
    panel->setShape(lsRectangle);
    const auto set = [](TKGraphicControl* o, std::initializer_list<std::pair<const char*, QVariant>> values) {
        for (const auto& [path, v] : values)
            o->setValue(path, v);
        return o;
    };
    set(place("TKPLabel", QRect(8, 8, 142, 20)), {{"Caption", "Plain text"}, {"DepthShadow", 2}});
    set(place("TKPLabel", QRect(8, 36, 142, 20)),
        {{"Caption", "Boxed"}, {"BorderStyle", 1}, {"Transparent", false}, {"BackColor", QVariant::fromValue(0x00FFFFu)}});
    set(place("TKPLabel", QRect(160, 8, 20, 100)), {{"Caption", "Up"}, {"Angle", 90}});
    set(place("TKPDLabel", QRect(8, 64, 142, 20)), {{"DataFieldDescript", "Last Name"}});
    set(place("TKCounterLabel", QRect(8, 92, 142, 20)), {{"Startingnumber", 7}, {"LeadingZeros", 3}});
    set(place("TKSymbolLabel", QRect(200, 8, 40, 40)), {{"Caption", "J"}});
    set(place("TKDateTimeLabel", QRect(8, 120, 142, 20)), {{"DateFormat", 1}, {"TimeFormat", 0}});
    place("TKPageNumberLabel", QRect(8, 148, 60, 20));
    auto* block = static_cast<TKMultiLineLabel*>(place("TKMultiLineLabel", QRect(250, 8, 190, 40)));
    block->setItems({"Two lines", "of text"});
    place("TKDMultiLineAddressLabel", QRect(250, 56, 190, 20));
    place("TKDMultiLineLabel", QRect(250, 84, 190, 20));
    place("TKPostNetBarCode", QRect(8, 180, 270, 16));
    place("TKFIMBarCode", QRect(400, 200, 60, 60));
    set(place("TKLabelShapes", QRect(300, 120, 60, 40)), {{"Brush.Color", QVariant::fromValue(0x0000FFu)}});
    set(place("TKLabelShapes", QRect(370, 120, 60, 40)), {{"Shape", 2}, {"Pen.Width", 3}});
    set(place("TKLabelShapes", QRect(300, 200, 80, 50)), {{"Shape", 4}, {"Transparent", true}});
    set(place("TKLineShape", QRect(8, 210, 200, 10)), {{"Pen.Width", 4}});
    set(place("TKLineShape", QRect(220, 200, 60, 60)), {{"LineStyle", 3}});
    QImage quarters(20, 20, QImage::Format_RGB32);
    quarters.fill(Qt::blue);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            quarters.setPixel(x, y, qRgb(255, 0, 0));
    auto* image = static_cast<TKImage*>(set(place("TKImage", QRect(8, 240, 60, 60)), {{"Reverse", true}}));
    image->setPicture(qb::image::Picture::fromImage(quarters));
    place("TKImage", QRect(80, 240, 60, 60));   // no picture yet
    panel->setDisplayDataValues(false);
    for (TKGraphicControl* o : panel->designObjects())
        o->showData();

    QImage drawn(panel->size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    panel->render(&drawn);
    TKDateTimeLabel::setClockForTesting({});

    if (qEnvironmentVariableIsSet("QB_UPDATE_REFERENCE")) {
        ASSERT_TRUE(drawn.save(kReference));
        GTEST_SKIP() << "wrote " << kReference.toStdString();
    }
    const QImage reference = QImage(kReference).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull()) << "no reference picture " << kReference.toStdString();
    ASSERT_EQ(reference.size(), drawn.size());
    // A little room for font rendering that differs between builds.
    EXPECT_LE(differingPixels(drawn, reference), drawn.width() * drawn.height() / 200);
}
