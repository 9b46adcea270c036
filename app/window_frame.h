#pragma once
// Geometry of the frameless window's own border: which edge the pointer is on, and the window
// rectangle a drag on that edge produces. Pure functions so they can be tested without a screen.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace frame {

enum Region
{
    Top = 0,
    Bottom = 1,
    Left = 2,
    Right = 3,
    TopLeft = 4,
    BottomLeft = 5,
    BottomRight = 6,
    TopRight = 7,
    Interior = 8
};

// tl/br: global positions of the window's top-left and bottom-right pixels. Borders are 2 px.
Region hitRegion(const QPoint &tl, const QPoint &br, const QPoint &pointer);

// The new window rectangle for a drag of `region` to `pointer`. Left and top edges keep the
// minimum size; the bottom-left and top-right corners move their sides without that test.
QRect resizedGeometry(Region region, const QPoint &tl, const QPoint &br, const QPoint &pointer,
                      const QSize &minimumSize);

} // namespace frame
