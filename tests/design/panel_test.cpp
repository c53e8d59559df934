// The design panel driven as the user drives it: rubber band, clicks, drags
// with and without snapping, the arrow keys, the clipboard, zoom and saving.

#include "design_fixture.h"

#include "design/layout_filer.h"

#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace qb::design;
using namespace qb::design::test;

namespace {

class Panel : public DesignFixture {
protected:
    void SetUp() override
    {
        DesignFixture::SetUp();
        usePlainObjects();
    }
    TKHandle* frame() const { return panel->handle(); }
    QPoint inFrame(QPoint panelPos) const { return panelPos - frame()->geometry().topLeft(); }

    // A press on the frame, a move after `ms` milliseconds, and a release.
    void dragFrame(QPoint from, QPoint to, qint64 ms = 300, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        move(frame(), inFrame(from), Qt::NoButton);   // the zone under the pointer
        const QPoint a = inFrame(from), b = a + (to - from);
        press(frame(), a, mods);
        now += ms / 2;
        move(frame(), b);
        now += ms - ms / 2;
        release(frame(), b, mods);
    }
    void band(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        press(panel, from, mods);
        move(panel, to);
        release(panel, to, mods);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyPress(frame(), Qt::Key(k), mods);
        QTest::keyRelease(frame(), Qt::Key(k), mods);
    }
    QAction* menuEntry(QMenu* menu, const char* caption)
    {
        for (QAction* a : menu->actions())
            if (a->text() == QLatin1String(caption))
                return a;
        return nullptr;
    }
};

} // namespace

TEST_F(Panel, ARubberBandSelectsTheSameObjectsInEitherDirection)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    TKGraphicControl* b = place("TKPLabel", QRect(60, 10, 30, 20));
    place("TKPLabel", QRect(200, 200, 30, 20));
    for (const auto& [from, to] : {std::pair{QPoint(5, 5), QPoint(70, 25)}, std::pair{QPoint(70, 25), QPoint(5, 5)}}) {
        band(from, to);
        ASSERT_EQ(frame()->count(), 2);
        EXPECT_GE(frame()->find(a), 0);
        EXPECT_GE(frame()->find(b), 0);
    }
    band(QPoint(300, 280), QPoint(390, 290));   // empty area
    EXPECT_EQ(frame()->count(), 0);
}

TEST_F(Panel, ShiftWithTheRubberBandTogglesEachObject)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    TKGraphicControl* b = place("TKPLabel", QRect(60, 10, 30, 20));
    band(QPoint(5, 5), QPoint(20, 20));
    ASSERT_EQ(frame()->selection(), QList<TKGraphicControl*>{a});
    band(QPoint(5, 5), QPoint(70, 25), Qt::ShiftModifier);
    EXPECT_EQ(frame()->selection(), QList<TKGraphicControl*>{b});
}

TEST_F(Panel, AQuickClickDoesNotMoveEvenIfTheMouseMoved)
{
    TKGraphicControl* a = place("TKPLabel", QRect(40, 40, 40, 20));
    press(a, QPoint(5, 5));
    release(a, QPoint(5, 5));
    ASSERT_EQ(frame()->count(), 1);
    dragFrame(QPoint(60, 50), QPoint(64, 53), 100);
    EXPECT_EQ(a->bounds(), QRect(40, 40, 40, 20));
    dragFrame(QPoint(60, 50), QPoint(64, 53), 300);
    EXPECT_EQ(a->bounds(), QRect(44, 43, 40, 20));
}

TEST_F(Panel, PressingOnAnObjectAndDraggingMovesIt)
{
    TKGraphicControl* a = place("TKPLabel", QRect(40, 40, 40, 20));
    press(a, QPoint(5, 5));
    now += 20;
    move(a, QPoint(6, 5));   // the drag begins here
    move(a, QPoint(16, 10));
    now += 200;
    release(a, QPoint(16, 10));
    EXPECT_EQ(a->bounds(), QRect(50, 45, 40, 20));
}

