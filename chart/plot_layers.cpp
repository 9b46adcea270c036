#include "chart/plot_layers.h"

#include "chart/axis_layer.h"
#include "chart/chart_backdrop.h"
#include "chart/curve_layer.h"

#include <QDateTimeAxis>

PlotLayers addPlotLayers(QtCharts::QChart *chart, QtCharts::QAbstractAxis *timeAxis)
{
    PlotLayers layers{new ChartBackdrop(chart), new AxisLayer(chart),
                      new CurveLayer(chart, timeAxis)};
    if (auto *dateTime = qobject_cast<QtCharts::QDateTimeAxis *>(timeAxis))
        layers.axes->drawTimeAxis(dateTime);
    return layers;
}
