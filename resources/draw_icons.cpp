// Icons of the title bar, menus, device list and upgrade page, the application icon and the
// frames of the bus-scan spinner.

#include "resources/draw_common.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

namespace draw {
namespace {

const QColor kGreen(0x2E, 0xCC, 0x71);
const QColor kRed(0xE7, 0x4C, 0x3C);

QImage icon(int width, int height, const std::function<void(QPainter &)> &paint)
{
    QImage image = canvas(width, height);
    QPainter p;
    begin(p, image);
    paint(p);
    p.end();
    return image;
}

QImage tick(bool ticked)
{
    return icon(20, 20, [ticked](QPainter &p) {
        if (ticked) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(10, 10), 9, 9);
            p.setPen(linePen(Qt::white, 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({{5.5, 10.5}, {8.7, 13.6}, {14.5, 6.8}}));
        } else {
            p.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1.6));
            p.setBrush(QColor(0, 0, 0, 60));
            p.drawEllipse(QPointF(10, 10), 8.2, 8.2);
        }
    });
}

void listGlyph(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    for (int row = 0; row < 3; ++row)
        p.drawEllipse(QPointF(4, 5 + row * 5), 1.8, 1.8);
    p.setPen(linePen(kText, 2));
    for (int row = 0; row < 3; ++row)
        p.drawLine(QPointF(8, 5 + row * 5), QPointF(17, 5 + row * 5));
}

void wordmark(QPainter &p)
{
    p.setPen(linePen(kAccent, 1.2));
    lightning(p, QRectF(3, 2, 11, 16));
    p.setPen(linePen(kText, 1.9));
    const qreal unit = 2.2;
    strokeText(p, QStringLiteral("TALMIR"), QPointF(22, 3.4), unit, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(22, 18, strokeTextWidth(QStringLiteral("TALMIR"), unit, 5), 1));
}

void menuGlyph(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kText);
    for (int row = 0; row < 3; ++row)
        p.drawRoundedRect(QRectF(10, 15 + row * 15, 44, 6), 3, 3);
}

void languageGlyph(QPainter &p)
{
    // Two overlapping cards: one with a Chinese character, one with a Latin letter.
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(4, 4, 36, 36), 6, 6);
    p.setPen(linePen(Qt::white, 2.6));
    strokeText(p, QString(QChar(0x6587)), QPointF(11, 10), 4.4, 0);
    p.setPen(QPen(kText, 2.4));
    p.setBrush(kBase);
    p.drawRoundedRect(QRectF(24, 24, 36, 36), 6, 6);
    p.setPen(linePen(kText, 2.6));
    strokeText(p, QStringLiteral("A"), QPointF(33, 31), 3.6, 0);
}

// A USB plug and its socket, joined (connected) or pulled apart with a break mark.
QImage usbPicture(bool connected)
{
    return icon(128, 64, [connected](QPainter &p) {
        const QColor colour = connected ? kGreen : kRed;
        const qreal gap = connected ? 0 : 16;
        p.setPen(linePen(colour, 4));
        // cable and plug on the left
        p.drawLine(QPointF(4, 32), QPointF(22, 32));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(22, 20, 26, 24), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(48, 24, 16, 16));
        // socket and cable on the right
        const qreal sx = 64 + gap;
        p.drawRoundedRect(QRectF(sx, 16, 28, 32), 4, 4);
        p.drawLine(QPointF(sx + 28, 32), QPointF(124, 32));
        if (connected) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(52, 28, 3, 3));
            p.drawRect(QRectF(57, 28, 3, 3));
        } else {
            p.setPen(linePen(colour, 3));
            p.drawLine(QPointF(66, 6), QPointF(74, 14)); // break marks in the gap
            p.drawLine(QPointF(74, 6), QPointF(66, 14));
            p.drawLine(QPointF(66, 50), QPointF(74, 58));
            p.drawLine(QPointF(74, 50), QPointF(66, 58));
        }
    });
}