TEST_F(Panel, SnappingToEightTakesAFrameAt17To16)
{
    panel->setGridSize(gs8x8);
    panel->setSnapToGrid(true);
    TKGraphicControl* a = place("TKPLabel", QRect(19, 30, 40, 20));
    frame()->add(a);
    ASSERT_EQ(frame()->geometry().left(), 17);
    dragFrame(QPoint(40, 40), QPoint(45, 40));
    EXPECT_EQ(frame()->geometry().left(), 16);
    EXPECT_EQ(a->left(), 18);
}

TEST_F(Panel, ResizingByTheCornerFollowsTheTable)
{
    TKGraphicControl* a = place("TKPLabel", QRect(20, 20, 40, 30));
    frame()->add(a);   // frame (18, 18, 45, 35)
    dragFrame(QPoint(61, 51), QPoint(71, 56));   // bottom-right zone
    EXPECT_EQ(a->bounds(), QRect(20, 20, 49, 34));
    // Without snapping the rules are plain arithmetic; the table is checked directly too.
    EXPECT_EQ(TKHandle::newBounds(QRect(10, 10, 50, 50), 1, QPoint(2, 2), QPoint(-40, -40), 1, 1),
              QRect(-32, -32, 92, 92));
    EXPECT_EQ(TKHandle::newBounds(QRect(10, 10, 50, 50), 8, QPoint(48, 25), QPoint(0, 25), 1, 1).width(), 5);
    EXPECT_EQ(TKHandle::newBounds(QRect(17, 0, 50, 50), 0, QPoint(0, 0), QPoint(5, 0), 8, 8).left(), 16);
}

TEST_F(Panel, ALockedObjectStaysWhileTheOthersMove)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    TKGraphicControl* b = place("TKPLabel", QRect(60, 10, 30, 20));
    b->setLocked(true);
    band(QPoint(5, 5), QPoint(100, 40));
    ASSERT_EQ(frame()->count(), 2);
    dragFrame(QPoint(20, 20), QPoint(30, 40));
    EXPECT_EQ(a->bounds(), QRect(20, 30, 30, 20));
    EXPECT_EQ(b->bounds(), QRect(60, 10, 30, 20));
}

TEST_F(Panel, ShiftLeftShrinksOneObjectToTheTenPixelRectangle)
{
    TKGraphicControl* a = place("TKPLabel", QRect(50, 50, 20, 20));
    frame()->add(a);
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(a->bounds(), QRect(50, 50, 17, 20));
    for (int i = 0; i < 20; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier);
    // The keyboard rectangle stops at right - left + 1 = 10.
    EXPECT_EQ(a->bounds(), QRect(50, 50, 9, 20));

    TKGraphicControl* b = place("TKPLabel", QRect(80, 50, 20, 20));
    frame()->add(b);
    key(Qt::Key_Left, Qt::ShiftModifier);   // two selected: a move
    EXPECT_EQ(a->bounds(), QRect(49, 50, 9, 20));
    EXPECT_EQ(b->bounds(), QRect(79, 50, 20, 20));
}

TEST_F(Panel, ArrowKeysStopAtThePanelEdges)
{
    TKGraphicControl* a = place("TKPLabel", QRect(1, 2, 20, 20));
    frame()->add(a);
    for (int i = 0; i < 5; ++i) {
        key(Qt::Key_Left);
        key(Qt::Key_Up);
    }
    EXPECT_EQ(a->bounds(), QRect(0, 0, 20, 20));
    a->setBounds(378, 0, 20, 20);
    frame()->clear();
    frame()->add(a);
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Right);
    EXPECT_EQ(a->left() + a->objectWidth(), 400);
}

TEST_F(Panel, ASecondPasteWithinASecondIsIgnored)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 20, 30, 20));
    frame()->add(a);
    panel->clipboardAction(TKBasePanel::Copy);
    ASSERT_TRUE(QFile::exists(panel->clipboardFile()));
    panel->clipboardAction(TKBasePanel::Paste);
    now += 500;
    panel->clipboardAction(TKBasePanel::Paste);
    ASSERT_EQ(panel->designObjects().size(), 2);
    EXPECT_EQ(panel->designObjects()[1]->bounds(), QRect(25, 35, 30, 20));
    EXPECT_EQ(frame()->count(), 1);   // pasted objects are not selected
    now += 1000;
    panel->clipboardAction(TKBasePanel::Paste);
    EXPECT_EQ(panel->designObjects().size(), 3);
}

