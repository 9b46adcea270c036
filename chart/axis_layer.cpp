#include "chart/axis_layer.h"

#include <QAbstractAxis>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLocale>
#include <QMetaMethod>
#include <QPainter>
#include <QTextDocument>

#include <cmath>
#include <functional>

namespace {
// Where the chart's axes sit: above the backdrop and grid, below the curves.
constexpr qreal kAxisZ = 3;
// The library's stacking level of axis lines, ticks and labels (grid lines are below it).
constexpr qreal kLibraryAxisZ = 3;
// Marks a library item this layer draws for.
constexpr int kAdoptedKey = 0x41584c; // "AXL"

// The pixels of `image` that are not fully see-through, and where they start in it: blending a
// see-through pixel changes nothing but still reads and writes it, and a grid line's pixels were
// mostly room around the line.
QPair<QPoint, QPixmap> shownPart(const QImage &image)
{
    const int width = image.width();
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int x = 0;
        while (x < width && line[x] == 0)
            ++x;
        if (x == width)
            continue;
        int last = width - 1;
        while (line[last] == 0)
            --last;
        left = qMin(left, x);
        right = qMax(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    if (top < 0)
        return {};
    const QRect shown(QPoint(left, top), QPoint(right, bottom));
    return {shown.topLeft(), QPixmap::fromImage(image.copy(shown))};
}
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
    // The time axis, added first, stacks first at each of the library's levels: its grid below
    // everything else here, its line, ticks and labels first among the axes'.
    const bool timeAxis = m_timeAxis && m_timeStandIn && m_timeStandIn->isVisible();
    const TimePlace place = timeAxis ? timePlace() : TimePlace();
    if (timeAxis)
        paintTimeAxis(painter, base, place, TimePart::Grid);
    bool timeAxisDrawn = !timeAxis;
    walk(m_chart, [&](QGraphicsItem *item, int type) {
        if (!item->data(kAdoptedKey).isValid()) {
            queueAdopt(); // drawn by the scene this time
            return;
        }
        const QGraphicsItem *parent = item->parentItem();
        const QGraphicsItem *level =
            parent && parent->type() == QGraphicsItemGroup::Type ? parent : item;
        if (!timeAxisDrawn && level->zValue() >= kLibraryAxisZ) {
            paintTimeAxis(painter, base, place, TimePart::LineTicksLabels);
            timeAxisDrawn = true;
        }
        const QTransform toLayer = item->itemTransform(this);
        const QTransform device = toLayer * base;
        if (type == QGraphicsLineItem::Type) {
            const auto *line = static_cast<QGraphicsLineItem *>(item);
            paintLine(painter, device, line->line(), line->pen());
            return;
        }
        auto *text = static_cast<QGraphicsTextItem *>(item);
        if (!isTimeLabel(text, toLayer.dy()))
            paintLabel(painter, device, text);
    });
    if (!timeAxisDrawn)
        paintTimeAxis(painter, base, place, TimePart::LineTicksLabels);
    painter->setWorldTransform(base);
}

// As the scene draws a line item kept in device pixels: the line drawn alone into a pixmap at its
// sub-pixel offset, the pixmap copied to whole pixels.
void AxisLayer::paintLine(QPainter *painter, const QTransform &device, const QLineF &line,
                          const QPen &pen)
{
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
    const QPair<QPoint, QPixmap> shown = shownPart(image);
    return *m_linePixels.insert(key, {bounds.topLeft() + shown.first, shown.second});
}

// As the text item draws itself: its document's text at the document margin, in its font and
// colour, cut off at its bounds.
void AxisLayer::paintLabel(QPainter *painter, const QTransform &device, QGraphicsTextItem *item)
{
    QTextDocument *document = item->document();
    Label &label = m_labels[item];
    if (label.item != item || label.revision != document->revision() ||
        label.font != item->font()) {
        if (label.item != item)
            label = Label();
        setText(label, document->toPlainText(), item->font());
        label.item = item;
        label.revision = document->revision();
    }
    paintText(painter, device, label,
              {item->defaultTextColor().rgba(), item->boundingRect(), document->documentMargin()});
}

void AxisLayer::setText(Label &label, const QString &plain, const QFont &font)
{
    if (plain == label.plain && font == label.font)
        return;
    label.plain = plain;
    label.font = font;
    label.text = QStaticText(plain);
    label.text.setTextFormat(Qt::PlainText);
    label.text.prepare(QTransform(), font);
    label.placed = false;
    label.forgetPixels();
}

// Drawn alike a second time, the pixels are drawn alone with room around them, at the same
// sub-pixel offset, and from then on copied to whole pixels, which gives the same picture.
void AxisLayer::paintText(QPainter *painter, const QTransform &device, Label &label,
                          const LabelLook &look)
{
    if (label.plain.isEmpty())
        return;
    if (device.type() > QTransform::TxTranslate) {
        painter->setWorldTransform(device);
        drawText(painter, label, look);
        return;
    }
    const QPointF origin(device.dx(), device.dy());
    const QPointF whole(std::floor(origin.x()), std::floor(origin.y()));
    const QPointF fraction = origin - whole;
    const int hints = int(painter->renderHints());
    if (!label.placed || label.fraction != fraction || label.colour != look.colour ||
        label.bounds != look.bounds || label.hints != hints) {
        label.placed = true;
        label.forgetPixels();
        label.fraction = fraction;
        label.colour = look.colour;
        label.bounds = look.bounds;
        label.hints = hints;
        painter->setWorldTransform(device);
        drawText(painter, label, look);
        return;
    }
    const QRect aligned = look.bounds.toAlignedRect();
    constexpr int kRoom = 4; // for glyphs reaching past their advance
    if (!label.pixmapMade) {
        const QSize size = aligned.size() + QSize(2 * kRoom + 1, 2 * kRoom + 1);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter alone(&image);
            alone.setRenderHints(painter->renderHints());
            alone.translate(QPointF(kRoom, kRoom) + fraction - aligned.topLeft());
            drawText(&alone, label, look);
        }
        const QPair<QPoint, QPixmap> shown = shownPart(image);
        label.pixmapAt = shown.first - QPoint(kRoom, kRoom);
        label.pixmap = shown.second;
        label.pixmapMade = true;
    }
    painter->resetTransform();
    if (!label.pixmap.isNull())
        painter->drawPixmap(whole.toPoint() + aligned.topLeft() + label.pixmapAt, label.pixmap);
}

