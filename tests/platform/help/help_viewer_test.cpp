#include "platform/help/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
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
    const Case cases[] = {{1029, "1029.html"}, {1040, "1040.html"}, {1038, "1038.html"},
                          {1025, "1025.html"}, {4711, "contents.html"}, {0, "contents.html"}, {-1, "contents.html"}};
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
