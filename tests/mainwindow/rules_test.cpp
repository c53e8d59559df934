#include "mainwindow/button_rules.h"
#include "core/command_scope.h"
#include "mainwindow/key_rules.h"
#include "core/memo_text.h"
#include "mainwindow/sort_orders.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using C = MainControl;

TEST(ButtonRules, EachStateOfTheWindow)
{
    struct Case {
        const char* name;
        ButtonInputs in;
    } cases[] = {
        {"no database", {false, false, false, false}},
        {"empty database", {true, false, false, false}},
        {"browsing", {true, false, true, false}},
        {"editing", {true, true, true, false}},
        {"browsing filtered", {true, false, true, true}},
        {"editing filtered", {true, true, true, true}},
        {"filter matching nothing", {true, false, false, true}},
    };
    // Expected enabled (e) and visible (v) per case, in the order above.
    struct Expect {
        C control;
        const char* enabled;
        const char* visible;
    } expects[] = {
        {C::SaveButton, "0001010", "0001010"},
        {C::CancelButton, "0001010", "0001010"},
        {C::AddButton, "0110101", "1110101"},
        {C::EditButton, "0010100", "1110101"},
        {C::DeleteButton, "0010100", "1110101"},
        {C::ExitButton, "1111111", "1110101"},
        {C::ExitMenuItem, "1110101", "1111111"},
        {C::FileMenu, "1110101", "1111111"},
        {C::RecordMenu, "0110101", "1111111"},
        {C::NextButton, "1111111", "0010100"},
        {C::DialPhone1Button, "1111111", "0010100"},
        {C::SearchMemoButton, "1111111", "0010100"},
        {C::LabelsButton, "0010100", "1111111"},
        {C::SortMenu, "0010100", "1111111"},
        {C::CloneMenuItem, "0010100", "1111111"},
        {C::EditMenu, "0111111", "1111111"},
        {C::ImportMenu, "0111111", "1111111"},
        {C::SaveFilterMenuItem, "0000111", "1111111"},
        {C::ClearFilterButton, "0000101", "0000111"},
        {C::FilterButton, "0010111", "1111111"},
        {C::SetFilterMenuItem, "0010111", "1111111"},
        {C::BrowseMenuItem, "0010100", "1111111"},
        {C::AddMenuItem, "0110101", "1111111"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ButtonStates s = buttonStates(cases[i].in);
        for (const Expect& x : expects) {
            EXPECT_EQ(s.enabled(x.control), x.enabled[i] == '1') << cases[i].name << " " << controlCaption(x.control).toStdString();
            EXPECT_EQ(s.visible(x.control), x.visible[i] == '1') << cases[i].name << " " << controlCaption(x.control).toStdString();
        }
    }
}

TEST(ButtonRules, StatusTexts)
{
    EXPECT_EQ(filterStatusText(true, 0), "0 filter matches");
    EXPECT_EQ(filterStatusText(true, 12), "12 filter matches");
    EXPECT_EQ(filterStatusText(false, 3), "3 records (no filter)");
    EXPECT_EQ(filterStatusText(false, 0), "No records");
    EXPECT_EQ(sortStatusText("&E-mail"), "Sorted by E-mail");
}

TEST(SortOrders, CaptionsMapToTheirTags)
{
    ASSERT_EQ(sortOrders().size(), 14u);
    EXPECT_EQ(sortOrders().front().caption, "&Last Name");
    struct Case {
        QString caption, tag;
    } cases[] = {{"&Last Name", "LNAME"}, {"First Name", "FNAME"}, {"&Organization", "ORG"},
                 {"&E-mail", "EMAIL"},    {"DATE", "DATE"},        {"&Codes", "CODES"}, {"&Middle", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(sortTagForCaption(c.caption), c.tag) << c.caption.toStdString();
    EXPECT_EQ(sortCaptionForTag("zip"), "&Zip");
}

TEST(KeyRules, KeysByState)
{
    const auto B = EditState::Browsing, E = EditState::Editing, A = EditState::Adding, N = EditState::NoDatabase;
    const auto none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        EditState state;
        KeyAction action;
    } cases[] = {
        {Qt::Key_Return, alt, E, KeyAction::SaveAndOfferAnother}, {Qt::Key_Enter, alt, A, KeyAction::SaveAndOfferAnother},
        {Qt::Key_Return, ctrl, A, KeyAction::Save},               {Qt::Key_Return, none, E, KeyAction::None},
        {Qt::Key_Return, alt, B, KeyAction::None},                {Qt::Key_PageDown, none, B, KeyAction::Next},
        {Qt::Key_PageDown, ctrl, B, KeyAction::Last},             {Qt::Key_PageDown, none, A, KeyAction::AskSave},
        {Qt::Key_PageDown, none, E, KeyAction::AskSave},          {Qt::Key_PageDown, none, N, KeyAction::None},
        {Qt::Key_PageUp, none, B, KeyAction::Prior},              {Qt::Key_PageUp, ctrl, B, KeyAction::First},
        {Qt::Key_PageUp, none, E, KeyAction::None},               {Qt::Key_Escape, none, E, KeyAction::AskCancel},
        {Qt::Key_Escape, none, A, KeyAction::AskCancel},          {Qt::Key_Escape, none, B, KeyAction::None},
        {Qt::Key_Insert, none, B, KeyAction::ToggleInsert},       {Qt::Key_A, none, E, KeyAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyAction(c.key, c.mods, c.state), c.action) << c.key << " " << int(c.state);
}

TEST(KeyRules, OvertypeReplacesTheCharacterAtTheCaret)
{
    struct Case {
        int key;
        QString text;
        bool character;
    } keys[] = {{Qt::Key_A, "a", true},          {Qt::Key_Space, " ", true},  {Qt::Key_5, "5", true},
                {Qt::Key_Backspace, "\b", false}, {Qt::Key_Delete, "\x7f", false}, {Qt::Key_Left, "", false},
                {Qt::Key_F5, "", false},         {Qt::Key_Home, "", false},   {Qt::Key_Tab, "\t", false}};
    for (const Case& c : keys)
        EXPECT_EQ(isCharacterKey(c.key, c.text), c.character) << c.key;

    EXPECT_EQ(overtypeSelection({2, 0}, 5), (TextSelection{2, 1}));
    EXPECT_EQ(overtypeSelection({1, 3}, 5), (TextSelection{1, 3}));
    EXPECT_EQ(overtypeSelection({5, 0}, 5), (TextSelection{5, 0}));
}

TEST(MemoText, LineBreaksCountTwiceAndFourCharactersGetABlank)
{
    EXPECT_EQ(memoLength("a\nb"), 4);
    EXPECT_EQ(memoLength("a\r\nb"), 4);
    struct Case {
        QString in, out;
    } cases[] = {{"", ""},           {"abc", "abc"},        {"abcd", "abcd "},      {"abcde", "abcde"},
                 {"abcdefgh", "abcdefgh "}, {"a\nb", "a\r\nb "}, {"a\r\nb", "a\r\nb "}, {"ab\n", "ab \r\n"},
                 {"\n\n", "\r\n \r\n"}};
    for (const Case& c : cases)
        EXPECT_EQ(memoForStorage(c.in), c.out) << c.in.toStdString();
    EXPECT_EQ(memoForEditor("a\r\nb"), "a\nb");
}

TEST(CommandScope, RestoresEverythingItRemembered)
{
    std::vector<std::string> calls;
    uint32_t recno = 7;
    QString filter = "CITY = 'X'", printer = "Office";
    bool refresh = true, utility = false;
    CommandScope::Hooks h;
    h.detach = [&] { calls.push_back("detach"); };
    h.attach = [&] { calls.push_back("attach"); };
    h.setRefreshFlag = [&](bool on) { refresh = on; };
    h.setUtilityFlag = [&](bool on) { utility = on; };
    h.recno = [&] { return recno; };
    h.goTo = [&](uint32_t r) { calls.push_back("go " + std::to_string(r)); };
    h.filterExpression = [&] { return filter; };
    h.setFilterExpression = [&](const QString& f) { filter = f; };
    h.printer = [&] { return printer; };
    h.selectPrinter = [&](const QString& p) { printer = p; };
    h.reselectOrder = [&] { calls.push_back("order"); };
    h.applyFilter = [&] { calls.push_back("filter"); };
    h.firstRecord = [&] { calls.push_back("first"); };
    h.refreshButtons = [&] { calls.push_back("buttons"); };

    {
        CommandScope::Steps all = CommandScope::printLabelsOrReports();
        all.utility = all.reselectOrder = true;
        CommandScope scope(all, h);
        EXPECT_EQ(calls, std::vector<std::string>{"detach"});
        EXPECT_FALSE(refresh);
        EXPECT_TRUE(utility);
        recno = 1;
        filter = "!ISDEL";
        printer = "PDF file";
    }
    EXPECT_TRUE(refresh);
    EXPECT_FALSE(utility);
    EXPECT_EQ(filter, "CITY = 'X'");
    EXPECT_EQ(printer, "Office");
    EXPECT_EQ(calls, (std::vector<std::string>{"detach", "order", "go 7", "attach"}));

    // Steps not asked for are left alone, even when the command throws.
    calls.clear();
    try {
        CommandScope scope(CommandScope::deleteOrReplace(), h);
        throw std::runtime_error("engine");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"detach", "order", "filter", "first", "attach", "buttons"}));
    EXPECT_FALSE(utility);
    EXPECT_TRUE(refresh);
}

TEST(CommandScope, EveryStepAfterTheCommandRunsAndTheFirstFailureIsPassedOn)
{
    std::vector<std::string> calls;
    QString filter = "UPPER(STATE)=\"OH\".and. !ISDEL";
    CommandScope::Hooks h;
    h.detach = [&] { calls.push_back("detach"); };
    h.attach = [&] { calls.push_back("attach"); };
    h.filterExpression = [&] { return filter; };
    h.setFilterExpression = [&](const QString& f) { filter = f; };
    h.filterConditions = [] { return QString("UPPER(STATE)=\"OH\""); };
    h.reselectOrder = [&] {
        calls.push_back("order");
        throw std::runtime_error("order");
    };
    h.applyFilter = [&] {
        calls.push_back("filter");
        throw std::runtime_error("filter");
    };

    CommandScope::Steps check = CommandScope::checkStateAndZip();
    {
        CommandScope scope(check, h);
        EXPECT_EQ(filter, "!ISDEL");
        try {
            scope.finish();
            ADD_FAILURE() << "the failing step was not passed on";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "order");
        }
        scope.finish();   // once only
    }
    EXPECT_EQ(filter, "UPPER(STATE)=\"OH\".and. !ISDEL");
    EXPECT_EQ(calls, (std::vector<std::string>{"detach", "order", "attach"}));

    calls.clear();
    {
        CommandScope scope(CommandScope::deleteOrReplace(), h);
        EXPECT_EQ(filter, "UPPER(STATE)=\"OH\"");
    }   // the destructor swallows what fails
    EXPECT_EQ(calls, (std::vector<std::string>{"detach", "order", "filter", "attach"}));
}

} // namespace
} // namespace qb
