#pragma once
// The items our charts draw their background, axes and long curves with, in place of the charts
// library's own (chart_backdrop.h, axis_layer.h, curve_layer.h): the live chart and the viewer
// draw through the same ones.

namespace QtCharts {
class QAbstractAxis;
class QChart;
} // namespace QtCharts

class AxisLayer;
class ChartBackdrop;
class CurveLayer;

struct PlotLayers
{
    ChartBackdrop *backdrop; // all owned by the chart
    AxisLayer *axes;
    CurveLayer *curves;
};

// For a chart whose theme, legend and axes are set up. A date-time `timeAxis` has its labels
// drawn by the axis layer itself (see there).
PlotLayers addPlotLayers(QtCharts::QChart *chart, QtCharts::QAbstractAxis *timeAxis);
