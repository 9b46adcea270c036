#include "chart/chart_backdrop.h"

#include <QChart>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsLayout>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QLegend>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtMath>

#include <array>

using namespace QtCharts;

namespace {
// Where the chart's own background sits, behind everything else.
constexpr qreal kBackdropZ = -1;

// The effect's rendering of the background shape over `imageRect` (coordinates of the shape).
QImage framedBackground(const QPainterPath &shape, const QBrush &brush, const QPen &pen,
                        const QRect &imageRect)
{
    QGraphicsScene scene;
    QGraphicsPathItem *item = scene.addPath(shape, pen, brush);
    auto *effect = new QGraphicsDropShadowEffect;
    effect->setBlurRadius(ChartBackdrop::kBlurRadius);
    effect->setOffset(ChartBackdrop::kOffset, ChartBackdrop::kOffset);
    item->setGraphicsEffect(effect);

    QImage image(imageRect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), imageRect.size()), imageRect);
    return image;
}

// The bands of `outer` above, below, left and right of `inner`, which it contains.
std::array<QRect, 4> bandsAround(const QRect &outer, const QRect &inner)
{
    return {QRect(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()),
            QRect(outer.left(), inner.bottom() + 1, outer.width(), outer.bottom() - inner.bottom()),
            QRect(outer.left(), inner.top(), inner.left() - outer.left(), inner.height()),
            QRect(inner.right() + 1, inner.top(), outer.right() - inner.right(), inner.height())};
}

// `rect` of `image` but `reach` from its edges, if every pixel there but those in `except` is
// the same; else empty.
QRect uniformInside(const QImage &image, const QRect &rect, int reach, const QRect &except)
{
    const QRect inside = rect.adjusted(reach, reach, -reach, -reach);
    if (inside.isEmpty() || except.contains(inside.topLeft()))
        return {};
    const QRgb colour = image.pixel(inside.topLeft());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (line[x] != colour && !except.contains(x, y))
                return {};
        }
    }
    return inside;
}
} // namespace

ChartBackdrop::ChartBackdrop(QChart *chart) : QGraphicsObject(chart), m_chart(chart)
{
    setZValue(kBackdropZ);
    setAcceptedMouseButtons(Qt::NoButton);
    QLegend *legend = chart->legend();
    m_legendBox = legend->isBackgroundVisible();
    m_legendFill = legend->autoFillBackground();
    m_chartFill = chart->autoFillBackground();
    connect(chart, &QGraphicsWidget::geometryChanged, this, &ChartBackdrop::follow);
    connect(legend, &QGraphicsWidget::geometryChanged, this, &ChartBackdrop::follow);
    connect(legend, &QGraphicsWidget::visibleChanged, this, &ChartBackdrop::follow);
    refresh();
}

QRectF ChartBackdrop::backgroundRect() const
{
    qreal left = 0, top = 0, right = 0, bottom = 0;
    if (m_chart->layout())
        m_chart->layout()->getContentsMargins(&left, &top, &right, &bottom);
    return m_chart->rect().adjusted(left, top, -right, -bottom);
}

QRectF ChartBackdrop::legendRect() const
{
    const QLegend *legend = m_chart->legend();
    if (!(m_legendBox || m_legendFill) || !legend->isVisible() || legend->parentItem() != m_chart)
        return {};
    return legend->geometry();
}

void ChartBackdrop::follow()
{
    if (backgroundRect() != m_background || legendRect() != m_legend)
        refresh();
}

void ChartBackdrop::paintLegendBox(QImage &image, const QPointF &imageOrigin)
{
    // As the scene draws it: the widget's fill, then the legend's box with its own brush, pen and
    // roundness. The legend shows its box for that moment only.
    QLegend *legend = m_chart->legend();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m_legend.topLeft() - imageOrigin);
    QStyleOptionGraphicsItem option;
    option.rect = legend->boundingRect().toAlignedRect();
    option.exposedRect = legend->boundingRect();
    if (m_legendFill)
        painter.fillRect(option.rect, legend->palette().window());
    const QSignalBlocker quiet(legend);
    legend->setBackgroundVisible(true);
    legend->paint(&painter, &option, nullptr);
    legend->setBackgroundVisible(false);
}