TEST_F(Panel, PasteIsDisabledOnceTheCopyingDesignerClosed)
{
    auto* other = new TKLabelPanel(owner.get());
    const DesignClass* cls = findDesignClass("TKPLabel");
    TKGraphicControl* o = cls->create(*cls->table);
    other->addObject(o, QRect(1, 1, 20, 20));
    other->clipboardAction(TKBasePanel::Copy, o);
    QMenu* menu = panel->contextMenu();
    emit menu->aboutToShow();
    EXPECT_TRUE(menuEntry(menu, "Paste")->isEnabled());
    EXPECT_FALSE(menuEntry(menu, "Copy")->isEnabled());   // nothing selected
    EXPECT_FALSE(menuEntry(menu, "Lock All")->isEnabled());
    delete other;
    emit menu->aboutToShow();
    EXPECT_FALSE(menuEntry(menu, "Paste")->isEnabled());
}

TEST_F(Panel, ClipboardKeysWorkWithNothingSelected)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    frame()->add(a);
    QTest::keyClick(panel, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(panel->designObjects().isEmpty());
    ASSERT_FALSE(frame()->isVisible());
    QTest::keyClick(panel, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(panel->designObjects().size(), 1);
    EXPECT_EQ(panel->designObjects()[0]->bounds(), QRect(25, 25, 30, 20));
    // Copy and delete with nothing selected change nothing.
    const QByteArray clip = [&] {
        QFile f(panel->clipboardFile());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QTest::keyClick(panel, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(panel, Qt::Key_Delete);
    EXPECT_EQ(panel->designObjects().size(), 1);
    QFile f(panel->clipboardFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), clip);
}

TEST_F(Panel, CutAndDeleteRemoveTheSelectionOrTheObjectAlone)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    TKGraphicControl* b = place("TKPLabel", QRect(60, 10, 30, 20));
    frame()->add(a);
    QSignalSpy changed(panel, &TKBasePanel::labelChanged);
    panel->clipboardAction(TKBasePanel::Delete, b);   // not selected: b alone
    EXPECT_EQ(panel->designObjects(), QList<TKGraphicControl*>{a});
    panel->clipboardAction(TKBasePanel::Cut);
    EXPECT_TRUE(panel->designObjects().isEmpty());
    EXPECT_EQ(frame()->count(), 0);
    EXPECT_EQ(changed.count(), 2);
    panel->clipboardAction(TKBasePanel::Paste);
    ASSERT_EQ(panel->designObjects().size(), 1);
    EXPECT_EQ(panel->designObjects()[0]->left(), 25);
}

TEST_F(Panel, SavingAtZoomOneAndAHalfWritesZoomOneSizes)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 20, 40, 30));
    panel->setZoom(1.5f);
    ASSERT_EQ(a->bounds(), QRect(15, 30, 60, 45));
    EXPECT_EQ(panel->QWidget::size(), QSize(600, 450));
    panel->saveToFile(file("z.L"));
    EXPECT_EQ(panel->zoom(), 1.5f);
    EXPECT_EQ(a->bounds(), QRect(15, 30, 60, 45));
    TKLabelPanel other(owner.get());
    other.loadFromFile(file("z.L"));
    ASSERT_EQ(other.designObjects().size(), 1);
    EXPECT_EQ(other.designObjects()[0]->bounds(), QRect(10, 20, 40, 30));
    // Read into a zoomed panel the objects take its zoom, as drawn objects do.
    other.clearObjects();
    other.setZoom(0.5f);
    other.loadFromFile(file("z.L"));
    ASSERT_EQ(other.designObjects().size(), 1);
    EXPECT_EQ(other.zoom(), 0.5f);
    EXPECT_EQ(other.designObjects()[0]->bounds(), QRect(5, 10, 20, 15));
    EXPECT_EQ(other.designObjects()[0]->zoom(), 0.5f);
}

