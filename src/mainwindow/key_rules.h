#pragma once
// The keys the main window handles before its controls see them, and the
// overtype rule for typing while Insert is off.

#include "mainwindow/edit_state.h"

#include <QString>
#include <Qt>

namespace qb {

enum class KeyAction {
    None,                 // the control gets the key
    SaveAndOfferAnother,  // Alt+Enter: save, then "Add another record?"
    Save,                 // Ctrl+Enter
    AskSave,              // PgDn while editing: "Save changes?"
    AskCancel,            // Esc while editing: "Cancel changes?"
    Next, Last, Prior, First,
    ToggleInsert,
};

KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers, EditState state);

// Whether a key types a character that overtype replaces with: everything
// but control keys, navigation and editing keys, function keys and the lock keys.
bool isCharacterKey(int key, const QString& text);

struct TextSelection {
    int start = 0;
    int length = 0;
    bool operator==(const TextSelection&) const = default;
};

// With Insert off the selection is widened to at least the character at the
// caret, so the typed key replaces it; at the end of the text there is none.
TextSelection overtypeSelection(TextSelection selection, int textLength);

} // namespace qb