void ChartBackdrop::refresh()
{
    m_chart->setBackgroundVisible(false);
    if (m_legendBox || m_legendFill) {
        const QSignalBlocker quiet(m_chart->legend());
        m_chart->legend()->setBackgroundVisible(false);
        m_chart->legend()->setAutoFillBackground(false);
    }
    prepareGeometryChange();
    m_background = backgroundRect();
    m_legend = legendRect();
    m_pieces.clear();
    m_fill = QRect();
    m_bounds = QRectF();
    if (m_background.isEmpty())
        return;
    // The blur reaches a radius beyond the offset shape.
    const qreal reach = kBlurRadius + 1;
    const QRect bounds = m_background.translated(kOffset, kOffset)
                             .adjusted(-reach, -reach, reach, reach)
                             .united(m_background)
                             .toAlignedRect();
    m_bounds = bounds;
    QPainterPath shape;
    const qreal roundness = m_chart->backgroundRoundness();
    shape.addRoundedRect(m_background, roundness, roundness);
    QImage image =
        framedBackground(shape, m_chart->backgroundBrush(), m_chart->backgroundPen(), bounds);
    if (!m_legend.isEmpty())
        paintLegendBox(image, bounds.topLeft());
    ++m_renderCount;

    // The middle is copied without blending when nothing in it is see-through, and its inside
    // filled when that is one colour but for the legend's box, which is copied over the fill (the
    // frame's pen reaches a pixel or two in); the bands around it carry the shadow.
    const QRect middle = m_background.toAlignedRect().translated(-bounds.topLeft());
    const bool opaqueMiddle = roundness <= 0 && m_chart->backgroundBrush().isOpaque();
    // The chart's own fill would only be painted over where the middle covers all of it.
    m_chart->setAutoFillBackground(m_chartFill &&
                                   !(opaqueMiddle && m_background.contains(m_chart->rect())));
    const int penReach = qCeil(m_chart->backgroundPen().widthF() / 2) + 2;
    const QRect legendBox =
        m_legend.isEmpty()
            ? QRect()
            : m_legend.toAlignedRect().translated(-bounds.topLeft()).adjusted(-2, -2, 2, 2) &
                  middle;
    const QRect inside = opaqueMiddle ? uniformInside(image, middle, penReach, legendBox) : QRect();
    QVector<QRect> opaque{middle};
    if (!inside.isEmpty()) {
        m_fill = inside.translated(bounds.topLeft());
        m_fillColour = QColor::fromRgb(image.pixel(inside.topLeft()));
        const std::array<QRect, 4> frame = bandsAround(middle, inside);
        opaque = QVector<QRect>(frame.begin(), frame.end());
        opaque.append(legendBox & inside);
    }
    const std::array<QRect, 4> shadow = bandsAround(image.rect(), middle);
    const int opaqueCount = opaque.size();
    QVector<QRect> pieces = opaque;
    pieces.append(QVector<QRect>(shadow.begin(), shadow.end()));
    for (int i = 0; i < pieces.size(); ++i) {
        if (pieces[i].isEmpty())
            continue;
        QImage piece = image.copy(pieces[i]);
        if (i < opaqueCount && opaqueMiddle)
            piece = piece.convertToFormat(QImage::Format_RGB32);
        m_pieces.append({bounds.topLeft() + pieces[i].topLeft(), QPixmap::fromImage(piece)});
    }
    update();
}

void ChartBackdrop::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_fill.isEmpty())
        painter->fillRect(m_fill, m_fillColour);
    for (const Piece &piece : m_pieces) {
        if (!piece.pixmap.isNull())
            painter->drawPixmap(piece.at, piece.pixmap);
    }
}
