#include "sim/source_model.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace sim {

namespace {
struct OcvPoint
{
    double soc;
    double volts;
};
// A typical Li-ion discharge curve at rest.
constexpr OcvPoint kOcv[] = {{0.00, 3.00}, {0.05, 3.45}, {0.10, 3.60}, {0.20, 3.70},
                             {0.40, 3.80}, {0.60, 3.90}, {0.80, 4.02}, {1.00, 4.20}};
} // namespace

SourceModel::SourceModel(const InstrumentConfig &config)
    : m_kind(config.source), m_capacityAs(std::max(0.001, config.capacityAh) * 3600.0),
      m_resistance(std::max(0.001, config.source == SourceKind::Battery ? config.internalResistance
                                                                        : config.supplyResistance)),
      m_cells(std::max(1, config.cells)), m_soc(std::clamp(config.initialCharge, 0.0, 1.0)),
      m_supplyVoltage(std::max(0.0, config.supplyVoltage)),
      m_supplyLimit(std::max(0.0, config.supplyCurrentLimit))
{
}

double SourceModel::cellOcv(double soc)
{
    if (soc <= 0) // past empty the voltage collapses
        return std::max(0.0, kOcv[0].volts + soc * 40.0);
    if (soc >= 1)
        return kOcv[std::size(kOcv) - 1].volts + (soc - 1.0) * 2.0;
    for (size_t i = 1; i < std::size(kOcv); ++i) {
        if (soc <= kOcv[i].soc) {
            const OcvPoint &a = kOcv[i - 1];
            const OcvPoint &b = kOcv[i];
            return a.volts + (b.volts - a.volts) * (soc - a.soc) / (b.soc - a.soc);
        }
    }
    return kOcv[std::size(kOcv) - 1].volts;
}

double SourceModel::openCircuitVoltage() const
{
    return isBattery() ? m_cells * cellOcv(m_soc) : m_supplyVoltage;
}

double SourceModel::internalResistance() const
{
    return m_resistance;
}

double SourceModel::maxCurrent() const
{
    const double shorted = openCircuitVoltage() / m_resistance;
    return isBattery() ? shorted : std::min(shorted, m_supplyLimit);
}

double SourceModel::terminalVoltage(double current) const
{
    if (!isBattery() && current > m_supplyLimit)
        return 0.0; // the supply folds back into its current limit
    return std::max(0.0, openCircuitVoltage() - current * m_resistance);
}

void SourceModel::drain(double current, double seconds)
{
    if (!isBattery())
        return;
    // Let the cell go a little past empty (so the voltage can collapse) or past full.
    m_soc = std::clamp(m_soc - current * seconds / m_capacityAs, -0.05, 1.02);
}

void SourceModel::setStateOfCharge(double soc)
{
    m_soc = std::clamp(soc, -0.05, 1.02);
}

} // namespace sim
