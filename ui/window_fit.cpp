#include "ui/window_fit.h"

#include "ui/page_geometry.h"

#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>

#include <memory>

namespace {

const QVector<PageStretcher::Rule> kHk07HomeRules = {
    {"labTitle", Stretch::CentreX},
    {"label_home_hint", Stretch::Centre},
    {"home_grid_widget", Stretch::Centre},
};
const QVector<PageStretcher::Rule> kNv05HomeRules = {
    {"NV05_labTitle", Stretch::CentreX},
    {"NV05_label_home_hint", Stretch::Centre},
    {"NV05_grid_widget", Stretch::Centre},
};

// The room a page needs: down to its lowest widget as designed. A page that leaves the bottom of
// the design empty does not scroll for that empty band.
int designedContentHeight(const QWidget *page)
{
    // A page with a layout needs what its layout asks for.
    int bottom = page->layout() ? page->minimumSizeHint().height() : 0;
    if (!page->layout()) {
        for (const QWidget *child :
             page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            bottom = std::max(bottom, child->geometry().bottom() + 1);
    }
    return std::min(bottom, kPageDesignSize.height());
}
} // namespace

void adaptMainWindow(QWidget *dialog)
{
    // The form holds the stack in its scroll area: its viewport must not paint over the frame.
    if (auto *scroll = dialog->findChild<QScrollArea *>("disp_scrollArea"))
        scroll->viewport()->setAutoFillBackground(false);
    if (auto *stack = dialog->findChild<QStackedWidget *>("disp_stackedWidget")) {
        // Only the display page, whose chart can be shorter, lets the stack be less tall.
        QWidget *display = stack->findChild<QWidget *>("page_disp");
        // Measured when a page is first shown: some pages build their contents only then.
        auto needed = std::make_shared<QHash<const QWidget *, int>>();
        auto fitMinimum = [stack, display, needed] {
            const QWidget *page = stack->currentWidget();
            if (page && page != display && !needed->contains(page))
                needed->insert(page, designedContentHeight(page));
            stack->setMinimumHeight(page == display
                                        ? kPageDesignSize.height() - kChartShrink
                                        : needed->value(page, kPageDesignSize.height()));
        };
        QObject::connect(stack, &QStackedWidget::currentChanged, stack, fitMinimum);
        fitMinimum();
        if (QWidget *home = stack->findChild<QWidget *>("page"))
            new PageStretcher(home, kPageDesignSize, kHk07HomeRules);
        if (QWidget *home = stack->findChild<QWidget *>("NV05_page_1"))
            new PageStretcher(home, kPageDesignSize, kNv05HomeRules);
    }

    dialog->setMinimumSize(kSmallestWindow);
    // A screen too small for the design size gets a window as large as it allows: the page
    // scrolls one way only, and the rest of the room goes to the chart.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size().expandedTo(kSmallestWindow);
        if (dialog->width() > available.width() || dialog->height() > available.height())
            dialog->resize(available);
    }
}

void installFontSubstitutes()
{
    const QStringList cjk = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"};
    for (const char *family : {"Microsoft Yahei", "微软雅黑", "宋体"})
        QFont::insertSubstitutions(family, cjk);
    QFont::insertSubstitutions("DINW10-Medium", {"Nimbus Sans Narrow", "DejaVu Sans Condensed"});
}
