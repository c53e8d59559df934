#pragma once
// A window's help checked as a user meets it: its Help button clicked, and F1
// pressed in the control that has the focus, the help window must show the
// window's own topic from the topics that ship, not the contents.

#include "platform/help/help_viewer.h"
#include "qstring_print.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace qb::test {

// Points the help at the shipped topics while it lives.
class ShippedHelp {
public:
    ShippedHelp() { setHelpFolder(QStringLiteral(QB_SOURCE_DIR "/data/help")); }
    ~ShippedHelp() { setHelpFolder({}); }
    ShippedHelp(const ShippedHelp&) = delete;
    ShippedHelp& operator=(const ShippedHelp&) = delete;
};

// Clicks window's "Help" button and checks the topic file and its title.
inline void expectHelpTopic(QWidget& window, const QString& file, const QString& title)
{
    QPushButton* help = nullptr;
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == QLatin1String("Help") && b->window() == &window)
            help = b;
    ASSERT_NE(help, nullptr) << window.windowTitle().toStdString();
    ASSERT_TRUE(help->isVisible()) << window.windowTitle().toStdString();
    help->click();
    HelpViewer* viewer = window.findChild<HelpViewer*>();
    ASSERT_NE(viewer, nullptr) << window.windowTitle().toStdString();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), file) << window.windowTitle().toStdString();
    EXPECT_EQ(viewer->browser()->documentTitle(), title) << window.windowTitle().toStdString();

    // F1 brings the same topic back after the user went to the contents.
    installHelpKey();
    viewer->showContents();
    QWidget* focus = window.focusWidget() ? window.focusWidget() : &window;
    QTest::keyClick(focus, Qt::Key_F1);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), file) << "F1 in " << window.windowTitle().toStdString();
}

} // namespace qb::test