void exportData(QPainter &p)
{
    p.setPen(linePen(kText, 1.8));
    p.drawRoundedRect(QRectF(4, 3, 18, 24), 2, 2);
    p.setPen(linePen(kText, 1.2));
    for (int row = 0; row < 4; ++row)
        p.drawLine(QPointF(7, 9 + row * 4.5), QPointF(19, 9 + row * 4.5));
    p.drawLine(QPointF(13, 7), QPointF(13, 24));
    p.setPen(linePen(kAccent, 2.4));
    p.drawLine(QPointF(25, 14), QPointF(25, 26));
    arrowHead(p, QPointF(25, 30), 90, 6);
}

void exportImage(QPainter &p)
{
    p.setPen(linePen(kText, 1.8));
    p.drawRoundedRect(QRectF(3, 5, 22, 18), 2, 2);
    p.setBrush(kText);
    p.drawPolygon(QPolygonF({{6, 20}, {12, 12}, {16, 17}, {18, 15}, {22, 20}}));
    p.drawEllipse(QPointF(19, 10), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(linePen(kAccent, 2.4));
    p.drawLine(QPointF(26, 17), QPointF(26, 26));
    arrowHead(p, QPointF(26, 30), 90, 6);
}

void moreSettings(QPainter &p)
{
    p.setPen(linePen(kText, 1.8));
    gear(p, QPointF(16, 16), 12, 4.5, 8);
}

void accumulatedDisplay(QPainter &p)
{
    p.setPen(linePen(kText, 1.6));
    p.drawPolyline(QPolygonF({{4, 3}, {4, 28}, {29, 28}}));
    QPainterPath area(QPointF(5, 27));
    area.lineTo(9, 22);
    area.lineTo(14, 20);
    area.lineTo(19, 13);
    area.lineTo(24, 10);
    area.lineTo(28, 5);
    area.lineTo(28, 27);
    area.closeSubpath();
    QColor fill = kAccent;
    fill.setAlpha(120);
    p.setBrush(fill);
    p.setPen(linePen(kAccent, 1.8));
    p.drawPath(area);
}

void scrollDisplay(QPainter &p)
{
    p.setPen(linePen(kText, 1.6));
    p.drawRoundedRect(QRectF(3, 3, 26, 18), 2, 2);
    p.setPen(linePen(kAccent, 1.8));
    p.drawPolyline(QPolygonF({{6, 15}, {10, 9}, {14, 14}, {18, 7}, {22, 12}, {26, 9}}));
    p.setPen(linePen(kText, 1.8));
    p.drawLine(QPointF(9, 26), QPointF(23, 26));
    arrowHead(p, QPointF(5, 26), 180, 5);
    arrowHead(p, QPointF(27, 26), 0, 5);
}

void systemSettings(QPainter &p)
{
    // Three sliders with their knobs.
    const qreal knobs[] = {9, 19, 13};
    for (int row = 0; row < 3; ++row) {
        const qreal y = 7 + row * 8;
        p.setPen(linePen(kText, 1.8));
        p.drawLine(QPointF(3, y), QPointF(25, y));
        p.setPen(QPen(kText, 1.6));
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(knobs[row], y), 3, 3);
        p.setBrush(Qt::NoBrush);
    }
}

void upgrade(QPainter &p)
{
    // A chip with an arrow going into it from below.
    p.setPen(linePen(kText, 1.8));
    p.drawRoundedRect(QRectF(6, 3, 16, 13), 2, 2);
    for (int pin = 0; pin < 3; ++pin) {
        const qreal x = 10 + pin * 4;
        p.drawLine(QPointF(x, 0.8), QPointF(x, 3));
    }
    p.drawLine(QPointF(3, 7), QPointF(6, 7));
    p.drawLine(QPointF(3, 12), QPointF(6, 12));
    p.drawLine(QPointF(22, 7), QPointF(25, 7));
    p.drawLine(QPointF(22, 12), QPointF(25, 12));
    p.setPen(linePen(kAccent, 2.4));
    p.drawLine(QPointF(14, 27), QPointF(14, 21));
    arrowHead(p, QPointF(14, 17.5), -90, 6);
}

