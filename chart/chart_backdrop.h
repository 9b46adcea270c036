#pragma once
// The chart's framed background: its brush and pen with the drop shadow around it, drawn once per
// size and look into pixmaps that a repaint only copies. The charts library's own shadow is a
// graphics effect that blurs the whole background again on every repaint, and its background
// fills its gradient anew each time; together they were most of a tick's cost. The pixmaps come
// from the same effect (blur radius 10, offset 5, 5, its default colour) over the same shape.
// The legend's box, which never moves on a tick, is drawn into them too.

#include <QColor>
#include <QGraphicsObject>
#include <QPixmap>
#include <QVector>

namespace QtCharts {
class QChart;
}

class ChartBackdrop : public QGraphicsObject
{
    Q_OBJECT
public:
    static constexpr qreal kBlurRadius = 10;
    static constexpr qreal kOffset = 5;

    // Takes over drawing `chart`'s background (the chart's own is hidden) and follows its size.
    explicit ChartBackdrop(QtCharts::QChart *chart);

    // Draws the pixmaps anew from the chart's current background brush, pen and roundness (after
    // a theme change).
    void refresh();
    // How many times the framed background has been drawn into pixmaps.
    int renderCount() const { return m_renderCount; }

    QRectF boundingRect() const override { return m_bounds; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

private:
    struct Piece
    {
        QPointF at;
        QPixmap pixmap;
    };

    void follow();
    QRectF backgroundRect() const;
    // The legend's box in chart coordinates, or empty when it shows none.
    QRectF legendRect() const;
    void paintLegendBox(QImage &image, const QPointF &imageOrigin);

    QtCharts::QChart *m_chart;
    QRectF m_background;
    QRectF m_legend;
    // Whether the legend showed its box, and filled its background, when we took them over.
    bool m_legendBox = false;
    bool m_legendFill = false;
    bool m_chartFill = false; // the chart fills itself beneath where the backdrop does not

    QRectF m_bounds;
    // Where the background's inside is all one colour, it is filled rather than copied: a repaint
    // then writes it without reading a copy of it.
    QRect m_fill;
    QColor m_fillColour;
    // The rest of the background, then the shadow bands above, below, left and right of it.
    QVector<Piece> m_pieces;
    int m_renderCount = 0;
};
