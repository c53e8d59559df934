#include "mainwindow/tcopytoclipboard.h"
#include "message_log.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

RecordFields record()
{
    RecordFields f;
    f.fname = "Ann";
    f.lname = "Carter";
    f.city = "Boston";
    f.zip = "02134";
    f.phone = "555-0100";
    return f;
}

TEST(TCopyToClipBoard, OkPutsTheTickedGroupsOnTheClipboardAndSaysSo)
{
    MessageLog messages;
    QGuiApplication::clipboard()->setText("old contents");
    TCopyToClipBoard d(record());
    EXPECT_EQ(d.windowTitle(), "Copy Record To Clipboard");
    for (const char* name : {"NameCheck", "AddressCheck", "PhoneCheck", "CodesCheck", "CommentsCheck"})
        EXPECT_TRUE(d.findChild<QCheckBox*>(name)->isChecked()) << name;
    EXPECT_EQ(d.findChild<QCheckBox*>("CommentsCheck")->text(), "Comments 1 && 2");
    d.findChild<QCheckBox*>("NameCheck")->setChecked(false);
    QTest::mouseClick(d.findChild<QPushButton*>("OkButton"), Qt::LeftButton);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Boston  02134\r\nPhone  :555-0100\r\n");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.messages[0].text, "Record copied to Clipboard");
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(TCopyToClipBoard, EmptyTextStillReplacesTheClipboard)
{
    MessageLog messages;
    QGuiApplication::clipboard()->setText("old contents");
    RecordFields noPhones = record();
    noPhones.phone.clear();
    TCopyToClipBoard d(noPhones);
    for (const char* name : {"NameCheck", "AddressCheck", "CodesCheck", "CommentsCheck"})
        d.findChild<QCheckBox*>(name)->setChecked(false);
    QTest::mouseClick(d.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
}

TEST(TCopyToClipBoard, CancelLeavesTheClipboardAlone)
{
    MessageLog messages;
    QGuiApplication::clipboard()->setText("old contents");
    TCopyToClipBoard d(record());
    QTest::mouseClick(d.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "old contents");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

} // namespace
} // namespace qb::test
