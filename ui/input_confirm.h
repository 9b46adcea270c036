#pragma once
// Why a line edit of a page finished editing. Only Return/Enter confirms a value for the
// instrument: the field still has the focus then. A field left by mouse or Tab has lost it inside
// its active window. A pop-up (a menu, a list) opening over the field, or another window taking
// the keyboard, also finishes the editing; the field gets the focus back when the user returns,
// so the typed text is neither sent nor undone.

#include "protocol/settings_values.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

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

// A confirmed number the instrument cannot take is told in the program's usual box ("提示", red
// text) and not sent. True when it may be sent.
inline bool acceptTyped(QWidget *parent, const proto::TypedNumber &typed)
{
    if (typed.verdict == proto::TypedNumber::Accepted)
        return true;
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("MainDialog", text);
    };
    const QString text =
        typed.verdict == proto::TypedNumber::Malformed
            ? tr("<font color='red'>文本框含有非法字符，请重新输入！</font>")
            : tr("<font color='red'>超出仪器可设置的范围（%1～%2），请重新输入！</font>")
                  .arg(typed.lowest, typed.highest);
    QMessageBox::information(parent, tr("提示"), text, QMessageBox::Ok);
    return false;
}
