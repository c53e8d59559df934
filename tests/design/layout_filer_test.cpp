// Layout files: the bytes of a saved object, every class's table round-trips,
// names given when reading, pictures, and damaged files.

#include "design_fixture.h"

#include "design/layout_filer.h"
#include "design/layout_picture.h"
#include "disk_full.h"
#include "message_log.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

using namespace qb::design;
using namespace qb::design::test;

namespace {

class LayoutFiler : public DesignFixture {
protected:
    void SetUp() override
    {
        DesignFixture::SetUp();
        usePlainObjects();
    }
    QByteArray readAll(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void writeAll(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
    // Reads bytes as a layout file into the panel; the error message or empty.
    QString load(const QByteArray& bytes)
    {
        writeAll(file("in.L"), bytes);
        try {
            panel->loadFromFile(file("in.L"));
        } catch (const LayoutError& e) {
            return e.message();
        }
        return {};
    }
    // One object record with the given property entries (already encoded).
    static QByteArray record(const char* cls, const QByteArray& properties, const char* name = "Special1")
    {
        return Bytes().raw("TPF0").str(cls).str(name).raw(properties).hex("0000");
    }
    static QByteArray list(const QByteArray& records) { return Bytes().hex("01").raw(records).hex("00"); }
};

QByteArray smallBmp()
{
    QImage image(3, 2, QImage::Format_RGB888);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "BMP");
    return bytes;
}

} // namespace

TEST_F(LayoutFiler, TheExampleLabelIsWrittenByteForByte)
{
    TKGraphicControl* label = place("TKPLabel", QRect(10, 20, 142, 33));
    ASSERT_EQ(label->objectName(), QStringLiteral("Special1"));
    panel->saveToFile(file("BIN00001.L"));

    const QByteArray expected = list(Bytes()
                                         .raw("TPF0").str("TKPLabel").str("Special1")
                                         .str("Left").hex("020A").str("Top").hex("0214")
                                         .str("Width").hex("038E00").str("Height").hex("0221")
                                         .str("Locked").hex("08").str("Unselectable").hex("08")
                                         .str("Caption").hex("06").str("Text")
                                         .str("Font.Color").hex("07").str("clBlack")
                                         .str("Font.Height").hex("02F3")
                                         .str("Font.Name").hex("06").str("Arial")
                                         .str("Font.Style").hex("0B00")
                                         .str("Transparent").hex("09")
                                         .str("BackColor").hex("07").str("clWhite")
                                         .str("BorderStyle").hex("07").str("bsNone")
                                         .hex("0000"));
    EXPECT_EQ(readAll(file("BIN00001.L")).toHex(' '), expected.toHex(' '));
}

TEST_F(LayoutFiler, AnEmptyPanelIsTwoBytes)
{
    panel->saveToFile(file("empty.L"));
    EXPECT_EQ(readAll(file("empty.L")), QByteArray::fromHex("0100"));
}

TEST_F(LayoutFiler, EveryClassRoundTripsWithChangedProperties)
{
    // Each class with every property moved off its creation value.
    const LayoutPicture picture = LayoutPicture::fromImage(QImage::fromData(smallBmp()));
    for (const QString& name : builtinClassNames()) {
        panel->clearObjects();
        TKGraphicControl* o = place(name.toLatin1().constData(), QRect(5, 6, 70, 40));
        for (const PropertyDef& d : o->classTable().properties) {
            switch (d.type) {
            case PropType::Integer: o->setValue(d.path, 300 + int(d.path.size())); break;
            case PropType::Bool: o->setValue(d.path, !o->boolValue(d.path)); break;
            case PropType::String: o->setValue(d.path, d.path + QString(260, QLatin1Char('z'))); break;
            case PropType::Enum: o->setValue(d.path, int(d.names->values.size()) - 1); break;
            case PropType::Colour: o->setValue(d.path, QVariant::fromValue(0x123456u)); break;
            case PropType::Cursor: o->setValue(d.path, -21); break;
            case PropType::Set: o->setValue(d.path, QVariant::fromValue(0b1011u)); break;
            case PropType::Real: o->setValue(d.path, 1.25); break;
            case PropType::StringList: o->setValue(d.path, QStringList{"one", "", "three"}); break;
            case PropType::Picture: o->setValue(d.path, QVariant::fromValue(picture)); break;
            }
        }
        o->setObjectName(QStringLiteral("Component0"));   // the name it reads back with
        std::vector<QVariant> before;
        for (const PropertyDef& d : o->classTable().properties)
            before.push_back(o->value(d.path));
        panel->saveToFile(file("all.L"));
        const QByteArray first = readAll(file("all.L"));
        panel->clearObjects();
        panel->loadFromFile(file("all.L"));
        ASSERT_EQ(panel->designObjects().size(), 1) << name.toStdString();
        TKGraphicControl* back = panel->designObjects()[0];
        EXPECT_EQ(back->designClassName(), name);
        for (size_t i = 0; i < before.size(); ++i) {
            const PropertyDef& d = back->classTable().properties[i];
            if (d.type == PropType::Picture)
                EXPECT_EQ(back->value(d.path).value<LayoutPicture>(), picture);
            else
                EXPECT_EQ(back->value(d.path), before[i]) << name.toStdString() << " " << d.path.toStdString();
        }
        panel->saveToFile(file("again.L"));
        EXPECT_EQ(readAll(file("again.L")), first) << name.toStdString();
    }
}

TEST_F(LayoutFiler, ObjectsReadGetTheFirstFreeComponentName)
{
    auto* taken = new QObject(owner.get());
    taken->setObjectName(QStringLiteral("Component0"));
    const QByteArray rec = record("TKLineShape", Bytes().str("Left").hex("0205"), "Whatever7");
    EXPECT_EQ(load(list(rec + rec)), QString());
    const auto objects = panel->designObjects();
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0]->objectName(), QStringLiteral("Component1"));
    EXPECT_EQ(objects[1]->objectName(), QStringLiteral("Component2"));
    EXPECT_EQ(objects[0]->left(), 5);
}

