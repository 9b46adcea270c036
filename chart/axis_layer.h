#pragma once
// Draws the chart's axis lines, grid lines, ticks and label texts in one pass, in the place and
// order the chart's own items would. The charts library keeps them as one graphics item each:
// every repaint drew each label through a rich-text document and stroked each line's outline just
// to learn its bounds, most of a tick once the curves and the background were cheap. Here a label
// keeps its pixels until its text, colour or sub-pixel offset changes, and a line's pixels are
// kept per pen, extent and sub-pixel offset, so a repaint mostly copies them. The library's items
// stay in place, laid out and updated by the library, but fully transparent, so the scene skips
// them. The legend keeps drawing its own.
//
// The time axis's range changes on every zoom, pan and followed sample, and the library then lays
// each of its labels and its title out again as rich text. A date-time axis handed to
// drawTimeAxis() is hidden; a stand-in of a fixed range takes its place in the layout, with a
// label at each end, both showing one placeholder of the labels' width, which the library measures
// once and lays the band out for. The layer draws the axis's line, ticks and grid lines and
// formats, places, cuts off and hides the real labels by the library's own rules.

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
class QDateTimeAxis;
} // namespace QtCharts

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
    // Draws `axis`, the chart's one bottom axis and the first added, itself, as it is set up: its
    // line, its ticks and grid lines, and upright labels in its format (see above). The axis is
    // hidden from then on and its stand-in follows its labels' and title's looks.
    void drawTimeAxis(QtCharts::QDateTimeAxis *axis);

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
    // How a label's text shows: in a colour, from a margin within its bounds.
    struct LabelLook
    {
        QRgb colour;
        QRectF bounds;
        qreal margin;
    };
    struct TimePlace
    {
        QRectF grid;          // the plot area
        QRectF axis;          // the axis's band, of no height
        QVector<qreal> ticks; // across
    };
    enum class TimePart
    {
        Grid,
        LineTicksLabels
    };
    struct TimeLabel
    {
        int tick; // its label in m_timeLabels
        QPoint pos;
        qreal width;
    };
    struct Label
    {
        QPointer<QGraphicsTextItem> item; // null once the item is gone
        QString plain;
        QFont font;
        int revision = -1;
        QStaticText text;
        // The text drawn alone, as last placed: where its origin fell within a pixel, in which
        // colour, cut off where. Made on the second paint alike: a label that changes on every
        // zoom is drawn straight.
        bool placed = false;
        bool pixmapMade = false;
        QPixmap pixmap;  // null when nothing of the text shows
        QPoint pixmapAt; // from the label's aligned top left
        QPointF fraction;
        QRgb colour = 0;
        QRectF bounds;
        int hints = 0;
        void forgetPixels()
        {
            pixmapMade = false;
            pixmap = QPixmap();
        }
    };
    struct LinePixels
    {
        QPoint offset; // from the start's pixel to the pixmap's top left
        QPixmap pixmap;
    };

    template <typename Visit> void walk(QGraphicsItem *parent, const Visit &visit) const;
    void paintLine(QPainter *painter, const QTransform &device, const QLineF &line,
                   const QPen &pen);
    void paintLabel(QPainter *painter, const QTransform &device, QGraphicsTextItem *item);
    static void setText(Label &label, const QString &plain, const QFont &font);
    static void paintText(QPainter *painter, const QTransform &device, Label &label,
                          const LabelLook &look);
    static void drawText(QPainter *painter, const Label &label, const LabelLook &look);
    bool isTimeLabel(const QGraphicsTextItem *item, qreal top) const;
    TimePlace timePlace() const;
    QVector<TimeLabel> timeLabels(const TimePlace &place, const QFont &font, qreal margin);
    void paintTimeAxis(QPainter *painter, const QTransform &base, const TimePlace &place,
                       TimePart part);
    void paintTimeLabels(QPainter *painter, const QTransform &base, const TimePlace &place);
    const LinePixels &linePixels(const LineKey &key, const QPen &pen, const QPointF &start,
                                 const QPointF &end);
    void mirrorTimeAxis();
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
    QPointer<QtCharts::QDateTimeAxis> m_timeAxis;
    QPointer<QtCharts::QDateTimeAxis> m_timeStandIn;
    QString m_timePlaceholder;
    qreal m_timeLabelHeight = 0;
    QVector<Label> m_timeLabels;  // one per tick
    QVector<QString> m_timeTexts; // the text each was made from, before any cut-off
    qreal m_timeRoom = -1;        // the width they were cut off to
    QHash<LineKey, LinePixels> m_linePixels;
    bool m_adoptQueued = false;
};

uint qHash(const AxisLayer::LineKey &key, uint seed = 0);
