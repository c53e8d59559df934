#pragma once

namespace qb {

// Where the main window's record stands.
enum class EditState { NoDatabase, Browsing, Editing, Adding };

inline bool isPending(EditState s) { return s == EditState::Editing || s == EditState::Adding; }

} // namespace qb