TEST_F(LayoutFiler, AFontHeightOfMinus13IsTenPoints)
{
    EXPECT_EQ(load(list(record("TKPLabel", Bytes().str("Font.Height").hex("02F3")))), QString());
    TKGraphicControl* o = panel->designObjects()[0];
    EXPECT_EQ(fontPointsFromHeight(o->intValue("Font.Height")), 10);
    EXPECT_EQ(o->objectFont().pixelSize(), 13);
}

TEST_F(LayoutFiler, PrefixedRecordsAndLenientValuesAreRead)
{
    // A prefix with a child position, an identifier in another case, a colour as
    // a number, a boolean as an identifier, a set in any order.
    const QByteArray first = record("TKLabelShapes", Bytes().str("Shape").hex("07").str("STELLIPSE"));
    const QByteArray second = Bytes()
                                  .raw("TPF0").hex("F2").hex("0200").str("tkplabel").str("X")
                                  .str("Font.Color").hex("0400FF0000")
                                  .str("Transparent").hex("07").str("false")
                                  .str("Font.Style").hex("0B").str("fsItalic").str("FSBOLD").hex("00")
                                  .hex("0000");
    EXPECT_EQ(load(list(first + second)), QString());
    const auto objects = panel->designObjects();
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0]->designClassName(), QStringLiteral("TKPLabel"));   // child position 0
    EXPECT_EQ(objects[0]->value("Font.Color").toUInt(), 0xFF00u);
    EXPECT_FALSE(objects[0]->boolValue("Transparent"));
    EXPECT_EQ(objects[0]->value("Font.Style").toUInt(), 3u);
    EXPECT_EQ(objects[1]->intValue("Shape"), 4);
}

