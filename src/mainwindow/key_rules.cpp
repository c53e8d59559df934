#include "mainwindow/key_rules.h"

namespace qb {

KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers, EditState state)
{
    const bool pending = isPending(state);
    const bool browsing = state == EditState::Browsing;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);

    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!pending)
            return KeyAction::None;
        if (alt)
            return KeyAction::SaveAndOfferAnother;
        return ctrl ? KeyAction::Save : KeyAction::None;
    case Qt::Key_PageDown:
        // Leaving the record, with or without Ctrl, first settles its changes.
        if (pending)
            return KeyAction::AskSave;
        if (browsing)
            return ctrl ? KeyAction::Last : KeyAction::Next;
        return KeyAction::None;
    case Qt::Key_PageUp:
        if (browsing)
            return ctrl ? KeyAction::First : KeyAction::Prior;
        return KeyAction::None;
    case Qt::Key_Escape:
        return pending ? KeyAction::AskCancel : KeyAction::None;
    case Qt::Key_Insert:
        return modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) ? KeyAction::None
                                                                                        : KeyAction::ToggleInsert;
    default:
        return KeyAction::None;
    }
}

bool isCharacterKey(int key, const QString& text)
{
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f)
        return false;
    // Qt gives some of these a text on some platforms (the keypad's Delete, say).
    switch (key) {
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
    case Qt::Key_Left: case Qt::Key_Up: case Qt::Key_Right: case Qt::Key_Down:
    case Qt::Key_Select: case Qt::Key_Print: case Qt::Key_Execute: case Qt::Key_Insert:
    case Qt::Key_Delete: case Qt::Key_Help: case Qt::Key_NumLock: case Qt::Key_ScrollLock:
        return false;
    default:
        return !(key >= Qt::Key_F1 && key <= Qt::Key_F35);
    }
}

TextSelection overtypeSelection(TextSelection selection, int textLength)
{
    if (selection.length == 0 && selection.start < textLength)
        selection.length = 1;
    return selection;
}

} // namespace qb
