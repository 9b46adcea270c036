#include "ui/page_scroll_area.h"

#include <QChildEvent>

namespace ui {

PageScrollArea::PageScrollArea(QWidget *parent) : QScrollArea(parent) {}

void PageScrollArea::childEvent(QChildEvent *event)
{
    // The viewport and the scroll bars were made before this class took over; the next widget
    // is the contents, announced while its own constructor still runs and before it has
    // children, so moving it costs nothing. setWidget later finds it in place.
    if (event->added() && !m_contentsPlaced && event->child()->isWidgetType()) {
        m_contentsPlaced = true;
        static_cast<QWidget *>(event->child())->setParent(viewport());
        return;
    }
    QScrollArea::childEvent(event);
}

} // namespace ui