TEST_F(LayoutFiler, DamagedFilesStopWithTheSystemMessagesAndKeepWhatWasRead)
{
    const QByteArray good = record("TKPLabel", Bytes().str("Left").hex("0203"));
    const struct {
        QByteArray tail;
        const char* message;
    } cases[] = {
        {Bytes().raw("TPX0").str("TKPLabel").str("A").hex("0000"), "Invalid stream format"},
        {Bytes().raw("TPF0").str("TKNothing").str("A").hex("0000"), "Class TKNothing not found"},
        {record("TKPLabel", Bytes().str("Colour").hex("0201")),
         "Error reading Component1.Colour: Property does not exist"},
        {record("TKPLabel", Bytes().str("Left.Value").hex("0201")),
         "Error reading Component1.Left.Value: Invalid property path"},
        {record("TKPLabel", Bytes().str("Font.Name.Size").hex("0201")),
         "Error reading Component1.Font.Name.Size: Invalid property path"},
        {record("TKPLabel", Bytes().str("Pen.Color").hex("0201")),
         "Error reading Component1.Pen.Color: Property does not exist"},
        {record("TKPLabel", Bytes().str("Left").hex("0600")),
         "Error reading Component1.Left: Invalid property value"},
        {record("TKPLabel", Bytes().str("Alignment").hex("07").str("taMiddle")),
         "Error reading Component1.Alignment: Invalid property value"},
        {record("TKPLabel", Bytes().str("Font.Style").hex("0B").str("fsShadow").hex("00")),
         "Error reading Component1.Font.Style: Invalid property value"},
        {record("TKPLabel", Bytes().str("Font.Color").hex("07").str("clMauve")),
         "Error reading Component1.Font.Color: Invalid property value"},
        {record("TKPLabel", Bytes().str("Caption").hex("0CFFFFFF00")),
         "Error reading Component1.Caption: Stream read error"},
        {record("TKImage", Bytes().str("Picture.Data").hex("0A06000000").str("TIcon").hex("FF")),
         "Error reading Component1.Picture.Data: Invalid property value"},
        {record("TKImage", Bytes().str("Picture.Data").hex("0A10000000").str("TBitmap").hex("FFFFFF7F").raw("BM")),
         "Error reading Component1.Picture.Data: Stream read error"},
        {Bytes().raw("TPF0").str("TKPLabel").str("A").str("Left"), "Error reading Component1.Left: Stream read error"},
        {Bytes().raw("TPF0").str("TKPLabel"), "Stream read error"},
        {Bytes().raw("TPF0").str("TKPLabel").str("A").hex("0001"), "Invalid property value"},
    };
    for (const auto& c : cases) {
        panel->clearObjects();
        EXPECT_EQ(load(Bytes().hex("01").raw(good).raw(c.tail)), QString::fromLatin1(c.message))
            << c.tail.toHex().toStdString();
        ASSERT_EQ(panel->designObjects().size(), 1) << c.message;
        EXPECT_EQ(panel->designObjects()[0]->left(), 3);
        EXPECT_TRUE(panel->designObjects()[0]->isLoaded());
    }
    panel->clearObjects();
    EXPECT_EQ(load(QByteArray::fromHex("02")), QStringLiteral("Invalid property value"));
    EXPECT_EQ(load(QByteArray()), QStringLiteral("Stream read error"));
}

TEST_F(LayoutFiler, AnAbsurdBitmapSizeIsRefusedBeforeAnythingIsAllocated)
{
    QByteArray bmp = smallBmp();
    bmp[18] = '\xFF';   // width 0x7FFF00FF...
    bmp[19] = '\xFF';
    bmp[20] = '\xFF';
    bmp[21] = '\x7F';
    Bytes payload;
    payload.str("TBitmap");
    const uint32_t n = uint32_t(bmp.size());
    payload.raw(QByteArray(reinterpret_cast<const char*>(&n), 4)).raw(bmp);
    Bytes value;
    const uint32_t total = uint32_t(payload.bytes().size());
    value.hex("0A").raw(QByteArray(reinterpret_cast<const char*>(&total), 4)).raw(payload.bytes());
    EXPECT_EQ(load(list(record("TKImage", Bytes().str("Picture.Data").raw(value.bytes())))),
              QStringLiteral("Error reading Component0.Picture.Data: Invalid property value"));
}

TEST_F(LayoutFiler, IconsAndMetafilesAreKeptByteForByte)
{
    const QByteArray icon = QByteArray::fromHex("000001000100") + QByteArray::fromHex("10100000010020006804000016000000") +
                            QByteArray(40, '\x07');
    const QByteArray metafile = QByteArray::fromHex("d7cdc69a000000000000e803e8036000000000000000") + QByteArray(30, '\x05');
    for (const auto& [graphic, bytes] : {std::pair{"TIcon", icon}, std::pair{"TMetafile", metafile}}) {
        panel->clearObjects();
        Bytes payload;
        payload.str(graphic).raw(bytes);
        const uint32_t total = uint32_t(payload.bytes().size());
        const QByteArray file1 = list(record(
            "TKImage", Bytes().str("Picture.Data").hex("0A").raw(QByteArray(reinterpret_cast<const char*>(&total), 4))
                           .raw(payload.bytes())));
        EXPECT_EQ(load(file1), QString());
        const LayoutPicture p = panel->designObjects()[0]->value("Picture.Data").value<LayoutPicture>();
        EXPECT_EQ(p.graphicClass(), QString::fromLatin1(graphic));
        EXPECT_EQ(p.graphicBytes(), bytes);
        panel->saveToFile(file("out.L"));
        EXPECT_TRUE(readAll(file("out.L")).contains(payload.bytes()));
    }
}

TEST_F(LayoutFiler, ABitmapReadsAndDraws)
{
    const LayoutPicture p = LayoutPicture::fromImage(QImage(smallBmp().isEmpty() ? QImage() : QImage::fromData(smallBmp())));
    ASSERT_EQ(p.kind(), LayoutPicture::Kind::Bitmap);
    const LayoutPicture back = LayoutPicture::fromData(p.data());
    EXPECT_EQ(back.size(), QSize(3, 2));
    EXPECT_EQ(back.image().pixelColor(1, 1), QColor(Qt::red));
}