// The shown bounds round half to even from the true ones; back at 100
// percent the true ones are there again, whatever the zooms between.
TEST_F(Panel, ZoomRoundsHalfToEvenAndComesBackExactly)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 20, 40, 30));
    a->setBounds(10, 20, 2, 30);
    panel->setZoom(0.75f);
    EXPECT_EQ(a->objectWidth(), 2);   // Round(1.5)
    EXPECT_EQ(a->left(), 8);          // Round(7.5)
    panel->setZoom(1.5f);
    EXPECT_EQ(a->objectWidth(), 3);
    EXPECT_EQ(a->left(), 15);
    panel->setZoom(1.0f);
    EXPECT_EQ(a->bounds(), QRect(10, 20, 2, 30));
    // A move while zoomed moves the true bounds by what it moved on screen;
    // the size stays as it was.
    panel->setZoom(0.5f);
    a->setBounds(a->left() + 5, a->top(), a->objectWidth(), a->objectHeight());
    panel->setZoom(1.0f);
    EXPECT_EQ(a->bounds(), QRect(20, 20, 2, 30));
    QSignalSpy changed(panel, &TKBasePanel::labelChanged);
    panel->setZoom(1.0f);
    a->setZoom(1.0f);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(Panel, MovingSeveralObjectsNotifiesOncePerObjectAndRefitsAfterwards)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    TKGraphicControl* b = place("TKPLabel", QRect(60, 10, 30, 20));
    frame()->add(a);
    frame()->add(b);
    QSignalSpy changed(panel, &TKBasePanel::labelChanged);
    frame()->setFrameBounds(frame()->geometry().translated(5, 5));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(a->bounds(), QRect(15, 15, 30, 20));
    EXPECT_EQ(b->bounds(), QRect(65, 15, 30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame()->geometry(), QRect(13, 13, 86, 26));   // re-fit: -2 left and top, +4 right and bottom
}

TEST_F(Panel, DeleteObjectsOutsideKeepsTheEdgeAtWidthMinusTen)
{
    TKGraphicControl* keep = place("TKPLabel", QRect(390, 10, 30, 20));
    place("TKPLabel", QRect(391, 40, 30, 20));
    TKGraphicControl* flat = place("TKPLabel", QRect(10, 10, 30, 20));
    flat->setBounds(10, 10, 0, 20);
    panel->deleteObjectsOutside();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->designObjects(), QList<TKGraphicControl*>{keep});
}

TEST_F(Panel, ObjectCommandsCentreCloneAndSendToBack)
{
    panel->resize(200, 100);
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 21));
    a->centerVertically();
    EXPECT_EQ(a->top(), 40);
    a->centerHorizontally();
    EXPECT_EQ(a->left(), 85);

    frame()->add(a);
    a->clone();
    const auto objects = panel->designObjects();
    ASSERT_EQ(objects.size(), 2);
    TKGraphicControl* copy = objects[1];
    EXPECT_EQ(copy->objectName(), QStringLiteral("Component0"));
    EXPECT_EQ(copy->bounds(), QRect(85, 65, 30, 21));
    EXPECT_EQ(frame()->selection(), QList<TKGraphicControl*>{copy});

    copy->sendToBack();
    EXPECT_EQ(frame()->count(), 0);
    EXPECT_EQ(panel->designObjects().first(), copy);
}

TEST_F(Panel, UnselectableObjectsAreClickedThrough)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    a->setUnselectable(true);
    press(a, QPoint(5, 5));
    release(a, QPoint(5, 5));
    EXPECT_EQ(frame()->count(), 0);
    frame()->add(a);
    EXPECT_EQ(frame()->count(), 0);
}

