#pragma once
// Geometry of the pages laid out with fixed rectangles: how they use a window larger than the
// design size (1232 x 900), and where the axis-range panel opens over the chart container.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

// A page of the page stack in the design-size window; the display page may lose up to
// kChartShrink pixels of its chart's height before it scrolls (a 1366 x 768 screen then shows
// all of it).
constexpr QSize kPageDesignSize(981, 818);
constexpr int kChartShrink = 200;

enum class Stretch
{
    Grow,             // takes all extra width and height (the chart container and its chart)
    GrowWidthFollowY, // takes the extra width and moves down by the extra height (status line)
    FollowRight,      // keeps its distance to the right edge
    CentreX,          // stays centred horizontally
    Centre,           // stays centred both ways (home grids and their captions)
    Share             // part of a row that shares the extra width; its contents stay centred
};

// Where a widget designed at `design` goes when its page has `extra` more room than designed.
// Less room than designed: the two growing rules give up height (the chart is the one thing that
// can be shorter), the others stay where they are.
// A Share widget is part `part` of `parts` equal shares of the extra width.
QRect stretchedRect(const QRect &design, Stretch how, const QSize &extra, int part = 0,
                    int parts = 1);

// The axis-range panel opens centred in the chart container: (dx, dy) is half the room the
// panel leaves, in integer arithmetic; the panel then takes the 200 x 200 square from
// (dx - 10, dy - 10) to (dx + 189, dy + 189).
QPoint rangePanelOffset(const QSize &container, const QSize &panel);
QRect rangePanelRect(const QPoint &offset);

// Re-applies the rules whenever the page is resized. Widgets are found by object name below
// `page`; names that are missing are skipped, so optional widgets can be listed.
class PageStretcher : public QObject
{
public:
    struct Rule
    {
        const char *name;
        Stretch how;
        int part = 0; // for Stretch::Share
        int parts = 1;
    };
    // The page may become up to `maxShrink` pixels shorter than designed before it scrolls.
    PageStretcher(QWidget *page, const QSize &designSize, const QVector<Rule> &rules,
                  int maxShrink = 0);

    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QWidget *widget;
        QRect design;
        Rule rule;
        QVector<QPair<QWidget *, QRect>> contents; // of a Share widget, as designed
    };
    QWidget *m_page;
    QSize m_designSize;
    int m_maxShrink;
    QVector<Entry> m_entries;
};