TEST_F(LayoutFiler, SavingTheSelectionWithNothingSelectedKeepsThePreviousFile)
{
    writeAll(file("clip.tmp"), "previous");
    TKLabelObjectFiler::SaveSelection(panel->handle(), file("clip.tmp"));
    EXPECT_EQ(readAll(file("clip.tmp")), QByteArray("previous"));
}

TEST_F(LayoutFiler, AFailedWriteLeavesTheOldFileAndSaysSo)
{
    place("TKPLabel", QRect(1, 1, 20, 20));
    panel->saveToFile(file("keep.L"));
    const QByteArray before = readAll(file("keep.L"));
    ASSERT_GT(before.size(), 40);
    place("TKPLabel", QRect(30, 1, 20, 20));
    QString message;
    {
        qb::test::DiskFull full(40);
        try {
            panel->saveToFile(file("keep.L"));
        } catch (const LayoutError& e) {
            message = e.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Stream write error"));
    EXPECT_EQ(readAll(file("keep.L")), before);
    EXPECT_EQ(QDir(QString::fromStdString(dir.path().string())).entryList(QDir::Files), QStringList{"keep.L"});
    // With room again the same save goes through.
    panel->saveToFile(file("keep.L"));
    EXPECT_GT(readAll(file("keep.L")).size(), before.size());
}

TEST_F(LayoutFiler, ClassesOfOtherPanelsAreFoundOnlyOnceRegistered)
{
    const QByteArray fim = list(record("TKFIMBarCode", QByteArray()));
    clearDesignClassesForTesting();
    registerLabelPanelClasses();
    EXPECT_EQ(load(fim), QStringLiteral("Class TKFIMBarCode not found"));
    registerEnvelopePanelClasses();
    EXPECT_EQ(load(fim), QString());
}

TEST_F(LayoutFiler, BandsWriteThreeListsAndTheCallersList)
{
    TKDataPanel header(owner.get()), detail(owner.get()), footer(owner.get());
    const DesignClass* cls = findDesignClass("TKPLabel");
    header.addObject(cls->create(*cls->table), QRect(1, 2, 30, 20));
    footer.addObject(cls->create(*cls->table), QRect(3, 4, 30, 20));
    TKLabelObjectFiler::SaveBands({&header, &detail, &footer}, [](LayoutWriter& w) { w.writeReal(1.5); },
                                  file("r.R"));
    TKDataPanel h2(owner.get()), d2(owner.get()), f2(owner.get());
    double extra = 0;
    TKLabelObjectFiler::LoadBands(owner.get(), {&h2, &d2, &f2}, [&](LayoutReader& r) { extra = r.readReal(); },
                                  file("r.R"));
    EXPECT_EQ(h2.designObjects().size(), 1);
    EXPECT_EQ(d2.designObjects().size(), 0);
    ASSERT_EQ(f2.designObjects().size(), 1);
    EXPECT_EQ(f2.designObjects()[0]->top(), 4);
    EXPECT_EQ(extra, 1.5);
}

TEST_F(LayoutFiler, AReadOnlyPropertyIsNeverWrittenAndCannotBeRead)
{
    static const ClassTable table = [] {
        ClassTable t{QStringLiteral("TKTestBox"), commonProperties(20, 20)};
        PropertyDef serial{QStringLiteral("Serial"), PropType::Integer, nullptr, std::nullopt, 7};
        serial.readOnly = true;
        t.properties.push_back(serial);
        t.properties.push_back(PropertyDef{QStringLiteral("Ratio"), PropType::Real, nullptr, std::nullopt, 0.0});
        return t;
    }();
    registerDesignClass(table, [](const ClassTable& t) { return new TKGraphicControl(t); });
    TKGraphicControl* o = place("TKTestBox", QRect(1, 2, 3, 4));
    o->setValue("Ratio", 0.25);
    panel->saveToFile(file("t.L"));
    const QByteArray bytes = readAll(file("t.L"));
    EXPECT_FALSE(bytes.contains("Serial"));
    EXPECT_TRUE(bytes.contains(Bytes().str("Ratio").hex("05").bytes()));
    panel->clearObjects();
    EXPECT_EQ(load(bytes), QString());
    EXPECT_EQ(panel->designObjects()[0]->value("Ratio").toDouble(), 0.25);
    panel->clearObjects();
    EXPECT_EQ(load(list(record("TKTestBox", Bytes().str("Ratio").hex("0203").str("Serial").hex("0201")))),
              QStringLiteral("Error reading Component0.Serial: Property is read-only"));
    EXPECT_TRUE(panel->designObjects().isEmpty());   // the object being read is gone
}
