#pragma once
// Colour and width of each chart curve and the chart theme, as kept in the settings file.

#include <QChart>
#include <QColor>
#include <QPen>
#include <QStringList>
#include <QVector>

struct CurveStyle
{
    QColor color = Qt::black;
    qreal width = 0;
};

// Settings keys and names of curve entry 0 … 7 (entry = chart slot).
struct CurveKeys
{
    const char *colorKey;
    const char *widthKey;
    const char *rowLabel;   // the curve panel's row
    const char *seriesName; // the chart legend's name
};
extern const CurveKeys kCurveKeys[8];

constexpr int kCurveStyleCount = 10; // entries 8 and 9 are kept but unused

// "ff1570a5" → rgb(21, 112, 165); the alpha digits are ignored, bad text gives black.
QColor colorFromKeyText(const QString &text);
QString colorKeyText(const QColor &color);
// "1.5" → 1.5; bad text gives 0 (a one-pixel cosmetic pen).
qreal widthFromKeyText(const QString &text);
QString widthKeyText(qreal width);

CurveStyle readCurveStyle(int entry);
QVector<CurveStyle> loadCurveStyles();

// The pen every curve is drawn with.
QPen curvePen(const CurveStyle &style);

// The themes the panel offers, in the order of Qt's theme numbers 0 … 6.
const QStringList &chartThemeNames();
// Any unknown name, the empty one too, means Light.
QtCharts::QChart::ChartTheme chartThemeFromName(const QString &name);
