#include "ui/page_geometry.h"

#include <QEvent>
#include <QWidget>

QRect stretchedRect(const QRect &design, Stretch how, const QSize &extra, int part, int parts)
{
    const int dw = std::max(0, extra.width());
    const int dh = std::max(0, extra.height());
    switch (how) {
    case Stretch::Grow:
        return design.adjusted(0, 0, dw, extra.height());
    case Stretch::GrowWidthFollowY:
        return design.translated(0, extra.height()).adjusted(0, 0, dw, 0);
    case Stretch::FollowRight:
        return design.translated(dw, 0);
    case Stretch::CentreX:
        return design.translated(dw / 2, 0);
    case Stretch::Centre:
        return design.translated(dw / 2, dh / 2);
    case Stretch::Share: {
        const int before = dw * part / std::max(1, parts);
        const int upTo = dw * (part + 1) / std::max(1, parts);
        return design.translated(before, 0).adjusted(0, 0, upTo - before, 0);
    }
    }
    return design;
}

QPoint rangePanelOffset(const QSize &container, const QSize &panel)
{
    return {(container.width() - panel.width()) / 2, (container.height() - panel.height()) / 2};
}

QRect rangePanelRect(const QPoint &offset)
{
    return QRect(offset - QPoint(10, 10), offset + QPoint(189, 189));
}

PageStretcher::PageStretcher(QWidget *page, const QSize &designSize, const QVector<Rule> &rules,
                             int maxShrink)
    : QObject(page), m_page(page), m_designSize(designSize), m_maxShrink(maxShrink)
{
    for (const Rule &rule : rules) {
        auto *w = page->findChild<QWidget *>(rule.name);
        if (!w)
            continue;
        Entry entry{w, w->geometry(), rule, {}};
        if (rule.how == Stretch::Share)
            for (QWidget *child : w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                entry.contents.append({child, child->geometry()});
        m_entries.append(entry);
    }
    page->installEventFilter(this);
}

void PageStretcher::apply()
{
    QSize extra = m_page->size() - m_designSize;
    extra.setHeight(std::max(extra.height(), -m_maxShrink));
    for (const Entry &e : qAsConst(m_entries)) {
        const QRect r = stretchedRect(e.design, e.rule.how, extra, e.rule.part, e.rule.parts);
        e.widget->setGeometry(r);
        const int shift = (r.width() - e.design.width()) / 2;
        for (const auto &content : e.contents)
            content.first->setGeometry(content.second.translated(shift, 0));
    }
}

bool PageStretcher::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}
