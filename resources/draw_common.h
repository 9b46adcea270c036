#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <functional>
#include <vector>

// Shared pieces of the build-time image generator: every picture the program shows is painted
// here, so the repository holds no binary images.
namespace draw {

const QColor kText(0xDC, 0xDC, 0xDC);
const QColor kBase(0x44, 0x44, 0x44);
const QColor kBorder(0x24, 0x24, 0x24);
const QColor kAccent(0x00, 0xBB, 0x9E);
const QColor kDisabled(0x80, 0x80, 0x80);

struct Output
{
    QString path; // relative to the output folder
    std::function<QImage()> paint;
};

QImage canvas(int width, int height);
void begin(QPainter &p, QImage &image); // antialiased painter
QPen linePen(const QColor &colour, qreal width);

// A tiny stroke font (letters on a 4 x 6 grid), so lettering does not depend on installed fonts.
// Draws text with its top-left at origin; returns the advance.
qreal strokeText(QPainter &p, const QString &text, QPointF origin, qreal unit, qreal spacing);
qreal strokeTextWidth(const QString &text, qreal unit, qreal spacing);

void arrowHead(QPainter &p, QPointF tip, qreal angleDegrees, qreal size); // filled, pen colour
void lightning(QPainter &p, QRectF box);                                  // filled bolt
void battery(QPainter &p, QRectF body);                                   // outline, nub right
void resistor(QPainter &p, QPointF from, QPointF to, int zigs, qreal amplitude);
void gear(QPainter &p, QPointF centre, qreal outer, qreal inner, int teeth);

std::vector<Output> tileImages();  // img/01.png ... img/10.png
std::vector<Output> themeImages(); // qss/psblack/*.png, back.png, main.jpg
std::vector<Output> iconImages();  // menus, title bar, device list, USB pictures, app icon

// The bus-scan spinner, frame by frame (transparent background).
std::vector<QImage> searchingFrames();

} // namespace draw
