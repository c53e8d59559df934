// F1 opens help in every window as its Help does: a window's topic from any
// of its controls, a control's own topic where it has one, and the main
// window's topic, which has no Help button.

#include "core/address_fixture.h"
#include "core/tspecifyfieldlengths.h"
#include "core/tsystemreindex.h"
#include "dialer/tqbdialer.h"
#include "envelopes/envelope_dialogs.h"
#include "help_topic.h"
#include "labels/label_stock_dialogs.h"
#include "mainwindow/taddressbrowseform.h"
#include "mainwindow/taddressmain.h"
#include "mainwindow/tdateselector.h"
#include "mainwindow/tpreferences.h"
#include "mainwindow/tsearchbox.h"
#include "transfer/tcopyrecordsout.h"
#include "transfer/timportoldversion.h"

#include <QLineEdit>
#include <QTest>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace qb::test {
namespace {

class HelpKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        installHelpKey();
        QDir().mkpath(program.folder() + "sysdata");
        Settings::program().setBoolean("Misc", "GettingStarted", true);
        ASSERT_TRUE(createAddressTable(program.data("add0001.DBF"), FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(program.data("add0001.DBF")));
        addRow(addresses.table(), {{"LNAME", "Adams"}});
        addresses.table().first();
    }

    // Presses F1 where the focus is in window (or on the window) and reads the topic shown.
    static QString topicAfterF1(QWidget& window, QWidget* at = nullptr)
    {
        window.show();
        window.activateWindow();
        QTest::qWait(20);
        if (!at)
            at = window.focusWidget() ? window.focusWidget() : &window;
        QTest::keyClick(at, Qt::Key_F1);
        auto* viewer = window.findChild<HelpViewer*>();
        if (!viewer || !viewer->isVisible())
            return {};
        return QFileInfo(viewer->topicPath()).fileName();
    }

    ProgramDir program;
    MessageLog log;
    ShippedHelp help;
    AddressTable addresses;
};

TEST_F(HelpKey, F1OpensEachWindowsTopic)
{
    Settings settings = Settings::program();
    const struct {
        const char* topic;
        std::function<std::unique_ptr<QWidget>()> make;
    } windows[] = {
        {"1029.html", [] { return std::make_unique<TAddressMain>(); }},
        {"1025.html", [] { return std::make_unique<TDateSelector>(); }},
        {"1026.html", [] { return std::make_unique<TSearchBox>(QStringList{"Last Name"}, "Last Name"); }},
        {"1034.html", [&] { return std::make_unique<TAddressBrowseForm>(addresses, std::vector<RecordViewField>{},
                                                                          TAddressBrowseForm::Hooks{}); }},
        {"1038.html", [&] { return std::make_unique<TPreferences>(settings); }},
        {"1041.html", [] { return std::make_unique<TSystemReindex>(); }},
        {"1042.html", [] { return std::make_unique<TSpecifyFieldLengths>(FieldLengths::settingsDefaults()); }},
        {"1049.html", [] { return std::make_unique<TChooseLabelLayout>(); }},
        {"1050.html", [] { return std::make_unique<TLabelEdit>(LabelStock{}); }},
        {"1081.html", [] { return std::make_unique<TChooseEnvelopeLayout>(20); }},
        {"1091.html", [&] { return std::make_unique<TQBDialer>("555-1234", settings); }},
        {"1505.html", [&] { return std::make_unique<TImportOldVersion>(1, addresses); }},
        {"1506.html", [&] { return std::make_unique<TCopyRecordsOut>(addresses); }},
    };
    for (const auto& w : windows) {
        std::unique_ptr<QWidget> window = w.make();
        EXPECT_EQ(topicAfterF1(*window), w.topic) << window->windowTitle().toStdString();
    }
}

TEST_F(HelpKey, AControlsOwnTopicComesBeforeItsWindows)
{
    TAddressMain window;
    auto* last = window.findChild<QLineEdit*>("LNAMEEdit");
    ASSERT_NE(last, nullptr);
    setHelpContext(last, 1025);
    EXPECT_EQ(topicAfterF1(window, last), "1025.html");
    EXPECT_EQ(topicAfterF1(window, &window), "1029.html");
}

} // namespace
} // namespace qb::test
