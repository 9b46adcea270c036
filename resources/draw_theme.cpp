// Images of the dark style sheet (indicators, arrows, slider handle) and the window's panels.

#include "resources/draw_common.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace draw {
namespace {

const QColor kBoxFill(0x33, 0x33, 0x33);
const QColor kBoxEdge(0x6E, 0x6E, 0x6E);
const QColor kDisabledFill(0x4C, 0x4C, 0x4C);
const QColor kDisabledEdge(0x5A, 0x5A, 0x5A);

enum class Mark
{
    None,
    Check,
    Partial
};

QImage checkBox(Mark mark, bool enabled)
{
    QImage image = canvas(16, 16);
    QPainter p;
    begin(p, image);
    const bool filled = mark != Mark::None;
    const QColor fill = !enabled ? kDisabledFill : filled ? kAccent : kBoxFill;
    const QColor edge = !enabled ? kDisabledEdge : filled ? kAccent.darker(120) : kBoxEdge;
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    p.setPen(linePen(enabled ? Qt::white : kDisabled, 2));
    if (mark == Mark::Check)
        p.drawPolyline(QPolygonF({{4.2, 8.2}, {6.8, 10.8}, {11.8, 5.2}}));
    else if (mark == Mark::Partial)
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
    p.end();
    return image;
}

QImage radioButton(bool checked, bool enabled)
{
    QImage image = canvas(16, 16);
    QPainter p;
    begin(p, image);
    const QColor edge = !enabled ? kDisabledEdge : checked ? kAccent : kBoxEdge;
    p.setPen(QPen(edge, 1.2));
    p.setBrush(enabled ? kBoxFill : kDisabledFill);
    p.drawEllipse(QPointF(8, 8), 6.4, 6.4);
    if (checked) {
        p.setPen(Qt::NoPen);
        p.setBrush(enabled ? kAccent : kDisabled);
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    }
    p.end();
    return image;
}

// Solid triangle pointing in the given direction (0 right, 90 down, 180 left, 270 up).
QImage arrow(int angle, bool enabled)
{
    QImage image = canvas(12, 12);
    QPainter p;
    begin(p, image);
    p.translate(6, 6);
    p.rotate(angle);
    p.setPen(Qt::NoPen);
    p.setBrush(enabled ? kText : kDisabled);
    p.drawPolygon(QPolygonF({{3.5, 0}, {-2, -4.2}, {-2, 4.2}}));
    p.end();
    return image;
}

QImage sliderHandle()
{
    QImage image = canvas(18, 18);
    QPainter p;
    begin(p, image);
    p.setPen(QPen(kBorder, 1));
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(9, 9), 7.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF4, 0xF4, 0xF4));
    p.drawEllipse(QPointF(9, 9), 3, 3);
    p.end();
    return image;
}

QImage menuCheck()
{
    QImage image = canvas(16, 16);
    QPainter p;
    begin(p, image);
    p.setPen(linePen(kAccent, 2.2));
    p.drawPolyline(QPolygonF({{3.5, 8.5}, {6.5, 11.5}, {12.5, 4.5}}));
    p.end();
    return image;
}

// Border image of the window's outer panel, cut with a 5-pixel border: rounded corners, a dark
// rim and a faint inner highlight; the middle stretches.
QImage panelBorder()
{
    QImage image = canvas(30, 30);
    QPainter p;
    begin(p, image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(QRectF(0, 0, 30, 30), 6, 6);
    p.setPen(QPen(kBorder, 1));
    p.setBrush(kBase);
    p.drawRoundedRect(QRectF(1.5, 1.5, 27, 27), 5, 5);
    p.setPen(QPen(QColor(0x5A, 0x5A, 0x5A), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 2.5, 25, 25), 4, 4);
    p.end();
    return image;
}

// Page background: a quiet dark gradient with a faint vignette and a fine dot grid.
QImage pageBackground()
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter p;
    begin(p, image);
    QLinearGradient base(0, 0, 0, image.height());
    base.setColorAt(0, QColor(0x4A, 0x4A, 0x4A));
    base.setColorAt(1, QColor(0x3C, 0x3C, 0x3C));
    p.fillRect(image.rect(), base);
    QRadialGradient vignette(image.rect().center(), image.width() * 0.7);
    vignette.setColorAt(0, QColor(255, 255, 255, 10));
    vignette.setColorAt(1, QColor(0, 0, 0, 40));
    p.fillRect(image.rect(), vignette);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 9));
    for (int y = 16; y < image.height(); y += 32) {
        for (int x = 16; x < image.width(); x += 32)
            p.drawEllipse(QPointF(x, y), 1.1, 1.1);
    }
    p.end();
    return image;
}

} // namespace

std::vector<Output> themeImages()
{
    return {
        {"psblack/checkbox_unchecked.png", [] { return checkBox(Mark::None, true); }},
        {"psblack/checkbox_checked.png", [] { return checkBox(Mark::Check, true); }},
        {"psblack/checkbox_parcial.png", [] { return checkBox(Mark::Partial, true); }},
        {"psblack/checkbox_unchecked_disable.png", [] { return checkBox(Mark::None, false); }},
        {"psblack/checkbox_checked_disable.png", [] { return checkBox(Mark::Check, false); }},
        {"psblack/checkbox_parcial_disable.png", [] { return checkBox(Mark::Partial, false); }},
        {"psblack/radiobutton_unchecked.png", [] { return radioButton(false, true); }},
        {"psblack/radiobutton_checked.png", [] { return radioButton(true, true); }},
        {"psblack/radiobutton_unchecked_disable.png", [] { return radioButton(false, false); }},
        {"psblack/radiobutton_checked_disable.png", [] { return radioButton(true, false); }},
        {"psblack/arrow_right.png", [] { return arrow(0, true); }},
        {"psblack/arrow_down.png", [] { return arrow(90, true); }},
        {"psblack/arrow_left.png", [] { return arrow(180, true); }},
        {"psblack/arrow_up.png", [] { return arrow(270, true); }},
        {"psblack/arrow_right_disable.png", [] { return arrow(0, false); }},
        {"psblack/arrow_down_disable.png", [] { return arrow(90, false); }},
        {"psblack/arrow_left_disable.png", [] { return arrow(180, false); }},
        {"psblack/arrow_up_disable.png", [] { return arrow(270, false); }},
        {"psblack/slider_handle.png", sliderHandle},
        {"psblack/menu_check.png", menuCheck},
        {"back.png", panelBorder},
        {"main.jpg", pageBackground},
    };
}

} // namespace draw
