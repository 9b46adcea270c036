// Work-mode pictograms of the home page: white line drawings on a transparent 100 x 70 tile,
// shown on coloured buttons, so they carry no colour of their own.

#include "resources/draw_common.h"

#include <QPainterPath>

namespace draw {
namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 70;
const QColor kInk(Qt::white);

// Shared frame of the source symbols: leads left and right of a circle in the middle.
void sourceWithLeads(QPainter &p, qreal radius)
{
    const QPointF c(kWidth / 2.0, kHeight / 2.0);
    p.drawLine(QPointF(12, c.y()), QPointF(c.x() - radius, c.y()));
    p.drawLine(QPointF(c.x() + radius, c.y()), QPointF(kWidth - 12, c.y()));
    p.drawEllipse(c, radius, radius);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(12, c.y()), 3, 3);
    p.drawEllipse(QPointF(kWidth - 12, c.y()), 3, 3);
    p.setBrush(Qt::NoBrush);
}

QImage tile(const std::function<void(QPainter &)> &paint)
{
    QImage image = canvas(kWidth, kHeight);
    QPainter p;
    begin(p, image);
    p.setPen(linePen(kInk, 3));
    paint(p);
    p.end();
    return image;
}

void constantCurrent(QPainter &p)
{
    sourceWithLeads(p, 20);
    p.drawLine(QPointF(38, 35), QPointF(60, 35));
    arrowHead(p, QPointF(63, 35), 0, 9);
}

void constantVoltage(QPainter &p)
{
    sourceWithLeads(p, 20);
    p.drawLine(QPointF(37, 35), QPointF(47, 35)); // plus
    p.drawLine(QPointF(42, 30), QPointF(42, 40));
    p.drawLine(QPointF(54, 35), QPointF(63, 35)); // minus
}

void constantResistance(QPainter &p)
{
    p.drawLine(QPointF(12, 35), QPointF(26, 35));
    p.drawLine(QPointF(74, 35), QPointF(88, 35));
    resistor(p, QPointF(26, 35), QPointF(74, 35), 4, 11);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(12, 35), 3, 3);
    p.drawEllipse(QPointF(88, 35), 3, 3);
}

void constantPower(QPainter &p)
{
    sourceWithLeads(p, 22);
    p.setPen(linePen(kInk, 1.5));
    lightning(p, QRectF(40, 20, 20, 30));
}

void internalResistance(QPainter &p)
{
    battery(p, QRectF(14, 17, 66, 36));
    p.setPen(linePen(kInk, 2.5));
    p.drawLine(QPointF(22, 35), QPointF(30, 35));
    resistor(p, QPointF(30, 35), QPointF(64, 35), 3, 7);
    p.drawLine(QPointF(64, 35), QPointF(72, 35));
}

void powerTest(QPainter &p)
{
    // A mains adapter: prongs, brick, cable to a plug, and a small output wave.
    p.drawLine(QPointF(10, 27), QPointF(20, 27));
    p.drawLine(QPointF(10, 43), QPointF(20, 43));
    p.drawRoundedRect(QRectF(20, 15, 34, 40), 5, 5);
    QPainterPath cable(QPointF(54, 35));
    cable.cubicTo(QPointF(66, 35), QPointF(66, 52), QPointF(78, 52));
    p.drawPath(cable);
    p.drawRoundedRect(QRectF(78, 46, 12, 12), 2, 2);
    p.setPen(linePen(kInk, 2.5));
    p.drawLine(QPointF(27, 31), QPointF(47, 31)); // DC symbol
    p.drawLine(QPointF(27, 39), QPointF(31, 39));
    p.drawLine(QPointF(35, 39), QPointF(39, 39));
    p.drawLine(QPointF(43, 39), QPointF(47, 39));
}

void cableTest(QPainter &p)
{
    // Large plug on the left, cable, small plug on the right.
    p.drawRoundedRect(QRectF(8, 24, 20, 22), 3, 3);
    p.drawRect(QRectF(1, 29, 7, 12));
    QPainterPath cable(QPointF(28, 35));
    cable.cubicTo(QPointF(48, 35), QPointF(46, 14), QPointF(60, 24));
    cable.cubicTo(QPointF(72, 33), QPointF(62, 56), QPointF(76, 40));
    p.drawPath(cable);
    p.drawRoundedRect(QRectF(76, 31, 14, 12), 3, 3);
    p.drawLine(QPointF(90, 37), QPointF(96, 37));
    p.setPen(linePen(kInk, 2));
    p.drawLine(QPointF(3, 33), QPointF(6, 33));
    p.drawLine(QPointF(3, 37), QPointF(6, 37));
}

// Charge (up) and discharge (down) arrows in the given order above a battery.
void cycleSequence(QPainter &p, const QString &sequence)
{
    battery(p, QRectF(26, 46, 44, 18));
    const qreal spacing = 76.0 / sequence.size();
    for (int i = 0; i < sequence.size(); ++i) {
        const qreal x = 12 + spacing * (i + 0.5);
        const bool charge = sequence.at(i) == QLatin1Char('C');
        p.setPen(linePen(kInk, 2.5));
        if (charge) {
            p.drawLine(QPointF(x, 38), QPointF(x, 12));
            arrowHead(p, QPointF(x, 6), -90, 8);
        } else {
            p.drawLine(QPointF(x, 6), QPointF(x, 32));
            arrowHead(p, QPointF(x, 39), 90, 8);
        }
    }
}

void cycles(QPainter &p)
{
    battery(p, QRectF(36, 26, 26, 18));
    p.setPen(linePen(kInk, 1.5));
    lightning(p, QRectF(44, 28, 10, 14));
    p.setPen(linePen(kInk, 3));
    const QRectF ring(20, 6, 60, 58);
    p.drawArc(ring, 20 * 16, 140 * 16);
    p.drawArc(ring, 200 * 16, 140 * 16);
    // Arrow heads at the ends of the two arcs, pointing along the turning direction.
    arrowHead(p, QPointF(22, 24), 115, 9);
    arrowHead(p, QPointF(78, 46), -65, 9);
}

} // namespace

std::vector<Output> tileImages()
{
    return {
        {"img/01.png", [] { return tile(constantCurrent); }},
        {"img/02.png", [] { return tile(constantVoltage); }},
        {"img/03.png", [] { return tile(constantResistance); }},
        {"img/04.png", [] { return tile(constantPower); }},
        {"img/05.png", [] { return tile(internalResistance); }},
        {"img/06.png", [] { return tile(powerTest); }},
        {"img/07.png", [] { return tile(cableTest); }},
        {"img/08.png", [] { return tile([](QPainter &p) { cycleSequence(p, "CDC"); }); }},
        {"img/09.png", [] { return tile([](QPainter &p) { cycleSequence(p, "CDCDC"); }); }},
        {"img/10.png", [] { return tile(cycles); }},
    };
}

} // namespace draw
