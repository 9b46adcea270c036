// The four sets of curves, their value axes, user ranges and growth past readings.

#include "chart/live_chart.h"

#include "chart/axis_labels.h"
#include "record/clock.h"

#include <QCategoryAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QPushButton>

#include <algorithm>

using namespace QtCharts;

namespace {

const char kActiveStyle[] =
    "QPushButton{background-color:rgb(62, 62, 62); color: rgb(255, 255, 0);border:2px groove "
    "green;border-radius:10px;padding:2px 4px;border-style: "
    "outset;}QPushButton:hover{background-color:rgb(62, 62, 62); color: rgb(255, 255, "
    "0);border:2px groove green;border-radius:10px;padding:2px 4px;border-style: outset;}";
const char kInactiveStyle[] =
    "QPushButton{background-color: rgb(62, 62, 62);border-radius: 5px;color: rgb(255, 255, "
    "255);border:2px groove gray;border-radius:10px;padding:2px 4px;border-style: "
    "outset;}QPushButton:hover{background-color:rgb(62, 62, 62); color: rgb(255, 255, "
    "0);border:2px groove green;border-radius:10px;padding:2px 4px;border-style: outset;}";

// Default range of a slot's axis; temperatures differ only in decimals between the toggle and
// the range re-application.
struct DefaultRange
{
    double min;
    double max;
};
constexpr DefaultRange kDefaultRange[kPlotSlots] = {{0, 20},  {-25, 25}, {0, 10}, {0, 5},
                                                    {0, 100}, {0, 40},   {0, 40}, {0, 40}};
constexpr double kViewTop[kPlotSlots] = {20, 10, 10, 5, 100, 40, 40, 40};

const LiveChart::View kToggleViews[] = {LiveChart::View::EleCap, LiveChart::View::CpuNtc,
                                        LiveChart::View::Mos};

} // namespace

QVector<LiveChart::AxisUse> LiveChart::axesOf(View view)
{
    switch (view) {
    case View::EleCap:
        return {{0, 3, 2}, {1, 4, 2}};
    case View::CpuNtc:
        return {{0, 5, 1}, {1, 6, 1}};
    case View::Mos:
        return {{0, 7, 1}};
    case View::Default:
        break;
    }
    return {{0, 0, 2}, {1, 1, 2}, {2, 2, 2}};
}

QVector<int> LiveChart::slotsOf(View view)
{
    QVector<int> result;
    for (const AxisUse &use : axesOf(view))
        result.append(use.slot);
    return result;
}

QPushButton *LiveChart::buttonOf(View view) const
{
    switch (view) {
    case View::EleCap:
        return m_viewButtons[0];
    case View::CpuNtc:
        return m_viewButtons[1];
    case View::Mos:
        return m_viewButtons[2];
    case View::Default:
        break;
    }
    return nullptr;
}

// The toggles label the probe temperature's default with two decimals; the range
// re-application with one.
void LiveChart::applyDefaultRange(const AxisUse &use, bool toggling)
{
    const int decimals = toggling && use.slot == 6 ? 2 : use.decimals;
    const DefaultRange range = kDefaultRange[use.slot];
    setDefaultAxisRange(m_valueAxes[size_t(use.axis)], use.unit(), decimals, range.min, range.max);
}

// Each value axis of `view` shows the user's range if enabled, else its default.
void LiveChart::applyViewRanges(View view, bool toggling)
{
    for (const AxisUse &use : axesOf(view)) {
        const UserRange user = m_userRanges(use.slot);
        if (user.enabled)
            applyAxisRange(m_valueAxes[size_t(use.axis)], use.unit(), 10, use.decimals, user.min,
                           user.max);
        else
            applyDefaultRange(use, toggling);
    }
}

void LiveChart::colourAxesForView()
{
    for (const AxisUse &use : axesOf(currentView()))
        m_valueAxes[size_t(use.axis)]->setLinePenColor(m_curveStyles[use.slot].color);
}

void LiveChart::toggleView(View pressed)
{
    const bool nowOn = m_currentView != pressed;
    m_currentView = nowOn ? pressed : View::Default;

    if (QPushButton *button = buttonOf(pressed))
        button->setStyleSheet(nowOn ? kActiveStyle : kInactiveStyle);
    for (View other : kToggleViews) {
        if (other == pressed)
            continue;
        if (QPushButton *button = buttonOf(other))
            button->setStyleSheet(kInactiveStyle);
        for (int slot : slotsOf(other))
            hideSlot(slot);
    }
    if (nowOn) {
        for (int slot : slotsOf(View::Default))
            hideSlot(slot);
        for (int slot : slotsOf(pressed))
            showSlot(slot);
        applyViewRanges(pressed, true);
        for (const AxisUse &use : axesOf(pressed))
            m_axisTop[size_t(use.axis)] = kViewTop[use.slot];
    } else {
        for (int slot : slotsOf(pressed))
            hideSlot(slot);
        for (int slot : slotsOf(View::Default))
            showSlot(slot);
        applyViewRanges(View::Default, true);
        m_axisTop = {{20, 10, 10}};
        viewStart = Clock::now();
        if (m_displayMode == Scrolling)
            m_timeAxis->setRange(viewStart.addSecs(-10), viewStart);
    }
    colourAxesForView();
    // An axis no curve of the view uses would show another quantity's scale.
    const QVector<AxisUse> uses = axesOf(m_currentView);
    for (int axis = 0; axis < int(m_valueAxes.size()); ++axis)
        m_valueAxes[size_t(axis)]->setVisible(std::any_of(
            uses.begin(), uses.end(), [axis](const AxisUse &use) { return use.axis == axis; }));
    refreshVisible();
}

void LiveChart::applyAxisRanges()
{
    applyViewRanges(currentView(), false);
}

void LiveChart::setCurrentAxisRange(double minimum, double maximum)
{
    // Right axis 1 carries the current only in the default view; another view keeps its own.
    if (currentView() != View::Default)
        return;
    const UserRange user = m_userRanges(1);
    if (user.enabled)
        applyAxisRange(m_valueAxes[1], "A", 10, 2, user.min, user.max);
    else
        applyAxisRange(m_valueAxes[1], "A", 10, 2, minimum, maximum);
}

std::pair<double, double> LiveChart::rangeInUse(int slot) const
{
    for (const AxisUse &use : axesOf(currentView()))
        if (use.slot == slot)
            return {m_valueAxes[size_t(use.axis)]->min(), m_valueAxes[size_t(use.axis)]->max()};
    if (slot < 0 || slot >= kPlotSlots)
        return {0, 0};
    return {kDefaultRange[slot].min, kDefaultRange[slot].max};
}

void LiveChart::growAxes(const proto::SampleValues &values)
{
    for (const AxisUse &use : axesOf(currentView())) {
        double &top = m_axisTop[size_t(use.axis)];
        double &peak = m_quantityPeak[size_t(use.slot)];
        const double v = values[size_t(kSlotQuantity[size_t(use.slot)])];
        if (!(v > top || peak > top))
            continue;
        double grown = qMax(v, peak);
        if (kSlotQuantity[size_t(use.slot)] == proto::Quantity::Capacity)
            grown += 20;
        top = peak = grown;
        if (!m_userRanges(use.slot).enabled)
            growAxis(m_valueAxes[size_t(use.axis)], use.unit(), 10, use.decimals, grown);
    }
}
