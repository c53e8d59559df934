#include "platform/help/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

const QString kShippedHelp = QStringLiteral(QB_SOURCE_DIR "/data/help");

class HelpFolder : public ::testing::Test {
protected:
    void SetUp() override { setHelpFolder(kShippedHelp); }
    void TearDown() override { setHelpFolder({}); }
};

TEST_F(HelpFolder, ContextNumbersOpenTheirTopicOrTheContents)
{
    struct Case {
        int context;
        const char* file;
    };
    // Every context number a window opens has its own topic; others get the contents.
    const Case cases[] = {
        {1029, "1029.html"}, {1040, "1040.html"}, {1038, "1038.html"}, {1025, "1025.html"},
        {1041, "1041.html"}, {1042, "1042.html"}, {1017, "1017.html"}, {1018, "1018.html"},
        {1080, "1080.html"}, {1081, "1081.html"}, {1082, "1082.html"}, {1083, "1083.html"},
        {1084, "1084.html"}, {1085, "1085.html"}, {1086, "1086.html"}, {1091, "1091.html"},
        {1501, "1501.html"}, {1502, "1502.html"}, {1503, "1503.html"}, {1504, "1504.html"},
        {1505, "1505.html"}, {1506, "1506.html"}, {40020, "40020.html"},
        {911, "911.html"},       // Frequently Asked Questions
        {1015, "1015.html"},     // Technical Support
        {1026, "1026.html"},     // Search
        {1034, "1034.html"},     // Address Browse
        {1019, "1019.html"},     // Labels Print
        {1048, "1048.html"},     // Select Label Template
        {1049, "1049.html"},     // Label Layout
        {1050, "1050.html"},     // User Defined Label Layout
        {1073, "1073.html"},     // Label Design Screen
        {1075, "1075.html"},     // Print Labels
        {1090, "1090.html"},     // Print Report
        {1092, "1092.html"},     // Report Designer
        {1093, "1093.html"},     // Report Layout
        {1095, "1095.html"},     // Print Current Record
        {1400, "1400.html"},     // Count Zip Codes
        {1410, "1410.html"},     // Check State and Zip Codes
        {1420, "1420.html"},     // Check and Repair Duplicates
        {1430, "1430.html"},     // Convert Case
        {40001, "40001.html"},   // Multi-line Text Editor
        {40003, "40003.html"},   // Load Image File
        {40004, "40004.html"},   // Text
        {40005, "40005.html"},   // Symbol Selector
        {40006, "40006.html"},   // Counter
        {40007, "40007.html"},   // Select Field
        {40008, "40008.html"},   // Text 3D Effects
        {40009, "40009.html"},   // Address Label Layout
        {4711, "contents.html"}, {0, "contents.html"}, {-1, "contents.html"}};
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo(helpTopicPath(c.context)).fileName(), c.file) << c.context;
}

TEST_F(HelpFolder, EveryShippedTopicHasATitleAndItsLinksLeadToTopicsThatExist)
{
    const QDir dir(kShippedHelp);
    const QStringList topics = dir.entryList({"*.html"}, QDir::Files);
    ASSERT_TRUE(topics.contains("contents.html"));
    for (const QString& name : topics) {
        QTextBrowser browser;
        browser.setSource(QUrl::fromLocalFile(dir.filePath(name)));
        EXPECT_FALSE(browser.documentTitle().isEmpty()) << name.toStdString();
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        static const QRegularExpression link(R"re(href="([^"]+)")re");
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(dir.exists(target)) << name.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST_F(HelpFolder, ShowHelpReusesOneWindowPerCaller)
{
    QDialog dialog;
    HelpViewer* first = showHelp(1029, &dialog);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QFileInfo(first->topicPath()).fileName(), "1029.html");
    EXPECT_TRUE(first->isVisible());
    HelpViewer* second = showHelp(4711, &dialog);
    EXPECT_EQ(second, first);
    EXPECT_EQ(QFileInfo(second->topicPath()).fileName(), "contents.html");
    second->close();
}

// The help window opens wholly on the screen of the main window, however
// near an edge the window it was asked from stands.
TEST_F(HelpFolder, TheHelpWindowOpensWhollyOnTheMainWindowsScreen)
{
    QWidget main;
    const QRect screen = main.screen()->availableGeometry();
    const struct {
        const char* name;
        QPoint at;   // where the dialog stands, from the screen's top left
    } cases[] = {
        {"bottom right corner", {screen.width() - 120, screen.height() - 90}},
        {"top left corner", {0, 0}},
        {"middle", {screen.width() / 2 - 100, screen.height() / 2 - 60}},
    };
    main.setGeometry(QRect(screen.topLeft(), screen.size() / 2).translated(screen.width() / 4, screen.height() / 4));
    main.show();
    for (const auto& c : cases) {
        QDialog dialog(&main);
        dialog.setGeometry(QRect(screen.topLeft() + c.at, QSize(200, 120)));
        dialog.show();
        HelpViewer* viewer = showHelp(1029, &dialog);
        ASSERT_NE(viewer, nullptr);
        QTest::qWait(20);
        EXPECT_TRUE(screen.contains(viewer->frameGeometry())) << c.name << ": " << viewer->frameGeometry().x() << ","
                                                              << viewer->frameGeometry().y() << " "
                                                              << viewer->frameGeometry().width() << "x"
                                                              << viewer->frameGeometry().height();
        EXPECT_EQ(viewer->screen(), main.screen()) << c.name;
        viewer->close();
    }
}

TEST(Help, WithoutTopicsTheWindowSaysSo)
{
    setHelpFolder(QStringLiteral("/nonexistent/help"));
    EXPECT_EQ(helpTopicPath(1029), "");
    HelpViewer viewer;
    viewer.showTopic(1029);
    EXPECT_TRUE(viewer.topicPath().isEmpty());
    EXPECT_TRUE(viewer.browser()->toPlainText().contains("No help is installed"));
    setHelpFolder({});
}

TEST(Help, RightClickOffersWhatsThisOnlyWhereThereIsAText)
{
    QDialog dialog;
    auto* withText = new QPushButton("Ok", &dialog);
    withText->setWhatsThis("Saves the record.");
    auto* without = new QPushButton("Other", &dialog);
    installWhatsThisMenus(&dialog);
    EXPECT_EQ(withText->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(without->contextMenuPolicy(), Qt::DefaultContextMenu);

    dialog.show();
    QString offered;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            offered = menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
            menu->close();
        }
    });
    emit withText->customContextMenuRequested(QPoint(2, 2));
    EXPECT_EQ(offered, "What's this?");
}

} // namespace
} // namespace qb::test
