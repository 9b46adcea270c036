#include "axis_layer.h"

#include <QAbstractAxis>
#include <QChart>
#include <QGraphicsLineItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QMetaMethod>
#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace {
// Where the chart's axes sit: above the backdrop and grid, below the curves.
constexpr qreal kAxisZ = 3;
// Marks a library item this layer draws for.
constexpr int kAdoptedKey = 0x41584c; // "AXL"
} // namespace

bool AxisLayer::LineKey::operator==(const LineKey &o) const
{
    return colour == o.colour && width == o.width && style == o.style && cap == o.cap &&
           antialiased == o.antialiased && dx == o.dx && dy == o.dy && fracX == o.fracX &&
           fracY == o.fracY;
}

uint qHash(const AxisLayer::LineKey &key, uint seed)
{
    return qHashBits(&key, sizeof(key), seed);
}

AxisLayer::AxisLayer(QtCharts::QChart *chart)
    : QGraphicsObject(chart), m_chart(chart), m_legend(chart->legend())
{
    setZValue(kAxisZ);
    setAcceptedMouseButtons(Qt::NoButton);
    connect(chart, &QGraphicsWidget::geometryChanged, this, &AxisLayer::followChart);
    followChart();
}

void AxisLayer::followChart()
{
    prepareGeometryChange();
    m_bounds = m_chart->boundingRect();
}

// Depth first, in stacking order, as the scene paints; hidden subtrees and the legend skipped.
template <typename Visit> void AxisLayer::walk(QGraphicsItem *parent, const Visit &visit) const
{
    for (QGraphicsItem *child : parent->childItems()) {
        if (!child->isVisible() || child == m_legend || child == this)
            continue;
        const int type = child->type();
        if (type == QGraphicsLineItem::Type || type == QGraphicsTextItem::Type)
            visit(child, type);
        else
            walk(child, visit);
    }
}

void AxisLayer::follow(QObject *source, bool contentsOnly)
{
    if (m_followed.contains(source))
        return;
    m_followed.append(source);
    const QMetaMethod repaint = metaObject()->method(metaObject()->indexOfSlot("repaintAll()"));
    const QMetaObject *meta = source->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod signal = meta->method(i);
        if (signal.methodType() != QMetaMethod::Signal || signal.name() == "destroyed" ||
            signal.name() == "objectNameChanged")
            continue;
        if (contentsOnly && signal.name() != "contentsChanged")
            continue;
        connect(source, signal, this, repaint);
    }
}

void AxisLayer::adopt()
{
    m_adoptQueued = false;
    m_followed.removeAll(nullptr);
    const QList<QtCharts::QAbstractAxis *> axes = m_chart->axes();
    for (QtCharts::QAbstractAxis *axis : axes)
        follow(axis, false);
    walk(m_chart, [this](QGraphicsItem *item, int type) {
        if (item->data(kAdoptedKey).isValid())
            return;
        item->setData(kAdoptedKey, true);
        item->setOpacity(0);
        item->setCacheMode(QGraphicsItem::NoCache);
        if (type == QGraphicsTextItem::Type)
            follow(static_cast<QGraphicsTextItem *>(item)->document(), true);
    });
    for (auto it = m_labels.begin(); it != m_labels.end();) {
        if (it->item.isNull())
            it = m_labels.erase(it);
        else
            ++it;
    }
    update();
}

int AxisLayer::adoptedCount() const
{
    int count = 0;
    walk(m_chart, [&](QGraphicsItem *item, int) { count += item->data(kAdoptedKey).isValid(); });
    return count;
}

void AxisLayer::queueAdopt()
{
    if (m_adoptQueued)
        return;
    m_adoptQueued = true;
    QMetaObject::invokeMethod(this, &AxisLayer::adopt, Qt::QueuedConnection);
}

void AxisLayer::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QTransform base = painter->worldTransform();
    walk(m_chart, [&](QGraphicsItem *item, int type) {
        if (!item->data(kAdoptedKey).isValid()) {
            queueAdopt(); // drawn by the scene this time
            return;
        }
        const QTransform device = item->itemTransform(this) * base;
        if (type == QGraphicsLineItem::Type)
            paintLine(painter, device, static_cast<QGraphicsLineItem *>(item));
        else
            paintLabel(painter, device, static_cast<QGraphicsTextItem *>(item));
    });
    painter->setWorldTransform(base);
}