void AxisLayer::drawText(QPainter *painter, const Label &label, const LabelLook &look)
{
    // The document lays its text out from the margin rounded to whole pixels.
    const qreal margin = qRound(look.margin);
    painter->setFont(label.font);
    painter->setPen(QColor::fromRgba(look.colour));
    // The item cuts its text off at its bounds, which the library sets to the text's width.
    painter->save();
    painter->setClipRect(look.bounds, Qt::IntersectClip);
    painter->drawStaticText(QPointF(margin, margin), label.text);
    painter->restore();
}

void AxisLayer::drawTimeAxis(QtCharts::QDateTimeAxis *axis)
{
    m_timeAxis = axis;
    // The axis itself is hidden, so that a change of its range no longer lays its items out
    // again; a stand-in of a fixed range, with a label at each end, takes its place in the layout.
    auto *standIn = new QtCharts::QDateTimeAxis;
    standIn->setTickCount(2);
    standIn->setGridLineVisible(false);
    standIn->setLineVisible(false);
    standIn->setRange(QDateTime(QDate(2000, 1, 1), QTime(0, 0)),
                      QDateTime(QDate(2000, 1, 1), QTime(1, 0)));
    m_timeStandIn = standIn;
    mirrorTimeAxis();
    m_chart->addAxis(standIn, Qt::AlignBottom);
    axis->setVisible(false);
    using Axis = QtCharts::QDateTimeAxis;
    connect(axis, &Axis::labelsVisibleChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::titleVisibleChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::formatChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::labelsFontChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::labelsAngleChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::titleTextChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::titleFontChanged, this, &AxisLayer::mirrorTimeAxis);
    connect(axis, &Axis::titleBrushChanged, this, &AxisLayer::mirrorTimeAxis);
    update();
}

