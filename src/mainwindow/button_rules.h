#pragma once
// Which of the main window's buttons and menu items are enabled or shown
// (SetButtons), and the two texts of its status line. Pure functions of the
// window's state, so the window only copies the result onto its controls.

#include <QString>
#include <array>
#include <cstdint>

namespace qb {

enum class MainControl {
    // bottom bar
    SaveButton, CancelButton, AddButton, EditButton, DeleteButton, ExitButton,
    FirstButton, PriorButton, NextButton, LastButton, ClearFilterButton,
    // button bar
    LabelsButton, LettersButton, EnvelopesButton, ReportsButton, BrowseButton, SearchButton, FilterButton,
    // record pages
    DialPhone1Button, DialPhone2Button, SearchMemoButton,
    // menus
    FileMenu, EditMenu, RecordMenu, SortMenu, PrintMenu, UtilitiesMenu,
    BrowseMenuItem, SearchMenuItem, ImportMenu, ImportDbfMenuItem, ImportAsciiMenuItem, ExportMenuItem,
    SetFilterMenuItem, ClearFilterMenuItem, SaveFilterMenuItem, RestoreFilterMenuItem, ClearTagsMenuItem,
    TagAllFilterMatchesMenuItem, RebuildIndexesMenuItem, ExitMenuItem,
    AddMenuItem, EditMenuItem, DeleteMenuItem, CloneMenuItem,
    Count
};

// The caption the control shows; the navigation buttons, which show only
// arrows, are named "First", "Prior", "Next", "Last".
QString controlCaption(MainControl control);

struct ButtonInputs {
    bool databaseOpen = false;   // A
    bool editing = false;        // E: a record is being edited or added
    bool hasRecord = false;      // R: the table is not empty and not past its end
    bool filterSet = false;
};

struct ControlState {
    bool enabled = true;
    bool visible = true;
    bool operator==(const ControlState&) const = default;
};

class ButtonStates {
public:
    ControlState& operator[](MainControl c) { return states_[size_t(c)]; }
    const ControlState& operator[](MainControl c) const { return states_[size_t(c)]; }
    bool enabled(MainControl c) const { return (*this)[c].enabled; }
    bool visible(MainControl c) const { return (*this)[c].visible; }

private:
    std::array<ControlState, size_t(MainControl::Count)> states_{};
};

ButtonStates buttonStates(const ButtonInputs& in);

// The right half of the status line; shown only while a database is open.
// passing: records that pass the filter (or, without one, that are not deleted).
QString filterStatusText(bool filterSet, uint32_t passing);

} // namespace qb
