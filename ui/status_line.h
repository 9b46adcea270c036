#pragma once
// The display page's status line. It keeps how to say its message, not the words, so that a
// language switch says the same message again in the new language.

#include <QString>

#include <functional>

class QLabel;

namespace ui {

class StatusLine
{
public:
    // Without a label the message is kept until one is set.
    explicit StatusLine(QLabel *label) : m_label(label) {}
    void setLabel(QLabel *label);

    // Shows the message `say` gives, now and again after each language switch.
    void show(std::function<QString()> say);
    void retranslate();

private:
    QLabel *m_label;
    std::function<QString()> m_say;
};

} // namespace ui