// What the layout of the axis's band depends on, on the stand-in: its labels all show one text of
// the format's width, which the library measures once and lays the band out for.
void AxisLayer::mirrorTimeAxis()
{
    QtCharts::QDateTimeAxis *axis = m_timeAxis;
    QtCharts::QDateTimeAxis *standIn = m_timeStandIn;
    if (!axis || !standIn)
        return;
    m_timePlaceholder =
        m_chart->locale().toString(QDateTime(QDate(2000, 1, 1), QTime(0, 0)), axis->format());
    QString quoted = m_timePlaceholder;
    standIn->setFormat('\'' + quoted.replace('\'', QLatin1String("''")) + '\'');
    standIn->setLabelsFont(axis->labelsFont());
    standIn->setLabelsVisible(axis->labelsVisible());
    standIn->setLabelsAngle(axis->labelsAngle());
    standIn->setTitleText(axis->titleText());
    standIn->setTitleFont(axis->titleFont());
    standIn->setTitleBrush(axis->titleBrush());
    standIn->setTitleVisible(axis->isTitleVisible());
    m_timeLabelHeight = 0; // measured again in this font, for this placeholder
}

// The library's own labels of the time axis, showing the placeholder or a cut-off of it: the only
// labels in a group below the plot area.
bool AxisLayer::isTimeLabel(const QGraphicsTextItem *item, qreal top) const
{
    const QGraphicsItem *parent = item->parentItem();
    return m_timeAxis && parent && parent->type() == QGraphicsItemGroup::Type &&
           top >= m_chart->plotArea().bottom();
}

namespace {
// The library's distance from the axis line to its labels, and the text it cuts labels down to.
constexpr qreal kLabelPadding = 4;
const QString kEllipsis = QStringLiteral("...");

// The longest start of `text` that fits `maxWidth` followed by an ellipsis, as the library cuts.
QString cutOff(const QString &text, qreal maxWidth, const std::function<qreal(QString)> &widthOf)
{
    for (int n = text.size() - 1; n >= 1; --n) {
        const QString shorter = text.left(n) + kEllipsis;
        if (widthOf(shorter) <= maxWidth)
            return shorter;
    }
    return kEllipsis;
}
} // namespace

// As the library's layout places a bottom axis: below the plot area, as wide as the chart's
// contents, in whole pixels; a tick at each of even steps across the plot area.
AxisLayer::TimePlace AxisLayer::timePlace() const
{
    TimePlace place;
    place.grid = m_chart->plotArea();
    qreal left, top, right, bottom;
    m_chart->layout()->getContentsMargins(&left, &top, &right, &bottom);
    const QMargins margins = m_chart->margins();
    const QRectF contents =
        m_chart->contentsRect().adjusted(left + margins.left(), 0, -right - margins.right(), 0);
    place.axis =
        QRectF(QRect(int(contents.left()), int(place.grid.bottom()), int(contents.width()), 0));
    const int ticks = qMax(2, m_timeAxis->tickCount());
    const qreal deltaX = place.grid.width() / (qreal(ticks) - 1.0);
    for (int i = 0; i < ticks; ++i)
        place.ticks.append(qreal(i) * deltaX + place.grid.left());
    return place;
}

