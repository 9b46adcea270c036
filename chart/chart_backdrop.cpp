#include "chart_backdrop.h"

#include <QChart>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsLayout>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QLegend>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

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
    m_pieces = {};
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

    // The middle is copied without blending when nothing in it is see-through; the bands around
    // it carry the shadow.
    const QRect middle = m_background.toAlignedRect().translated(-bounds.topLeft());
    const QRect whole = image.rect();
    const QRect pieces[5] = {
        middle,
        QRect(whole.left(), whole.top(), whole.width(), middle.top() - whole.top()),
        QRect(whole.left(), middle.bottom() + 1, whole.width(), whole.bottom() - middle.bottom()),
        QRect(whole.left(), middle.top(), middle.left() - whole.left(), middle.height()),
        QRect(middle.right() + 1, middle.top(), whole.right() - middle.right(), middle.height()),
    };
    const bool opaqueMiddle = roundness <= 0 && m_chart->backgroundBrush().isOpaque();
    // The chart's own fill would only be painted over where the middle covers all of it.
    m_chart->setAutoFillBackground(
        m_chartFill && !(opaqueMiddle && m_background.contains(m_chart->rect())));
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        if (pieces[i].isEmpty())
            continue;
        QImage piece = image.copy(pieces[i]);
        if (i == 0 && opaqueMiddle)
            piece = piece.convertToFormat(QImage::Format_RGB32);
        m_pieces[i].at = bounds.topLeft() + pieces[i].topLeft();
        m_pieces[i].pixmap = QPixmap::fromImage(piece);
    }
    update();
}

void ChartBackdrop::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    for (const Piece &piece : m_pieces) {
        if (!piece.pixmap.isNull())
            painter->drawPixmap(piece.at, piece.pixmap);
    }
}
