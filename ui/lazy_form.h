#pragma once
// Pages that build their form when first shown or first asked for one of its widgets.

#include <QWidget>

namespace ui {

// Shows the widgets of a form just built inside `page`: built while the page is being shown,
// they would otherwise wait for the next event loop. Widgets the form hid stay hidden.
inline void showBuiltForm(QWidget *page)
{
    if (!page->isVisible())
        return;
    for (QWidget *child : page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->testAttribute(Qt::WA_WState_ExplicitShowHide))
            child->show();
}

} // namespace ui
