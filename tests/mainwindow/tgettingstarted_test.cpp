#include "mainwindow/tgettingstarted.h"

#include "core/preferences.h"
#include "core/settings.h"
#include "platform/help/help_viewer.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

const QString kSection = QString(ini::misc::section);
const QString kKey = QString(ini::misc::gettingStarted);

QCheckBox* box(TGettingStarted& d) { return d.findChild<QCheckBox*>("DoNotShowCheckBox"); }

TEST(TGettingStarted, CaptionsAndModality)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath("QUILLB.ini"));
    TGettingStarted d(settings);
    EXPECT_EQ(d.windowTitle(), "Getting Started");
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(box(d)->text(), "Do not show this screen at start up");
    EXPECT_EQ(d.findChild<QPushButton*>("CloseButton")->text(), "Close");
}

TEST(TGettingStarted, CheckBoxStartsFromTheSettingAndIsWrittenBackHoweverTheWindowCloses)
{
    enum class Close { Button, Escape, Window };
    struct Case {
        const char* stored;   // nullptr: no key
        bool startsChecked;
        bool click;
        Close how;
        const char* written;
    };
    const Case cases[] = {
        {nullptr, false, false, Close::Button, "0"},
        {nullptr, false, true, Close::Button, "1"},
        {"0", false, true, Close::Escape, "1"},
        {"1", true, false, Close::Window, "1"},
        {"1", true, true, Close::Button, "0"},
        {"7", true, true, Close::Window, "0"},   // any non-zero number is true
        {"x", false, false, Close::Escape, "0"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        Settings settings(dir.filePath("QUILLB.ini"));
        if (c.stored)
            settings.setString(kSection, kKey, c.stored);
        TGettingStarted d(settings);
        d.show();
        EXPECT_EQ(box(d)->isChecked(), c.startsChecked) << c.stored;
        if (c.click)
            QTest::mouseClick(box(d), Qt::LeftButton, {}, QPoint(4, box(d)->height() / 2));
        switch (c.how) {
        case Close::Button: QTest::mouseClick(d.findChild<QPushButton*>("CloseButton"), Qt::LeftButton); break;
        case Close::Escape: QTest::keyClick(&d, Qt::Key_Escape); break;
        case Close::Window: d.close(); break;
        }
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(Settings(settings.path()).string(kSection, kKey), c.written) << c.stored << " " << c.click;
    }
}

TEST(TGettingStarted, LinksNameHelpContexts)
{
    struct Case {
        const char* link;
        std::optional<int> topic;
    };
    const Case cases[] = {
        {"help:1029", 1029}, {"HELP:0", 0}, {"help:1038", 1038}, {"help:", std::nullopt},
        {"help:abc", std::nullopt}, {"help:-5", std::nullopt}, {"https://example.com/1029", std::nullopt},
        {"1029.html", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TGettingStarted::linkTopic(QUrl(c.link)), c.topic) << c.link;
}

TEST(TGettingStarted, EveryLinkOnThePageOpensAShippedTopicOrTheContents)
{
    static const QRegularExpression href(R"re(href="([^"]+)")re");
    int links = 0;
    for (auto it = href.globalMatch(TGettingStarted::pageHtml()); it.hasNext(); ++links) {
        const QString link = it.next().captured(1);
        const auto topic = TGettingStarted::linkTopic(QUrl(link));
        ASSERT_TRUE(topic.has_value()) << link.toStdString();
        EXPECT_TRUE(*topic == TGettingStarted::ContentsTopic ||
                    QFile::exists(QStringLiteral(QB_SOURCE_DIR "/data/help/%1.html").arg(*topic)))
            << link.toStdString();
    }
    EXPECT_GE(links, 2);

    setHelpFolder(QStringLiteral(QB_SOURCE_DIR "/data/help"));
    QTemporaryDir dir;
    Settings settings(dir.filePath("QUILLB.ini"));
    TGettingStarted d(settings);
    d.show();
    auto* page = d.findChild<QTextBrowser*>("GettingStartedPage");
    struct Opened {
        const char* link;
        const char* file;
    };
    for (const Opened& o : {Opened{"help:1029", "1029.html"}, Opened{"help:0", "contents.html"}}) {
        emit page->anchorClicked(QUrl(o.link));
        auto* viewer = d.findChild<HelpViewer*>();
        ASSERT_NE(viewer, nullptr) << o.link;
        EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), o.file) << o.link;
    }
    EXPECT_TRUE(page->source().isEmpty());   // the page itself never navigates away
    d.close();
    setHelpFolder({});
}

} // namespace
} // namespace qb::test
