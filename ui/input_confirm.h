#pragma once
// Why a line edit of a page finished editing. Only Return/Enter confirms a value for the
// instrument: the field still has the focus then. A field left by mouse or Tab has lost it inside
// its active window. A pop-up (a menu, a list) opening over the field, or another window taking
// the keyboard, also finishes the editing; the field gets the focus back when the user returns,
// so the typed text is neither sent nor undone.

#include <QApplication>
#include <QLineEdit>

enum class InputEnd
{
    Confirmed,
    Left,
    Interrupted
};

inline InputEnd howInputEnded(const QLineEdit *edit)
{
    if (QApplication::activePopupWidget() || !edit->isActiveWindow())
        return InputEnd::Interrupted;
    return edit->hasFocus() ? InputEnd::Confirmed : InputEnd::Left;
}

// The field is the one its window gives the keyboard to, even while a pop-up or another window
// has it for a moment: the instrument's echo must not overwrite what is typed there.
inline bool heldByUser(const QLineEdit *edit)
{
    return edit->window()->focusWidget() == edit;
}
