// What every design object shares: notifications, the Locked and Unselectable
// setters, printing at an offset in inches, and objects outside a panel.

#include "design_fixture.h"

#include "core/address_table.h"
#include "design/design_printer.h"

#include <QMenu>
#include <QPainter>
#include <QSignalSpy>

using namespace qb::design;
using namespace qb::design::test;

namespace {

class GraphicControl : public DesignFixture {
protected:
    void SetUp() override
    {
        DesignFixture::SetUp();
        usePlainObjects();
    }
};

// The bounding box of the non-white pixels.
QRect inked(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST_F(GraphicControl, TextPrintsAsTheScreenDrawingScaledIntoItsInchRectangle)
{
    TKGraphicControl* label = place("TKPLabel", QRect(96, 48, 96, 48));
    label->setValue("BorderStyle", 1);   // a frame on the box edges shows where the picture landed
    QImage page(900, 900, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        PainterPrinter printer(p, 300);
        panel->printObjects(printer, 0.5, 0.25);
    }
    // (0.5 + 96/96, 0.25 + 48/96) to (0.5 + 192/96, 0.25 + 96/96) inches at 300 dpi.
    const QRect box = inked(page);
    EXPECT_NEAR(box.left(), 450, 3);
    EXPECT_NEAR(box.top(), 225, 3);
    EXPECT_NEAR(box.right(), 749, 4);
    EXPECT_NEAR(box.bottom(), 374, 4);
    EXPECT_EQ(label->printRect(0.5, 0.25), QRectF(QPointF(1.5, 0.75), QPointF(2.5, 1.25)));
}

TEST_F(GraphicControl, ChangesNotifyThePanelButNotWhileReadingScalingOrPrinting)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    QSignalSpy changed(panel, &TKBasePanel::labelChanged);
    a->setBounds(11, 10, 30, 20);
    a->setLocked(true);
    a->setUnselectable(true);
    EXPECT_EQ(changed.count(), 3);
    a->setReading(true);
    a->setBounds(50, 50, 30, 20);
    a->setLocked(false);
    a->setReading(false);
    panel->setPrinting(true);
    a->setBounds(60, 60, 30, 20);
    panel->setPrinting(false);
    EXPECT_EQ(changed.count(), 3);
    // The first move after reading counts: the bounds read are the reference.
    a->setBounds(61, 60, 30, 20);
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(GraphicControl, TheLockedEntryFollowsTheProperty)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    QAction* locked = nullptr;
    for (QAction* act : a->contextMenu()->actions())
        if (act->text() == QLatin1String("Locked"))
            locked = act;
    ASSERT_NE(locked, nullptr);
    a->setLocked(true);
    EXPECT_TRUE(locked->isChecked());
    locked->trigger();
    EXPECT_FALSE(a->locked());
    QStringList captions;
    for (QAction* act : a->contextMenu()->actions())
        captions << (act->isSeparator() ? QStringLiteral("-") : act->text());
    EXPECT_EQ(captions.mid(0, 12),
              (QStringList{"Bring To Front", "Send To Back", "Cut", "Copy", "Delete", "Clone", "-", "Locked",
                           "Unselectable", "-", "Center Vertically", "Center Horizontally"}));
}

TEST_F(GraphicControl, AnObjectOutsideAPanelPaintsAndIgnoresPanelCommands)
{
    const DesignClass* cls = findDesignClass("TKPLabel");
    std::unique_ptr<TKGraphicControl> sample(cls->create(*cls->table));
    sample->loaded();
    sample->setBounds(5, 5, 40, 20);
    sample->centerVertically();
    sample->clone();
    sample->notifyChanged();
    EXPECT_EQ(sample->bounds(), QRect(5, 5, 40, 20));
    EXPECT_FALSE(sample->grab().isNull());
}

TEST_F(GraphicControl, ZoomedTextUsesTheTruncatedPointSize)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    EXPECT_EQ(a->objectFont().pixelSize(), 13);   // 10 points at 96 pixels per inch
    a->setZoom(1.5f);                             // Trunc(15.0) = 15 points
    EXPECT_EQ(a->objectFont().pixelSize(), 20);
    a->setZoom(0.75f);                            // Trunc(7.5) = 7 points
    EXPECT_EQ(a->objectFont().pixelSize(), 9);
    EXPECT_EQ(a->intValue("Font.Height"), -13);
}

TEST_F(GraphicControl, DataObjectsReachTheRecordThroughThePanel)
{
    const QString path = file("ADD0001.DBF");
    ASSERT_TRUE(qb::createAddressTable(path, qb::FieldLengths::settingsDefaults()));
    qb::AddressTable table;
    ASSERT_TRUE(table.open(path, qb::AddressTable::Messages::Quiet));
    table.table().appendBlank();
    table.table().setText("LNAME", "Smith");
    table.table().setText("ZIP", "12345");
    table.table().post();
    EXPECT_EQ(panel->valueByLabel("Last Name"), std::nullopt);   // no table yet
    panel->setDataset(&table);
    EXPECT_EQ(panel->valueByLabel("Last Name"), std::optional<QString>("Smith"));
    EXPECT_EQ(panel->valueByLabel("last name"), std::nullopt);   // labels match exactly
    EXPECT_EQ(panel->valueByName("zip"), QStringLiteral("12345"));
    EXPECT_EQ(panel->valueByName("NOSUCH"), QString());
    EXPECT_TRUE(panel->fieldLabels().contains("Zip/Postal Code"));
    EXPECT_TRUE(panel->showsValues());
    panel->setDisplayDataValues(false);
    EXPECT_FALSE(panel->showsValues());
    panel->setPrinting(true);
    EXPECT_TRUE(panel->showsValues());
    panel->setDataset(nullptr);
}
