#pragma once
// The thing the load draws from: a Li-ion battery (open-circuit voltage that follows the state of
// charge, internal resistance, finite capacity) or a bench supply (fixed voltage, current limit).

#include "sim/sim_config.h"

namespace sim {

class SourceModel
{
public:
    explicit SourceModel(const InstrumentConfig &config);

    bool isBattery() const { return m_kind == SourceKind::Battery; }
    // Voltage at the terminals with `current` flowing out (negative: charging).
    double terminalVoltage(double current) const;
    double openCircuitVoltage() const;
    double internalResistance() const;
    // Largest current the source can deliver (terminals at 0 V or the supply's limit).
    double maxCurrent() const;
    // Removes (or, negative, adds) charge: `current` amperes during `seconds`.
    void drain(double current, double seconds);
    double stateOfCharge() const { return m_soc; }
    void setStateOfCharge(double soc);

    // Open-circuit voltage of one Li-ion cell at a state of charge; falls steeply once empty.
    static double cellOcv(double soc);

private:
    SourceKind m_kind;
    double m_capacityAs; // ampere-seconds
    double m_resistance;
    int m_cells;
    double m_soc;
    double m_supplyVoltage;
    double m_supplyLimit;
};

} // namespace sim
