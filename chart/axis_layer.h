#pragma once
// Draws the chart's axis lines, grid lines, ticks and label texts in one pass, in the place and
// order the chart's own items would. The charts library keeps them as one graphics item each:
// every repaint drew each label through a rich-text document and stroked each line's outline just
// to learn its bounds, most of a tick once the curves and the background were cheap. Here a label
// keeps its pixels until its text, colour or sub-pixel offset changes, and a line's pixels are
// kept per pen, extent and sub-pixel offset, so a repaint mostly copies them. The library's items
// stay in place, laid out and updated by the library, but fully transparent, so the scene skips
// them. The legend keeps drawing its own.

#include <QFont>
#include <QGraphicsObject>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QStaticText>

class QGraphicsLineItem;
class QGraphicsTextItem;

namespace QtCharts {
class QChart;
}

class AxisLayer : public QGraphicsObject
{
    Q_OBJECT
public:
    // Draws for the items under `chart` except its legend's.
    explicit AxisLayer(QtCharts::QChart *chart);

    // Takes over the line and text items not yet taken over, and follows the changes of every
    // axis. The library creates items when an axis gets more ticks or labels; a repaint that
    // meets new ones asks for this itself.
    void adopt();
    // How many items this layer draws for.
    int adoptedCount() const;

    QRectF boundingRect() const override { return m_bounds; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // What a line's pixels depend on, in device pixels. Exact: the rasterizer's rounding makes
    // a hundredth of a pixel show.
    struct LineKey
    {
        QRgb colour;
        quint32 antialiased;
        qreal width;
        qreal dx, dy;       // the line's extent
        qreal fracX, fracY; // where it starts within its pixel
        qint32 style;
        qint32 cap;
        bool operator==(const LineKey &o) const;
    };

private:
    struct Label
    {
        QPointer<QGraphicsTextItem> item; // null once the item is gone
        QString plain;
        QFont font;
        int revision = -1;
        QStaticText text;
        // The text drawn alone, as last placed: where its origin fell within a pixel, in which
        // colour, cut off where.
        QPixmap pixmap;
        QPointF fraction;
        QRgb colour = 0;
        QRectF bounds;
        int hints = 0;
    };
    struct LinePixels
    {
        QPoint offset; // from the start's pixel to the pixmap's top left
        QPixmap pixmap;
    };

    template <typename Visit> void walk(QGraphicsItem *parent, const Visit &visit) const;
    void paintLine(QPainter *painter, const QTransform &device, const QGraphicsLineItem *item);
    void paintLabel(QPainter *painter, const QTransform &device, QGraphicsTextItem *item);
    static void drawLabel(QPainter *painter, const Label &label, const QGraphicsTextItem *item);
    const LinePixels &linePixels(const LineKey &key, const QPen &pen, const QPointF &start,
                                 const QPointF &end);
    void queueAdopt();
    void followChart();

    // A transparent item's own update is dropped by the scene, so the layer repaints on any
    // change of an axis or a label's text.
    void follow(QObject *source, bool contentsOnly);
    Q_SLOT void repaintAll() { update(); }

    QtCharts::QChart *m_chart;
    QGraphicsItem *m_legend;
    QRectF m_bounds;
    QVector<QPointer<QObject>> m_followed;
    QHash<QGraphicsTextItem *, Label> m_labels;
    QHash<LineKey, LinePixels> m_linePixels;
    bool m_adoptQueued = false;
};

uint qHash(const AxisLayer::LineKey &key, uint seed = 0);