void folder(QPainter &p)
{
    const QColor amber(0xE8, 0xB8, 0x4A);
    p.setPen(QPen(amber.darker(140), 1));
    p.setBrush(amber.darker(115));
    p.drawRoundedRect(QRectF(1.5, 3.5, 8, 4), 1.5, 1.5);
    p.setBrush(amber);
    p.drawRoundedRect(QRectF(1.5, 5.5, 17, 11), 1.5, 1.5);
}

void appIcon(QPainter &p)
{
    QLinearGradient background(0, 0, 0, 128);
    background.setColorAt(0, QColor(0x4A, 0x4A, 0x4A));
    background.setColorAt(1, QColor(0x2C, 0x2C, 0x2C));
    p.setPen(QPen(kBorder, 2));
    p.setBrush(background);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
    // a gauge arc in the accent colour and a bolt in the middle
    p.setPen(linePen(QColor(0x6A, 0x6A, 0x6A), 9));
    p.setBrush(Qt::NoBrush);
    const QRectF arc(24, 26, 80, 80);
    p.drawArc(arc, -30 * 16, 240 * 16);
    p.setPen(linePen(kAccent, 9));
    p.drawArc(arc, 90 * 16, 120 * 16);
    p.setPen(linePen(Qt::white, 2));
    lightning(p, QRectF(50, 40, 28, 50));
}

// The 128-pixel drawing at another size.
std::function<void(QPainter &)> scaled(int size, void (*draw)(QPainter &))
{
    return [size, draw](QPainter &p) {
        p.scale(size / 128.0, size / 128.0);
        draw(p);
    };
}

} // namespace

std::vector<QImage> searchingFrames()
{
    // A ring of dots whose brightest dot walks round: twelve frames, one step per frame.
    const int dots = 12;
    std::vector<QImage> frames;
    for (int frame = 0; frame < dots; ++frame) {
        frames.push_back(icon(32, 32, [frame](QPainter &p) {
            p.setPen(Qt::NoPen);
            for (int i = 0; i < dots; ++i) {
                const int age = (frame - i + dots) % dots; // 0 = the head of the trail
                QColor c = kAccent;
                c.setAlphaF(qMax(0.18, 1.0 - age * 0.12));
                p.setBrush(c);
                const qreal a = 2 * M_PI * i / dots - M_PI / 2;
                const qreal r = age == 0 ? 3.2 : 2.6;
                p.drawEllipse(QPointF(16 + 11.5 * qCos(a), 16 + 11.5 * qSin(a)), r, r);
            }
        }));
    }
    return frames;
}

std::vector<Output> iconImages()
{
    return {
        {"img/Tick.png", [] { return tick(true); }},
        {"img/UnTick.png", [] { return tick(false); }},
        {"list_20x20.png", [] { return icon(20, 20, listGlyph); }},
        {"icon01_130x20.png", [] { return icon(130, 20, wordmark); }},
        {"menu.png", [] { return icon(64, 64, menuGlyph); }},
        {"cn_en.png", [] { return icon(64, 64, languageGlyph); }},
        {"usb_connect.png", [] { return usbPicture(true); }},
        {"usb_disconnect.png", [] { return usbPicture(false); }},
        {"ExportData.png", [] { return icon(32, 32, exportData); }},
        {"ExportImage.png", [] { return icon(32, 32, exportImage); }},
        {"MoreSettings.png", [] { return icon(32, 32, moreSettings); }},
        {"AccuGrpDisp.png", [] { return icon(32, 32, accumulatedDisplay); }},
        {"ScrollDisp.png", [] { return icon(32, 32, scrollDisplay); }},
        {"SysSet.png", [] { return icon(28, 28, systemSettings); }},
        {"Upgrade.png", [] { return icon(28, 28, upgrade); }},
        {"folder.png", [] { return icon(20, 20, folder); }},
        {"app.png", [] { return icon(128, 128, appIcon); }},
        // The desktop menu's sizes of the same icon, for the package.
        {"app_48.png", [] { return icon(48, 48, scaled(48, appIcon)); }},
        {"app_64.png", [] { return icon(64, 64, scaled(64, appIcon)); }},
        {"app_256.png", [] { return icon(256, 256, scaled(256, appIcon)); }},
    };
}

} // namespace draw
