#include "ui/status_line.h"

#include <QLabel>

namespace ui {

void StatusLine::show(std::function<QString()> say)
{
    m_say = std::move(say);
    retranslate();
}

void StatusLine::setLabel(QLabel *label)
{
    m_label = label;
    retranslate();
}

void StatusLine::retranslate()
{
    if (m_say && m_label)
        m_label->setText(m_say());
}

} // namespace ui