TEST_F(Panel, EveryToolCreatesItsObjectAndUnregisteredToolsAreDisabled)
{
    const struct {
        TLPanelState tool;
        const char* cls;
        const char* property;
        QVariant value;
    } cases[] = {
        {psLabel, "TKPLabel", "Caption", QStringLiteral("<text>")},
        {psCounterLabel, "TKCounterLabel", "Startingnumber", 1000},
        {psSymbolLabel, "TKSymbolLabel", "Caption", QStringLiteral("[")},
        {psDataLabel, "TKPDLabel", "DataFieldName", QStringLiteral("<field>")},
        {psMultiLineLabel, "TKMultiLineLabel", "WordWrap", false},
        {psMultiLineDataLabel, "TKDMultiLineLabel", "DataFieldDescript", QStringLiteral("MEMO")},
        {psAddressLabel, "TKDMultiLineAddressLabel", "UsePhone", false},
        {psRectangle, "TKLabelShapes", "Shape", 0},
        {psEllipse, "TKLabelShapes", "Shape", 4},
        {psRoundRectangle, "TKLabelShapes", "Shape", 2},
        {psLine, "TKLineShape", "LineStyle", 1},
        {psImage, "TKImage", "Stretch", true},
        {psPostNetBarCode, "TKPostNetBarCode", "ZipCodeField", QStringLiteral("ZIP")},
    };
    QSignalSpy dropped(panel, &TKBasePanel::droppedObject);
    for (const auto& c : cases) {
        panel->clearObjects();
        panel->setPanelState(c.tool);
        ASSERT_FALSE(panel->pointing());
        band(QPoint(30, 40), QPoint(40, 45));   // small: widened to 50 x 15
        ASSERT_EQ(panel->designObjects().size(), 1) << c.cls;
        TKGraphicControl* o = panel->designObjects()[0];
        EXPECT_EQ(o->designClassName(), QString::fromLatin1(c.cls));
        EXPECT_EQ(o->objectName(), QStringLiteral("Special1"));
        EXPECT_EQ(o->bounds(), QRect(30, 40, 50, 15));
        EXPECT_EQ(o->value(QString::fromLatin1(c.property)), c.value) << c.cls;
        EXPECT_TRUE(o->isLoaded());
    }
    EXPECT_EQ(dropped.count(), 13);
    EXPECT_EQ(panel->panelState(), psPostNetBarCode);
    clearDesignClassesForTesting();
    EXPECT_FALSE(TKLabelPanel::toolEnabled(psLabel));
    EXPECT_TRUE(TKLabelPanel::toolEnabled(psPointing));
}

TEST_F(Panel, UniqueNamesRunOutAfterAThousand)
{
    for (int n = 1; n <= 1000; ++n)
        (new QObject(owner.get()))->setObjectName(QStringLiteral("Special%1").arg(n));
    EXPECT_EQ(panel->uniqueName(QStringLiteral("Special")), QString());
    EXPECT_EQ(panel->uniqueName(QStringLiteral("Other")), QStringLiteral("Other1"));
}

TEST_F(Panel, GridDotsAndOutlineArePainted)
{
    panel->resize(40, 40);
    panel->setShape(lsRectangle);
    panel->setShowGrid(true);
    panel->setDrawOutline(true);
    const QImage shot = panel->grab().toImage();
    const QColor green(0, 128, 0);
    EXPECT_EQ(shot.pixelColor(2, 2), green);
    EXPECT_EQ(shot.pixelColor(6, 10), green);
    EXPECT_EQ(shot.pixelColor(4, 4), QColor(Qt::white));
    int outline = 0;   // the dotted outline along the top edge
    for (int x = 0; x < 40; ++x)
        outline += shot.pixelColor(x, 0) == QColor(Qt::black);
    EXPECT_GT(outline, 8);
    panel->setGridSize(gs8x8);
    const QImage coarse = panel->grab().toImage();
    EXPECT_EQ(coarse.pixelColor(10, 10), green);
    EXPECT_EQ(coarse.pixelColor(6, 10), QColor(Qt::white));
}

TEST_F(Panel, BackgroundPicturesAreClippedToTheShape)
{
    panel->resize(60, 40);
    panel->setShape(lsEllipse);
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    panel->setPicture(red);
    const QImage shot = panel->grab().toImage();
    EXPECT_EQ(shot.pixelColor(30, 20), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::white));   // outside the ellipse
    panel->setShape(lsRectangle);
    EXPECT_EQ(panel->grab().toImage().pixelColor(1, 1), QColor(Qt::red));
}

TEST_F(Panel, KeysOnThePanelReachTheSelection)
{
    TKGraphicControl* a = place("TKPLabel", QRect(10, 10, 30, 20));
    place("TKPLabel", QRect(60, 10, 30, 20));
    frame()->add(a);
    QTest::keyClick(panel, Qt::Key_Right);
    EXPECT_EQ(a->left(), 11);
    QTest::keyClick(panel, Qt::Key_Delete);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->designObjects().size(), 1);
    QTest::keyClick(panel, Qt::Key_Delete);   // nothing selected: nothing happens
    EXPECT_EQ(panel->designObjects().size(), 1);
}
