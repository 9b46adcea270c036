#include "app/window_frame.h"

namespace frame {

Region hitRegion(const QPoint &tl, const QPoint &br, const QPoint &p)
{
    const bool left = p.x() >= tl.x() && p.x() <= tl.x() + 1;
    const bool right = p.x() >= br.x() - 1 && p.x() <= br.x();
    const bool top = p.y() >= tl.y() && p.y() <= tl.y() + 1;
    const bool bottom = p.y() >= br.y() - 1 && p.y() <= br.y();

    if (left && top)
        return TopLeft;
    if (left && bottom)
        return BottomLeft;
    if (left)
        return Left;
    if (right && top)
        return TopRight;
    if (right && bottom)
        return BottomRight;
    if (right)
        return Right;
    if (top)
        return Top;
    if (bottom)
        return Bottom;
    return Interior;
}

QRect resizedGeometry(Region region, const QPoint &tl, const QPoint &br, const QPoint &p,
                      const QSize &minimumSize)
{
    QRect r(tl, br);
    auto moveLeftKeepingMinimum = [&] {
        if (minimumSize.width() < br.x() - p.x())
            r.setLeft(p.x());
    };
    auto moveTopKeepingMinimum = [&] {
        if (minimumSize.height() < br.y() - p.y())
            r.setTop(p.y());
    };
    switch (region) {
    case Left:
        moveLeftKeepingMinimum();
        break;
    case TopLeft:
        moveLeftKeepingMinimum();
        moveTopKeepingMinimum();
        break;
    case Top:
        moveTopKeepingMinimum();
        break;
    case Right:
        r.setRight(p.x() - 1);
        break;
    case Bottom:
        r.setBottom(p.y() - 1);
        break;
    case BottomLeft:
        r.setLeft(p.x());
        r.setBottom(p.y() - 1);
        break;
    case BottomRight:
        r.setRight(p.x() - 1);
        r.setBottom(p.y() - 1);
        break;
    case TopRight:
        r.setRight(p.x() - 1);
        r.setTop(p.y());
        break;
    case Interior:
        break;
    }
    return r;
}

} // namespace frame
