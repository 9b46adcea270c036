#pragma once
// The time window after one wheel step: 1.5 times narrower (or wider) around the time under the
// mouse, in whole seconds. Narrow windows of 2 s or less become centre − 1 s … centre + 1 s; a
// 2 s window stays where it is when zoomed in.

#include <QtGlobal>

constexpr quint32 kNarrowestWindowSecs = 2;

struct TimeWindow
{
    qint64 minSecs;
    qint64 maxSecs;
};

// `ratio` is the mouse x over the chart width; `delta` > 0 zooms in.
TimeWindow wheelZoomWindow(quint32 minSecs, quint32 maxSecs, double ratio, int delta);