// The labels as the library would make them: the text at each tick of the range, centred under
// it in whole pixels, cut off to its share of the axis's width, hidden past the axis's ends or
// where a cut-off label would overlap the one before. Each tick's label is prepared here, once per
// text: its prepared width is the font's advance of the text, so the text is shaped only once.
QVector<AxisLayer::TimeLabel> AxisLayer::timeLabels(const TimePlace &place, const QFont &font,
                                                    qreal margin)
{
    QVector<TimeLabel> labels;
    const int ticks = place.ticks.size();
    const qreal min = qreal(m_timeAxis->min().toMSecsSinceEpoch());
    const qreal max = qreal(m_timeAxis->max().toMSecsSinceEpoch());
    if (max <= min)
        return labels;
    // A label is as wide as its text, with the document's margin rounded to whole pixels.
    const QFontMetricsF metrics(font);
    const qreal textMargins = 2 * qRound(margin);
    const auto widthOf = [&](const QString &text) {
        return metrics.horizontalAdvance(text) + textMargins;
    };
    const qreal maxWidth = place.axis.width() / ticks - 2 * kLabelPadding;
    const QLocale locale = m_chart->locale();
    const QString format = m_timeAxis->format();
    m_timeLabels.resize(ticks);
    m_timeTexts.resize(ticks);
    qreal lastRight = 0;
    for (int i = 0; i < ticks; ++i) {
        const qreal value = min + (i * (max - min) / (ticks - 1));
        const QString text = locale.toString(QDateTime::fromMSecsSinceEpoch(qint64(value)), format);
        if (text.isEmpty())
            continue;
        Label &label = m_timeLabels[i];
        if (text != m_timeTexts[i] || font != label.font || maxWidth != m_timeRoom) {
            m_timeTexts[i] = text;
            setText(label, text, font);
            if (label.text.size().width() + textMargins > maxWidth)
                setText(label, cutOff(text, maxWidth, widthOf), font);
        }
        const qreal width = label.text.size().width() + textMargins;
        const QPoint pos =
            QPointF(place.ticks[i] - width / 2.0, place.axis.top() + kLabelPadding).toPoint();
        if ((pos.x() < lastRight && label.plain == kEllipsis) ||
            pos.x() < place.axis.left() - 1.0 || pos.x() - 1.0 > place.axis.right())
            continue;
        lastRight = width + pos.x();
        labels.append({i, pos, width});
    }
    m_timeRoom = maxWidth;
    return labels;
}

// The grid lines, or the axis line, ticks and labels, as the library's items would draw them; a
// tick and its grid line only inside the plot area.
void AxisLayer::paintTimeAxis(QPainter *painter, const QTransform &base, const TimePlace &place,
                              TimePart part)
{
    const auto inside = [&](qreal x) { return x >= place.grid.left() && x <= place.grid.right(); };
    if (part == TimePart::Grid) {
        if (!m_timeAxis->isGridLineVisible())
            return;
        const QPen pen = m_timeAxis->gridLinePen();
        for (qreal x : place.ticks) {
            if (inside(x))
                paintLine(painter, base, QLineF(x, place.grid.top(), x, place.grid.bottom()), pen);
        }
        painter->setWorldTransform(base);
        return;
    }
    const qreal top = place.axis.top();
    if (m_timeAxis->isLineVisible()) {
        const QPen pen = m_timeAxis->linePen();
        paintLine(painter, base, QLineF(place.grid.left(), top, place.grid.right(), top), pen);
        for (qreal x : place.ticks) {
            if (inside(x))
                paintLine(painter, base, QLineF(x, top, x, top + kLabelPadding), pen);
        }
    }
    if (m_timeAxis->labelsVisible())
        paintTimeLabels(painter, base, place);
    painter->setWorldTransform(base);
}

void AxisLayer::paintTimeLabels(QPainter *painter, const QTransform &base, const TimePlace &place)
{
    // In the library's label font and colour, from its text margin, one line high.
    const QFont font = m_timeAxis->labelsFont();
    constexpr qreal kTextMargin = 0.5;
    const QRgb colour = m_timeAxis->labelsBrush().color().rgba();
    if (m_timeLabelHeight <= 0) { // measured again on each change of the labels' font
        // One line of text laid out as the library's label items lay theirs out.
        QTextDocument document;
        document.setDocumentMargin(kTextMargin);
        document.setDefaultFont(font);
        document.setPlainText(m_timePlaceholder);
        m_timeLabelHeight = document.size().height();
    }
    const qreal height = m_timeLabelHeight;
    for (const TimeLabel &l : timeLabels(place, font, kTextMargin))
        paintText(painter, QTransform::fromTranslate(l.pos.x(), l.pos.y()) * base,
                  m_timeLabels[l.tick], {colour, QRectF(0, 0, l.width, height), kTextMargin});
}