// As the scene draws a line item kept in device pixels: the line drawn alone into a pixmap at its
// sub-pixel offset, the pixmap copied to whole pixels.
void AxisLayer::paintLine(QPainter *painter, const QTransform &device,
                          const QGraphicsLineItem *item)
{
    const QPen pen = item->pen();
    const QLineF line = item->line();
    if (device.type() > QTransform::TxTranslate || !pen.isSolid() || line.isNull()) {
        painter->setWorldTransform(device);
        painter->setPen(pen);
        painter->drawLine(line);
        return;
    }
    const QPointF start = device.map(line.p1());
    const QPointF end = device.map(line.p2());
    const QPointF whole(std::floor(start.x()), std::floor(start.y()));
    const LineKey key{pen.color().rgba(),    painter->testRenderHint(QPainter::Antialiasing),
                      pen.widthF(),          end.x() - start.x(),
                      end.y() - start.y(),   start.x() - whole.x(),
                      start.y() - whole.y(), qint32(pen.style()),
                      qint32(pen.capStyle())};
    const LinePixels &pixels = linePixels(key, pen, start - whole, end - whole);
    painter->resetTransform();
    painter->drawPixmap(whole.toPoint() + pixels.offset, pixels.pixmap);
}

const AxisLayer::LinePixels &AxisLayer::linePixels(const LineKey &key, const QPen &pen,
                                                   const QPointF &start, const QPointF &end)
{
    auto found = m_linePixels.constFind(key);
    if (found != m_linePixels.constEnd())
        return *found;
    const qreal reach = qMax<qreal>(pen.widthF(), 1) + 1;
    const QRect bounds =
        QRectF(start, end).normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect();
    QImage image(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, key.antialiased);
        painter.translate(-bounds.topLeft());
        painter.setPen(pen);
        painter.drawLine(QLineF(start, end));
    }
    if (m_linePixels.size() > 512) // lines of many lengths after many resizes
        m_linePixels.clear();
    return *m_linePixels.insert(key, {bounds.topLeft(), QPixmap::fromImage(image)});
}

// As the text item draws itself: its document's text at the document margin, in its font and
// colour, cut off at its bounds. The pixels are drawn alone with room around them, at the same
// sub-pixel offset, and copied to whole pixels, which gives the same picture.
void AxisLayer::paintLabel(QPainter *painter, const QTransform &device, QGraphicsTextItem *item)
{
    QTextDocument *document = item->document();
    Label &label = m_labels[item];
    if (label.item != item || label.revision != document->revision() ||
        label.font != item->font()) {
        const QString plain = document->toPlainText();
        if (label.item != item || plain != label.plain || label.font != item->font()) {
            label.plain = plain;
            label.font = item->font();
            label.text = QStaticText(plain);
            label.text.setTextFormat(Qt::PlainText);
            label.text.prepare(QTransform(), label.font);
            label.pixmap = QPixmap();
        }
        label.item = item;
        label.revision = document->revision();
    }
    if (label.plain.isEmpty())
        return;
    if (device.type() > QTransform::TxTranslate) {
        painter->setWorldTransform(device);
        drawLabel(painter, label, item);
        return;
    }
    const QPointF origin(device.dx(), device.dy());
    const QPointF whole(std::floor(origin.x()), std::floor(origin.y()));
    const QPointF fraction = origin - whole;
    const QRgb colour = item->defaultTextColor().rgba();
    const QRectF bounds = item->boundingRect();
    const int hints = int(painter->renderHints());
    constexpr int kRoom = 4; // for glyphs reaching past their advance
    if (label.pixmap.isNull() || label.fraction != fraction || label.colour != colour ||
        label.bounds != bounds || label.hints != hints) {
        const QSize size = bounds.toAlignedRect().size() + QSize(2 * kRoom + 1, 2 * kRoom + 1);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter alone(&image);
            alone.setRenderHints(painter->renderHints());
            alone.translate(QPointF(kRoom, kRoom) + fraction - bounds.toAlignedRect().topLeft());
            drawLabel(&alone, label, item);
        }
        label.pixmap = QPixmap::fromImage(image);
        label.fraction = fraction;
        label.colour = colour;
        label.bounds = bounds;
        label.hints = hints;
    }
    painter->resetTransform();
    painter->drawPixmap(whole.toPoint() + bounds.toAlignedRect().topLeft() - QPoint(kRoom, kRoom),
                        label.pixmap);
}

void AxisLayer::drawLabel(QPainter *painter, const Label &label, const QGraphicsTextItem *item)
{
    // The document lays its text out from the margin rounded to whole pixels.
    const qreal margin = qRound(item->document()->documentMargin());
    painter->setFont(label.font);
    painter->setPen(item->defaultTextColor());
    // The item cuts its text off at its bounds, which the library sets to the text's width.
    painter->save();
    painter->setClipRect(item->boundingRect(), Qt::IntersectClip);
    painter->drawStaticText(QPointF(margin, margin), label.text);
    painter->restore();
}
