#include "resources/draw_common.h"

#include <QHash>
#include <QPainterPath>
#include <QtMath>

namespace draw {
namespace {

struct Glyph
{
    qreal width;
    std::vector<std::vector<QPointF>> strokes;
};

const QHash<QChar, Glyph> &glyphs()
{
    static const QHash<QChar, Glyph> table = {
        {'A', {4, {{{0, 6}, {2, 0}, {4, 6}}, {{0.8, 3.8}, {3.2, 3.8}}}}},
        {'C', {4, {{{4, 0.8}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5.2}}}}},
        {'I', {0, {{{0, 0}, {0, 6}}}}},
        {'L', {3.5, {{{0, 0}, {0, 6}, {3.5, 6}}}}},
        {'M', {4.6, {{{0, 6}, {0, 0}, {2.3, 4}, {4.6, 0}, {4.6, 6}}}}},
        {'R',
         {4, {{{0, 6}, {0, 0}, {3, 0}, {4, 0.8}, {4, 2.2}, {3, 3}, {0, 3}}, {{2.2, 3}, {4, 6}}}}},
        {'T', {4, {{{0, 0}, {4, 0}}, {{2, 0}, {2, 6}}}}},
        {'V', {4, {{{0, 0}, {2, 6}, {4, 0}}}}},
        // A simple rendering of the character for "language/text", for the language menu glyph.
        {QChar(0x6587),
         {5,
          {{{2.5, 0}, {2.5, 1}},
           {{0, 1.6}, {5, 1.6}},
           {{1.2, 1.6}, {2.2, 3.6}, {3.6, 5}, {5, 6}},
           {{3.8, 1.6}, {2.8, 3.6}, {1.4, 5}, {0, 6}}}}},
    };
    return table;
}

} // namespace

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void begin(QPainter &p, QImage &image)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QPen linePen(const QColor &colour, qreal width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

qreal strokeTextWidth(const QString &text, qreal unit, qreal spacing)
{
    qreal x = 0;
    for (int i = 0; i < text.size(); ++i) {
        const auto it = glyphs().constFind(text.at(i));
        x += (it == glyphs().constEnd() ? 3 : it->width) * unit;
        if (i + 1 < text.size())
            x += spacing;
    }
    return x;
}

qreal strokeText(QPainter &p, const QString &text, QPointF origin, qreal unit, qreal spacing)
{
    qreal x = origin.x();
    for (int i = 0; i < text.size(); ++i) {
        const auto it = glyphs().constFind(text.at(i));
        if (it != glyphs().constEnd()) {
            for (const auto &stroke : it->strokes) {
                QPainterPath path;
                for (size_t n = 0; n < stroke.size(); ++n) {
                    const QPointF pt(x + stroke[n].x() * unit, origin.y() + stroke[n].y() * unit);
                    if (n == 0)
                        path.moveTo(pt);
                    else
                        path.lineTo(pt);
                }
                p.drawPath(path);
            }
        }
        x += (it == glyphs().constEnd() ? 3 : it->width) * unit;
        if (i + 1 < text.size())
            x += spacing;
    }
    return x - origin.x();
}

void arrowHead(QPainter &p, QPointF tip, qreal angleDegrees, qreal size)
{
    // angle: direction the arrow points to, 0 = right, 90 = down (screen coordinates)
    const qreal a = qDegreesToRadians(angleDegrees);
    const qreal spread = qDegreesToRadians(28.0);
    const QPointF left = tip - QPointF(qCos(a - spread), qSin(a - spread)) * size;
    const QPointF right = tip - QPointF(qCos(a + spread), qSin(a + spread)) * size;
    p.save();
    p.setBrush(p.pen().color());
    QPen pen = p.pen();
    pen.setWidthF(qMin(pen.widthF(), 1.5));
    p.setPen(pen);
    p.drawPolygon(QPolygonF({tip, left, right}));
    p.restore();
}

void lightning(QPainter &p, QRectF box)
{
    const auto at = [&box](qreal fx, qreal fy) {
        return QPointF(box.left() + fx * box.width(), box.top() + fy * box.height());
    };
    const QPolygonF bolt(
        {at(0.62, 0), at(0.08, 0.56), at(0.46, 0.56), at(0.36, 1), at(0.92, 0.42), at(0.54, 0.42)});
    p.save();
    p.setBrush(p.pen().color());
    p.drawPolygon(bolt);
    p.restore();
}

void battery(QPainter &p, QRectF body)
{
    const qreal nubWidth = body.height() * 0.16;
    p.drawRoundedRect(body, body.height() * 0.12, body.height() * 0.12);
    const QRectF nub(body.right(), body.center().y() - body.height() * 0.2, nubWidth,
                     body.height() * 0.4);
    p.save();
    p.setBrush(p.pen().color());
    p.drawRect(nub);
    p.restore();
}

void resistor(QPainter &p, QPointF from, QPointF to, int zigs, qreal amplitude)
{
    const QPointF d = to - from;
    const qreal length = qSqrt(d.x() * d.x() + d.y() * d.y());
    const QPointF along = d / length;
    const QPointF across(-along.y(), along.x());
    QPolygonF line;
    line << from;
    const int points = zigs * 2;
    for (int i = 0; i < points; ++i) {
        const qreal t = (i + 0.5) / points;
        line << from + d * t + across * (i % 2 == 0 ? amplitude : -amplitude);
    }
    line << to;
    p.drawPolyline(line);
}

void gear(QPainter &p, QPointF centre, qreal outer, qreal inner, int teeth)
{
    QPolygonF outline;
    const qreal root = outer * 0.78;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        const qreal a = 2 * M_PI * (i + 0.5) / steps;
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : root;
        outline << centre + QPointF(qCos(a), qSin(a)) * r;
    }
    p.drawPolygon(outline);
    p.drawEllipse(centre, inner, inner);
}

} // namespace draw
