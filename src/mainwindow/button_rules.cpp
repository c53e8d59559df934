#include "mainwindow/button_rules.h"

namespace qb {

QString controlCaption(MainControl control)
{
    using C = MainControl;
    switch (control) {
    case C::SaveButton: return QStringLiteral("&Save");
    case C::CancelButton: return QStringLiteral("&Cancel");
    case C::AddButton: case C::AddMenuItem: return QStringLiteral("&Add");
    case C::EditButton: case C::EditMenuItem: return QStringLiteral("&Edit");
    case C::DeleteButton: case C::DeleteMenuItem: return QStringLiteral("&Delete");
    case C::ExitButton: return QStringLiteral("E&xit");
    case C::FirstButton: return QStringLiteral("First");
    case C::PriorButton: return QStringLiteral("Prior");
    case C::NextButton: return QStringLiteral("Next");
    case C::LastButton: return QStringLiteral("Last");
    case C::ClearFilterButton: return QStringLiteral("Clear Filter");
    case C::LabelsButton: return QStringLiteral("Labels");
    case C::LettersButton: return QStringLiteral("Letters");
    case C::EnvelopesButton: return QStringLiteral("Envelopes");
    case C::ReportsButton: return QStringLiteral("Reports");
    case C::BrowseButton: return QStringLiteral("Browse");
    case C::SearchButton: return QStringLiteral("Search");
    case C::FilterButton: return QStringLiteral("Filter");
    case C::DialPhone1Button: return QStringLiteral("Dial Phone &1");
    case C::DialPhone2Button: return QStringLiteral("Dial Phone &2");
    case C::SearchMemoButton: return QStringLiteral("Search &Memo");
    case C::FileMenu: return QStringLiteral("&File");
    case C::EditMenu: return QStringLiteral("Ed&it");
    case C::RecordMenu: return QStringLiteral("&Record");
    case C::SortMenu: return QStringLiteral("&Sort");
    case C::PrintMenu: return QStringLiteral("&Print");
    case C::UtilitiesMenu: return QStringLiteral("&Utilities");
    case C::BrowseMenuItem: return QStringLiteral("&Browse");
    case C::SearchMenuItem: return QStringLiteral("&Search");
    case C::ImportMenu: return QStringLiteral("&Import");
    case C::ImportDbfMenuItem: return QStringLiteral("Import from &DBF File");
    case C::ImportAsciiMenuItem: return QStringLiteral("Import from &ASCII File");
    case C::ExportMenuItem: return QStringLiteral("&Export ");
    case C::SetFilterMenuItem: return QStringLiteral("Set &Filter");
    case C::ClearFilterMenuItem: return QStringLiteral("&Clear Filter");
    case C::SaveFilterMenuItem: return QStringLiteral("Sa&ve Filter");
    case C::RestoreFilterMenuItem: return QStringLiteral("&Restore Filter");
    case C::ClearTagsMenuItem: return QStringLiteral("Clear &Tags");
    case C::TagAllFilterMatchesMenuItem: return QStringLiteral("T&ag All Filter Matches");
    case C::RebuildIndexesMenuItem: return QStringLiteral("Rebuild In&dexes for this file");
    case C::ExitMenuItem: return QStringLiteral("E&xit ");
    case C::CloneMenuItem: return QStringLiteral("Create a Duplicate &Record (Clone)");
    case C::Count: break;
    }
    return {};
}

ButtonStates buttonStates(const ButtonInputs& in)
{
    using C = MainControl;
    const bool a = in.databaseOpen, e = in.editing, r = in.hasRecord, f = in.filterSet;
    const bool recordWork = a && !e && r;
    ButtonStates s;

    for (C c : {C::SaveButton, C::CancelButton})
        s[c] = {e, e};
    s[C::AddButton] = {a && !e, !e};
    s[C::EditButton] = {recordWork, !e};
    s[C::DeleteButton] = {recordWork, !e};
    s[C::ExitButton] = {true, !e};
    s[C::RecordMenu].enabled = a && !e;

    for (C c : {C::SearchButton, C::BrowseButton, C::LabelsButton, C::LettersButton, C::EnvelopesButton,
                C::ReportsButton, C::ExportMenuItem, C::CloneMenuItem, C::SortMenu, C::PrintMenu, C::UtilitiesMenu})
        s[c].enabled = recordWork;
    // These keep their enabled state and are hidden instead.
    for (C c : {C::FirstButton, C::PriorButton, C::NextButton, C::LastButton, C::DialPhone1Button,
                C::DialPhone2Button, C::SearchMemoButton})
        s[c].visible = recordWork;

    for (C c : {C::EditMenu, C::RebuildIndexesMenuItem, C::ImportMenu, C::ImportDbfMenuItem, C::ImportAsciiMenuItem,
                C::ClearTagsMenuItem, C::RestoreFilterMenuItem})
        s[c].enabled = a;

    for (C c : {C::SaveFilterMenuItem, C::ClearFilterMenuItem, C::TagAllFilterMatchesMenuItem})
        s[c].enabled = f;
    s[C::ClearFilterButton] = {f && !e, f};
    s[C::FilterButton].enabled = f || recordWork;
    s[C::SetFilterMenuItem].enabled = f || recordWork;

    s[C::FileMenu].enabled = !e;
    s[C::ExitMenuItem].enabled = !e;

    // The menu items follow their buttons.
    s[C::BrowseMenuItem].enabled = s[C::BrowseButton].enabled;
    s[C::SearchMenuItem].enabled = s[C::SearchButton].enabled;
    s[C::AddMenuItem].enabled = s[C::AddButton].enabled;
    s[C::EditMenuItem].enabled = s[C::EditButton].enabled;
    s[C::DeleteMenuItem].enabled = s[C::DeleteButton].enabled;
    return s;
}

QString filterStatusText(bool filterSet, uint32_t passing)
{
    if (filterSet)
        return QString::number(passing) + QStringLiteral(" filter matches");
    if (passing > 0)
        return QString::number(passing) + QStringLiteral(" records (no filter)");
    return QStringLiteral("No records");
}

} // namespace qb
