#include "core/placement.h"
#include "test_support.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <cmath>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;
using xbase::test::readFile;
using xbase::test::writeFile;

TEST(Placement, SectionCarriesTheResolutionAbove96Dpi)
{
    EXPECT_EQ(placementSection("TAddressMain", 96), "TAddressMain_Placement");
    EXPECT_EQ(placementSection("TAddressMain", 72), "TAddressMain_Placement");
    EXPECT_EQ(placementSection("TAddressMain", 120), "TAddressMain_Placement120");
    EXPECT_EQ(placementSection("TPreviewForm", 144), "TPreviewForm_Placement144");
}

// Closed maximised at 120 dpi, opened again at 96: the plain section counts.
TEST(Placement, EachResolutionKeepsItsOwnSection)
{
    ScratchDir dir;
    writeFile(dir.file("QUILLB.ini"),
              "[TAddressMain_Placement120]\r\nLeft=5\r\nTop=6\r\nRight=1005\r\nBottom=706\r\nMaximized=1\r\n"
              "[TAddressMain_Placement]\r\nLeft=10\r\nTop=20\r\nRight=610\r\nBottom=420\r\nMaximized=0\r\n");
    const Settings s(QString::fromStdString(dir.file("QUILLB.ini")));
    EXPECT_EQ(StoredPlacement::read(s, placementSection("TAddressMain", 96), true), (StoredPlacement{10, 20, 610, 420, false}));
    EXPECT_EQ(StoredPlacement::read(s, placementSection("TAddressMain", 120), false), (StoredPlacement{5, 6, 1005, 706, true}));
    // Nothing stored: zeros, and "Maximized" as the window is now.
    EXPECT_EQ(StoredPlacement::read(s, placementSection("TReportDesigner", 96), true), (StoredPlacement{0, 0, 0, 0, true}));
}

TEST(Placement, RestoredRectangleStaysOnASmallerScreen)
{
    const QSize screen(1024, 768);
    const struct { const char* name; StoredPlacement stored; std::optional<QRect> rect; } cases[] = {
        {"never saved", {0, 0, 0, 0, false}, std::nullopt},
        {"bottom 0 centres whatever the rest", {10, 10, 400, 0, false}, std::nullopt},
        {"fits", {10, 20, 610, 420, false}, QRect(10, 20, 600, 400)},
        {"touches the edges", {24, 68, 1024, 768, false}, QRect(24, 68, 1000, 700)},
        {"right edge beyond", {500, 20, 1300, 420, false}, QRect(224, 20, 800, 400)},
        {"bottom edge beyond", {10, 500, 610, 900, false}, QRect(10, 368, 600, 400)},
        {"both beyond", {900, 700, 1400, 1000, false}, QRect(524, 468, 500, 300)},
        {"wider than the screen keeps its width", {0, 0, 1280, 700, false}, QRect(-256, 0, 1280, 700)},
        {"no width", {300, 10, 300, 400, false}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restoredRect(c.stored, screen), c.rect) << c.name;
}

TEST(Placement, CentringUsesIntegerDivision)
{
    EXPECT_EQ(centredIn(QSize(200, 100), QRect(100, 50, 601, 401)), QPoint(100 + 200, 50 + 150));
    // A dialog larger than the main window: (101 - 200) / 2 = -49, truncated toward zero.
    EXPECT_EQ(centredIn(QSize(200, 200), QRect(0, 0, 101, 101)), QPoint(-49, -49));
}

TEST(Placement, AWindowPastTheRightOrBottomEdgeMovesToTheLeftOrTop)
{
    const QRect screen(0, 0, 1024, 768);
    struct Case {
        QRect frame;
        QPoint kept;
    } cases[] = {
        {{100, 50, 800, 600}, {100, 50}},     // inside: stays
        {{300, 50, 800, 600}, {0, 50}},       // past the right edge
        {{100, 300, 800, 600}, {100, 0}},     // past the bottom edge
        {{-20, 50, 1100, 600}, {-20, 50}},    // wider than the screen, left edge already outside
        {{300, 300, 800, 600}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keptOnScreen(c.frame, screen), c.kept) << c.frame.x() << "," << c.frame.y();
}

class PlacementWindow : public ::testing::Test {
protected:
    void TearDown() override { setMainWindow(nullptr); }
    QString section(const QWidget& w, const QString& className) const
    {
        return placementSection(className, int(std::lround(w.screen()->logicalDotsPerInch())));
    }
    ScratchDir dir;
    Settings settings{QString::fromStdString(dir.file("QUILLB.ini"))};
};

TEST_F(PlacementWindow, FirstOpeningCentresOnTheScreenAndWritesTheSection)
{
    QWidget w;
    w.resize(300, 200);
    restorePlacement(&w, "TAddressBrowseForm", settings);
    const QRect screen = w.screen()->geometry();
    EXPECT_EQ(w.frameGeometry().topLeft(), centredIn(QSize(300, 200), screen));

    const StoredPlacement saved = StoredPlacement::read(settings, section(w, "TAddressBrowseForm"), true);
    EXPECT_EQ(saved, StoredPlacement::fromRect(w.geometry(), false));
    EXPECT_NE(saved.bottom, 0);
}

TEST_F(PlacementWindow, StoredRectangleAndMaximisedStateComeBack)
{
    QWidget w;
    const QString sec = section(w, "TLetterDesign");
    StoredPlacement{40, 30, 440, 330, true}.write(settings, sec);
    restorePlacement(&w, "TLetterDesign", settings);
    EXPECT_TRUE(w.isMaximized());
    // Saving a maximised window keeps its normal rectangle.
    EXPECT_EQ(StoredPlacement::read(settings, sec, false), (StoredPlacement{40, 30, 440, 330, true}));

    QWidget plain;
    StoredPlacement{40, 30, 440, 330, false}.write(settings, section(plain, "TAsciiMatch"));
    restorePlacement(&plain, "TAsciiMatch", settings);
    EXPECT_FALSE(plain.isMaximized());
    EXPECT_EQ(plain.geometry(), QRect(40, 30, 400, 300));
}

TEST_F(PlacementWindow, DialogsCentreOverTheMainWindowUnlessItIsMaximised)
{
    QWidget main;
    main.setGeometry(100, 100, 601, 401);
    setMainWindow(&main);
    QWidget dialog(nullptr, Qt::Dialog | Qt::WindowMaximizeButtonHint);
    dialog.resize(200, 100);

    centreWindow(&dialog);
    EXPECT_EQ(dialog.frameGeometry().topLeft(), centredIn(QSize(200, 100), main.frameGeometry()));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowSystemMenuHint));

    // A dialog its layout sizes is centred at the size it shows with.
    QWidget laidOut(nullptr, Qt::Dialog);
    auto* layout = new QVBoxLayout(&laidOut);
    layout->addWidget(new QLabel(QStringLiteral("a line of text that gives the dialog its width")));
    centreWindow(&laidOut);
    EXPECT_EQ(laidOut.frameGeometry().topLeft(), centredIn(laidOut.sizeHint(), main.frameGeometry()));

    main.setWindowState(Qt::WindowMaximized);
    centreWindow(&dialog);
    EXPECT_EQ(dialog.frameGeometry().topLeft(), centredIn(QSize(200, 100), dialog.screen()->geometry()));
}

} // namespace
} // namespace qb::test
