// Every kind written to a layout file and read back through the filer: values
// other than the defaults come back, and a default object writes none of the
// properties whose declared default it holds.

#include "design_fixture.h"

#include "design/layout_filer.h"
#include "design/tkimage.h"

#include <QFile>

#include <string_view>

using namespace qb::design;
using namespace qb::design::test;

namespace {

struct Kind {
    const char* className;
    std::vector<std::pair<const char*, QVariant>> changes;   // values other than the defaults
};

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> k = {
        {"TKPLabel", {{"Caption", "Hello"}, {"Angle", 90}, {"DepthShadow", 3}, {"BorderStyle", 1}, {"Transparent", false}}},
        {"TKPDLabel", {{"DataFieldName", "LNAME"}, {"DataFieldDescript", "Last Name"}, {"Alignment", 2}}},
        {"TKCounterLabel", {{"Startingnumber", 1000}, {"RepeatEach", 3}, {"LeadingZeros", 4}, {"TextBefore", "#"}}},
        {"TKSymbolLabel", {{"Caption", "J"}, {"DirectionHighlight", 1}}},
        {"TKDateTimeLabel", {{"DateFormat", 2}, {"TimeFormat", 1}}},
        {"TKPageNumberLabel", {{"colorShadow", QVariant::fromValue(0x0000FFu)}}},
        {"TKMultiLineLabel", {{"Items.Strings", QStringList{"one", "two"}}, {"WordWrap", true}, {"Alignment", 1}}},
        {"TKDMultiLineLabel", {{"DataFieldName", "MEMO"}, {"DataFieldDescript", "MEMO"}}},
        {"TKDMultiLineAddressLabel", {{"UsePhone", true}, {"ZipOptions", 2}, {"UpperCase", true}, {"UseTitle", false}}},
        {"TKPostNetBarCode", {{"ZipCodeField", "ZIP"}, {"AddressField", "STREET"}, {"BarCodeType", 0}}},
        {"TKFIMBarCode", {{"FIMType", 2}}},
        {"TKIntelligentMailBarCode", {{"BarcodeIdentifier", "00"}, {"ServiceType", "040"}, {"MailerIdentifier", "123456"},
                                      {"SerialStart", "41"}, {"SerialField", "CODES"}, {"ZipCodeField", "ZIP"},
                                      {"AddressField", "STREET"}, {"BarCodeType", 1}}},
        {"TKImage", {{"BorderStyle", 1}, {"Flip", true}, {"Reverse", true}}},
        {"TKLabelShapes", {{"Shape", 2}, {"RoundPerc", 40}, {"Pen.Width", 3}, {"Brush.Color", QVariant::fromValue(0x00FF00u)}}},
        {"Trpshapes", {{"Shape", 4}, {"Transparent", true}, {"Pen.Style", 2}}},
        {"TKLineShape", {{"LineStyle", 3}, {"Pen.Width", 5}, {"Pen.Color", QVariant::fromValue(0xFF0000u)}}},
    };
    return k;
}

class KindsRoundTrip : public DesignFixture {};

} // namespace

TEST_F(KindsRoundTrip, EveryKindComesBackAsItWasWritten)
{
    registerReportPanelClasses();
    registerEnvelopePanelClasses();
    for (const Kind& k : kinds()) {
        panel->clearObjects();
        TKGraphicControl* o = place(k.className, QRect(12, 34, 56, 78));
        // Each kind is made by its own class, not the plain base.
        ASSERT_NE(QByteArray(o->metaObject()->className()), QByteArray("qb::design::TKGraphicControl")) << k.className;
        for (const auto& [path, v] : k.changes)
            o->setValue(path, v);
        if (auto* image = qobject_cast<TKImage*>(o)) {
            QImage red(4, 3, QImage::Format_RGB32);
            red.fill(Qt::red);
            image->setPicture(qb::image::Picture::fromImage(red));
        }
        const QRect bounds = o->bounds();
        TKLabelObjectFiler::SavePanel(panel, file("kind.L"));
        panel->clearObjects();
        TKLabelObjectFiler::LoadPanel(owner.get(), panel, file("kind.L"));
        const QList<TKGraphicControl*> read = panel->designObjects();
        ASSERT_EQ(read.size(), 1) << k.className;
        TKGraphicControl* back = read[0];
        EXPECT_EQ(back->designClassName(), k.className);
        EXPECT_EQ(back->bounds(), bounds) << k.className;
        for (const auto& [path, v] : k.changes)
            EXPECT_EQ(back->value(path), v) << k.className << " " << path;
        if (auto* image = qobject_cast<TKImage*>(back)) {
            EXPECT_EQ(image->decoded().size(), QSize(4, 3));
            EXPECT_TRUE(image->boolValue("Stretch"));   // the pair was not forced while reading
        }
    }
}

TEST_F(KindsRoundTrip, DefaultsAreLeftOutOfTheFile)
{
    registerReportPanelClasses();
    registerEnvelopePanelClasses();
    for (const char* name : {"TKPLabel", "TKCounterLabel", "TKDMultiLineAddressLabel", "TKPostNetBarCode", "TKImage",
                             "TKLabelShapes", "TKLineShape", "TKFIMBarCode"}) {
        panel->clearObjects();
        place(name, QRect(0, 0, 40, 30));
        TKLabelObjectFiler::SavePanel(panel, file("defaults.L"));
        QFile f(file("defaults.L"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const char* path : {"Alignment", "DepthShadow", "Angle", "Pen.Width", "Pen.Color", "Brush.Style",
                                 "RoundPerc", "LineStyle", "Stretch", "WordWrap", "Picture.Data", "Tag"})
            EXPECT_FALSE(bytes.contains(QByteArray(1, char(qstrlen(path))) + path)) << name << " wrote " << path;
    }
}

// A panel holding one object of every kind, each with values other than its
// defaults, is written exactly as tests/data/design/all_kinds_written.L: a new
// kind or a change to the writer must leave the files of the kinds users
// already have as they were. (QB_UPDATE_GOLDEN=1 writes the file afresh, for
// a deliberate change of the format.)
TEST_F(KindsRoundTrip, LayoutsOfTheExistingKindsAreWrittenByteForByteAsBefore)
{
    registerReportPanelClasses();
    registerEnvelopePanelClasses();
    panel->clearObjects();
    int y = 0;
    for (const Kind& k : kinds()) {
        if (k.className == std::string_view("TKIntelligentMailBarCode"))
            continue;   // newer than the file
        TKGraphicControl* o = place(k.className, QRect(4, y, 40, 20));
        y += 24;
        for (const auto& [path, v] : k.changes)
            o->setValue(path, v);
    }
    TKLabelObjectFiler::SavePanel(panel, file("all.L"));
    QFile written(file("all.L"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    const QString golden = QStringLiteral(QB_SOURCE_DIR "/tests/data/design/all_kinds_written.L");
    if (qEnvironmentVariableIsSet("QB_UPDATE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QFile expected(golden);
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << golden.toStdString();
    EXPECT_EQ(bytes.toHex().toStdString(), expected.readAll().toHex().toStdString());
}
