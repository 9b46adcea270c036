#include "sim/instrument.h"

#include "sim/sim_log.h"

#include "protocol/byte_order.h"
#include "protocol/codes.h"
#include "protocol/report_parser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sim {

namespace {

constexpr double kMaxStep = 0.1;     // seconds of simulated time per physics step
constexpr uint8_t kPopupSeconds = 8; // how long the battery-test question waits
constexpr double kFanFullRpm = 4500;

uint32_t bigEndianInteger(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint8_t clampByte(uint32_t value, uint8_t lo, uint8_t hi)
{
    return static_cast<uint8_t>(std::clamp<uint32_t>(value, lo, hi));
}

// Request frames are 9 bytes (trailer at 7..8), command frames 10 bytes (trailer at 8..9).
bool trailerInPlace(const uint8_t *report)
{
    const uint8_t code = report[3];
    const bool request = code == proto::CmdUpgradeEntry || code == proto::CmdSettingsRequest ||
                         code == proto::CmdMeasurementRequest;
    const int at = request ? 7 : 8;
    return report[at] == proto::kTrailer0 && report[at + 1] == proto::kTrailer1;
}

struct Rating
{
    const char *model;
    double amps;
    double watts;
};
constexpr Rating kRatings[] = {{"HK07", 10, 100},    {"HK09", 10, 100},   {"MR310", 30, 300},
                               {"MR820", 20, 200},   {"NV05", 100, 5000}, {"NV15", 300, 15000},
                               {"NV17", 1000, 50000}};

} // namespace

QStringList knownModels()
{
    QStringList models;
    for (const proto::Model &model : proto::kModels)
        models << QString::fromLatin1(model.word);
    return models;
}

bool isNv05FamilyModel(const QString &model)
{
    return proto::familyOfModel(model.toUpper()) == proto::Nv05Family;
}

Instrument::Instrument(const InstrumentConfig &config, uint64_t seed)
    : m_config(config), m_nv05(isNv05FamilyModel(config.model)),
      m_hk09(config.model.compare("HK09", Qt::CaseInsensitive) == 0), m_maxCurrent(10),
      m_maxPower(100), m_source(config), m_noise(seed ^ (uint64_t(config.address) << 32)),
      m_mosTemp(config.ambient), m_cpuTemp(config.ambient + 10), m_probeTemp(config.ambient)
{
    for (const Rating &r : kRatings) {
        if (config.model.compare(r.model, Qt::CaseInsensitive) == 0) {
            m_maxCurrent = r.amps;
            m_maxPower = r.watts;
        }
    }
    if (config.maxCurrent > 0)
        m_maxCurrent = config.maxCurrent;
    if (config.maxPower > 0)
        m_maxPower = config.maxPower;
    factoryReset();
    m_voltage = m_source.openCircuitVoltage();
}

void Instrument::factoryReset()
{
    stop(StopReason::User);
    Settings s;
    const int cells = std::max(1, m_config.cells);
    const bool battery = m_source.isBattery();
    s.setPoints = {1.0f,  float(battery ? 3.5 * cells : m_config.supplyVoltage * 0.5),
                   10.0f, 5.0f,
                   1.0f,  1.0f,
                   1.0f,  1.0f,
                   1.0f,  1.0f,
                   0.0f};
    s.dischargeStopVoltage = float(3.0 * cells);
    s.chargeStopVoltage = float(4.2 * cells);
    s.chargeStopCurrent = 0.1f;
    s.overCurrentLimit = float(m_maxCurrent * 1.1);
    s.overPowerLimit = float(m_maxPower * 1.1);
    s.probeOverTemp = 80;
    s.mosOverTemp = 95;
    m_settings = s;
    m_interruptedSequence = false;
}

void Instrument::clearAccumulated()
{
    m_energyWh = 0;
    m_capacityAh = 0;
    m_runSeconds = 0;
}

std::optional<Report> Instrument::handleFrame(const uint8_t *report)
{
    if (report[0] != proto::kCommandStart || report[1] != proto::kFrameKind ||
        report[2] != address())
        return std::nullopt;
    if (!trailerInPlace(report)) {
        qCDebug(lcSim) << "frame without trailer ignored, code" << report[3];
        return std::nullopt;
    }
    switch (report[3]) {
    case proto::CmdSettingsRequest:
        return settingsReport();
    case proto::CmdMeasurementRequest:
        return measurementReport();
    case proto::CmdAddressRequest:
    case proto::CmdUpgradeEntry:
        return std::nullopt; // the bus handles these
    default:
        applyCommand(report[3], report + 4);
        return std::nullopt;
    }
}

void Instrument::applyCommand(uint8_t code, const uint8_t *payload)
{
    const float number = proto::readBigEndianFloat(payload);
    const uint32_t integer = bigEndianInteger(payload);
    Settings &s = m_settings;
    // Non-finite or negative limits are refused; the next settings reply shows the old value.
    auto setLimit = [&](float &field) {
        if (std::isfinite(number) && number >= 0 && number < 1e6f)
            field = number;
    };
    auto setCalibration = [&](float &field) {
        if (std::isfinite(number))
            field = std::clamp(number, 0.5f, 2.0f);
    };
    switch (code) {
    case proto::CmdDisplayStyle:
        if (payload[0] >= 1 && payload[0] <= (m_nv05 ? 2 : 4))
            s.displayStyle = payload[0];
        break;
    case proto::CmdSetPoint:
        setSetPoint(number);
        break;
    case proto::CmdWorkBrightness:
        s.workBrightness = clampByte(integer, 1, 9);
        break;
    case proto::CmdStandbyBrightness:
        s.standbyBrightness = clampByte(integer, m_nv05 ? 0 : 1, 9);
        break;
    case proto::CmdStandbyTime:
        s.standbyTime = clampByte(integer, 10, 60);
        break;
    case proto::CmdRunStop:
        if (payload[0] == proto::kRunStart)
            start();
        else if (payload[0] == proto::kRunStop)
            stop(StopReason::User);
        break;
    case proto::CmdTempCalibration:
        setCalibration(s.tempCalibration);
        break;
    case proto::CmdVoltCalibration:
        setCalibration(s.voltCalibration);
        break;
    case proto::CmdCurrCalibration:
        setCalibration(s.currCalibration);
        break;
    case proto::CmdDischargeStopVoltage:
        setLimit(s.dischargeStopVoltage);
        break;
    case proto::CmdChargeStopVoltage:
        setLimit(s.chargeStopVoltage);
        break;
    case proto::CmdChargeStopCurrent:
        setLimit(s.chargeStopCurrent);
        break;
    case proto::CmdOverCurrent:
        setLimit(s.overCurrentLimit);
        break;
    case proto::CmdOverPower:
        setLimit(s.overPowerLimit);
        break;
    case proto::CmdProbeOverTemp:
        setLimit(s.probeOverTemp);
        break;
    case proto::CmdMosOverTemp:
        setLimit(s.mosOverTemp);
        break;
    case proto::CmdTimeLimit:
        if (m_nv05)
            break; // the meters have no timed discharge
        if (payload[3] == 1)
            s.limitHours = std::min<uint8_t>(payload[0], 99);
        else if (payload[3] == 2)
            s.limitMinutes = std::min<uint8_t>(payload[0], 59);
        break;
    case proto::CmdClearNoLoadCurrent:
        m_noLoadOffset = 0;
        break;
    case proto::CmdFactoryReset:
        factoryReset();
        break;
    case proto::CmdClearAccumulated:
        clearAccumulated();
        break;
    case proto::CmdPopupAnswer:
        answerPopup(payload[0]);
        break;
    case proto::CmdShuntSize:
        if (m_nv05 && integer <= 7)
            s.shuntIndex = static_cast<uint8_t>(integer);
        break;
    case proto::CmdReturnHome:
    case proto::CmdSettingsPageOpened:
        break; // the instrument's own screen follows the program; nothing to model
    default:
        if (code >= proto::CmdModeConstantCurrent && code <= proto::CmdModeDeveloping)
            setWorkMode(code - proto::CmdModeConstantCurrent);
        else
            qCDebug(lcSim) << "unknown command" << Qt::hex << code;
        break;
    }
}

void Instrument::setSetPoint(float value)
{
    if (!std::isfinite(value))
        return;
    const uint8_t mode = m_settings.workMode;
    double lo = 0, hi = m_maxCurrent;
    switch (mode) {
    case proto::ModeConstantVoltage:
        hi = 499.0;
        break;
    case proto::ModeConstantResistance:
        lo = 0.05;
        hi = 9999.0;
        break;
    case proto::ModeConstantPower:
        hi = m_maxPower;
        break;
    case proto::ModeDeveloping:
        hi = 0;
        break;
    default:
        break;
    }
    m_settings.setPoints[mode] = float(std::clamp(double(value), lo, hi));
}

void Instrument::setWorkMode(uint8_t mode)
{
    if (mode >= proto::WorkModeCount || mode == m_settings.workMode)
        return;
    stop(StopReason::User);
    m_interruptedSequence = false;
    m_settings.workMode = mode;
}

bool Instrument::batteryMode() const
{
    const uint8_t m = m_settings.workMode;
    return m == proto::ModeChargeDischargeCharge || m == proto::ModeChargeDischargeChargeDischargeCharge ||
           m == proto::ModeCycleTest;
}

bool Instrument::chargePhase() const
{
    return batteryMode() && m_phase % 2 == 0;
}

bool Instrument::sequenceFinished() const
{
    switch (m_settings.workMode) {
    case proto::ModeChargeDischargeCharge:
        return m_phase >= 3;
    case proto::ModeChargeDischargeChargeDischargeCharge:
        return m_phase >= 5;
    default:
        return false; // the cycle test runs until stopped
    }
}

void Instrument::start()
{
    if (m_running || m_popupCountdown > 0)
        return;
    const uint8_t m = m_settings.workMode;
    if (m == proto::ModeChargeDischargeCharge || m == proto::ModeChargeDischargeChargeDischargeCharge) {
        // Ask first: three answers when an interrupted run could be continued, two otherwise.
        m_popupType = m_interruptedSequence ? 3 : 2;
        m_popupChoice = 1;
        m_popupCountdown = kPopupSeconds;
        m_popupClock = 0;
        return;
    }
    beginRun(false);
}

void Instrument::beginRun(bool resume)
{
    if (!resume) {
        m_phase = 0;
        if (batteryMode())
            clearAccumulated();
    }
    m_running = true;
    m_stopReason = StopReason::None;
    m_runSeconds = 0;
    qCDebug(lcSim) << "instrument" << address() << "runs in mode" << m_settings.workMode;
}

void Instrument::stop(StopReason reason)
{
    if (m_popupCountdown > 0) {
        m_popupCountdown = 0;
        m_popupType = 0;
        m_popupChoice = 0;
    }
    if (!m_running)
        return;
    m_running = false;
    m_stopReason = reason;
    m_interruptedSequence = batteryMode() && reason != StopReason::SequenceDone;
    m_current = 0;
    m_voltage = m_source.terminalVoltage(0);
    qCDebug(lcSim) << "instrument" << address() << "stopped, reason" << int(reason);
}

void Instrument::setPopupChoice(uint8_t choice)
{
    if (m_popupCountdown > 0 && choice >= 1 && choice <= m_popupType)
        m_popupChoice = choice;
}

void Instrument::answerPopup(uint8_t answer)
{
    if (m_popupCountdown == 0)
        return;
    if (answer == proto::kPopupAnswerConfirm)
        answer = m_popupChoice;
    const uint8_t type = m_popupType;
    if (answer < 1 || answer > type)
        return;
    m_popupCountdown = 0;
    m_popupType = 0;
    m_popupChoice = 0;
    if (answer == 1) {
        m_stopReason = StopReason::PopupCancelled;
        return;
    }
    const bool resume = type == 3 && answer == 2;
    beginRun(resume);
}

void Instrument::advance(double seconds)
{
    while (seconds > 1e-12) {
        const double dt = std::min(seconds, kMaxStep);
        step(dt);
        seconds -= dt;
    }
}

void Instrument::stepKnob(double dt)
{
    m_clock += dt;
    if (m_config.knobStartAt < 0)
        return;
    if (!m_knobTurned && m_clock >= m_config.knobStartAt) {
        m_knobTurned = true;
        m_settings.setPoints[proto::ModeConstantCurrent] = float(m_config.knobAmps);
        setWorkMode(proto::ModeConstantCurrent);
        start();
        m_knobRun = m_running;
    } else if (m_knobRun && (!m_running || m_runSeconds >= m_config.knobRunSeconds)) {
        m_knobRun = false;
        stop(StopReason::User);
    }
}

void Instrument::step(double dt)
{
    stepKnob(dt);
    stepPopup(dt);
    if (m_running)
        operate(dt);
    else {
        m_current = 0;
        m_voltage = m_source.terminalVoltage(0);
    }
    stepThermal(dt);
    if (m_running)
        checkProtections();
}

void Instrument::stepPopup(double dt)
{
    if (m_popupCountdown == 0)
        return;
    m_popupClock += dt;
    while (m_popupClock >= 1.0 - 1e-9 && m_popupCountdown > 0) {
        m_popupClock -= 1.0;
        if (m_popupCountdown == 1) {
            answerPopup(m_popupChoice); // time is up: the highlighted answer stands
            break;
        }
        --m_popupCountdown;
    }
}

void Instrument::solveOperatingPoint(uint8_t mode, double setPoint)
{
    const SourceModel &src = m_source;
    const double ocv = src.openCircuitVoltage();
    const double r = src.internalResistance();
    const double sourceMax = src.maxCurrent();
    const bool supplyLimited = !src.isBattery();
    const double supplyLimit = m_config.supplyCurrentLimit;
    double i = 0;
    double v = ocv;
    switch (mode) {
    case proto::ModeConstantVoltage:
        if (ocv > setPoint) {
            i = (ocv - setPoint) / r;
            v = setPoint;
            if (supplyLimited && i > supplyLimit)
                i = supplyLimit; // supply in current limit, the load still holds the voltage
        }
        break;
    case proto::ModeConstantResistance: {
        const double load = std::max(setPoint, 0.01);
        i = ocv / (r + load);
        if (supplyLimited && i > supplyLimit)
            i = supplyLimit;
        v = i * load;
        break;
    }
    case proto::ModeConstantPower: {
        const double disc = ocv * ocv - 4 * r * setPoint;
        i = disc >= 0 ? (ocv - std::sqrt(disc)) / (2 * r) : ocv / (2 * r);
        if (supplyLimited && i > supplyLimit)
            i = supplyLimit;
        v = src.terminalVoltage(i);
        break;
    }
    case proto::ModeDeveloping:
        break;
    default: // constant current and the tests built on it
        i = std::clamp(setPoint, 0.0, sourceMax);
        v = src.terminalVoltage(i);
        if (supplyLimited && setPoint > supplyLimit) {
            i = supplyLimit;
            v = 0; // the load pulls the folded-back supply down to nothing
        }
        break;
    }
    if (i > m_maxCurrent) { // the load's own rating
        i = m_maxCurrent;
        v = src.terminalVoltage(i);
    }
    if (mode == proto::ModeCableTest) // the voltage is read at the far end of the cable
        v = std::max(0.0, v - i * m_config.cableResistance);
    m_current = i;
    m_voltage = v;
}

void Instrument::nextPhase()
{
    ++m_phase;
    qCDebug(lcSim) << "instrument" << address() << "battery phase" << m_phase;
    if (sequenceFinished())
        stop(StopReason::SequenceDone);
}

void Instrument::operate(double dt)
{
    const Settings &s = m_settings;
    const uint8_t mode = s.workMode;
    if (batteryMode()) {
        if (chargePhase()) {
            const double r = m_source.internalResistance();
            const double ocv = m_source.openCircuitVoltage();
            double charge = 0;
            if (m_source.isBattery()) // constant current, then constant voltage at the stop voltage
                charge = std::clamp((s.chargeStopVoltage - ocv) / r, 0.0, m_config.chargerCurrent);
            m_current = -charge;
            m_voltage = m_source.terminalVoltage(-charge);
            if (charge < std::max<double>(s.chargeStopCurrent, 1e-3)) {
                nextPhase();
                return;
            }
        } else {
            solveOperatingPoint(proto::ModeConstantCurrent, s.setPoints[mode]);
            if (m_voltage <= s.dischargeStopVoltage || m_voltage < 0.05) {
                nextPhase();
                return;
            }
        }
    } else {
        solveOperatingPoint(mode, s.setPoints[mode]);
    }
    const double amps = std::fabs(m_current);
    m_energyWh += std::fabs(m_voltage * m_current) * dt / 3600.0;
    m_capacityAh += amps * dt / 3600.0;
    m_source.drain(m_current, dt);
    m_runSeconds += dt;
}

void Instrument::checkProtections()
{
    const proto::LiveValues v = values();
    const Settings &s = m_settings;
    const double amps = std::fabs(v.current);
    const double limitSeconds = m_nv05 ? 0 : s.limitHours * 3600.0 + s.limitMinutes * 60.0;
    if (s.overCurrentLimit > 0 && amps > s.overCurrentLimit)
        stop(StopReason::OverCurrent);
    else if (s.overPowerLimit > 0 && v.power > s.overPowerLimit)
        stop(StopReason::OverPower);
    else if (s.mosOverTemp > 0 && v.mosTemp > s.mosOverTemp)
        stop(StopReason::MosOverTemperature);
    else if (s.probeOverTemp > 0 && m_config.probeConnected && v.ntcTemp > s.probeOverTemp)
        stop(StopReason::ProbeOverTemperature);
    else if (!batteryMode() && s.workMode != proto::ModeDeveloping && s.dischargeStopVoltage > 0 &&
             m_current > 0 && v.voltage <= s.dischargeStopVoltage)
        stop(StopReason::DischargeVoltage);
    else if (limitSeconds > 0 && m_runSeconds >= limitSeconds - 1e-9)
        stop(StopReason::TimeLimit);
}

void Instrument::stepThermal(double dt)
{
    const double ambient = m_config.ambient;
    // The transistor burns what the load sinks; charging only passes current through it.
    double heat = 0.05;
    if (m_running)
        heat += m_current > 0 ? m_voltage * m_current : 0.1 * -m_current;
    const double thermalResistance = 1.5 - 1.0 * (m_fanRpm / kFanFullRpm); // K/W
    const double heatCapacity = 30.0;                                      // J/K
    m_mosTemp += dt * (heat - (m_mosTemp - ambient) / thermalResistance) / heatCapacity;

    double fanTarget = 0;
    if (m_mosTemp >= 40)
        fanTarget = std::min(kFanFullRpm, 1500 + (m_mosTemp - 40) / 30.0 * 3000);
    m_fanRpm += (fanTarget - m_fanRpm) * std::min(1.0, dt / 2.0);

    const double cpuTarget = ambient + 10 + 0.15 * (m_mosTemp - ambient);
    m_cpuTemp += (cpuTarget - m_cpuTemp) * std::min(1.0, dt / 60.0);

    const double cellHeat =
        m_source.isBattery() ? m_current * m_current * m_source.internalResistance() : 0.0;
    const double probeTarget = ambient + 8.0 * cellHeat;
    m_probeTemp += (probeTarget - m_probeTemp) * std::min(1.0, dt / 300.0);
}

proto::LiveValues Instrument::values() const
{
    const Settings &s = m_settings;
    proto::LiveValues v;
    const double volts = m_voltage * s.voltCalibration;
    double amps = ((m_running ? m_current : 0.0) + m_noLoadOffset) * s.currCalibration;
    if (m_hk09)
        amps = std::fabs(amps); // this model measures one direction only
    v.voltage = float(volts);
    v.current = float(amps);
    v.power = float(std::fabs(volts * amps));
    const uint8_t mode = s.workMode;
    if (mode == proto::ModeInternalResistance)
        v.resistance = float(m_source.internalResistance());
    else if (mode == proto::ModeCableTest)
        v.resistance = float(m_config.cableResistance);
    else if (m_running && std::fabs(m_current) > 1e-4)
        v.resistance = float(m_voltage / std::fabs(m_current));
    // The meters count in kWh and Ah, the loads in Wh and mAh.
    v.energy = float(m_nv05 ? m_energyWh / 1000.0 : m_energyWh);
    v.capacity = float(m_nv05 ? m_capacityAh : m_capacityAh * 1000.0);
    v.cpuTemp = float(m_cpuTemp);
    v.ntcTemp = float(m_config.probeConnected ? m_probeTemp * s.tempCalibration : -40.0);
    v.mosTemp = float(m_mosTemp);
    v.fanSpeed = float(m_fanRpm);
    v.popupCountdown = m_popupCountdown;
    v.popupType = m_popupType;
    v.popupChoice = m_popupChoice;

    v.displayStyle = s.displayStyle;
    v.workBrightness = s.workBrightness;
    v.standbyBrightness = s.standbyBrightness;
    v.standbyTime = s.standbyTime;
    v.workMode = s.workMode;
    // The meters report their shunt in the hours byte: 30 A is code 30, 1000 A code 10.
    if (m_nv05)
        v.limitHours = s.shuntIndex == 0 ? 30 : s.shuntIndex == 7 ? 10 : s.shuntIndex;
    else
        v.limitHours = s.limitHours;
    v.limitMinutes = s.limitMinutes;
    v.setPoint = s.setPoints[std::min<uint8_t>(mode, proto::WorkModeCount - 1)];
    v.tempCalibration = s.tempCalibration;
    v.voltCalibration = s.voltCalibration;
    v.currCalibration = s.currCalibration;
    v.dischargeStopVoltage = s.dischargeStopVoltage;
    v.chargeStopVoltage = s.chargeStopVoltage;
    v.chargeStopCurrent = s.chargeStopCurrent;
    v.overCurrentLimit = s.overCurrentLimit;
    v.overPowerLimit = s.overPowerLimit;
    v.probeOverTemp = s.probeOverTemp;
    v.mosOverTemp = s.mosOverTemp;
    return v;
}

Report Instrument::measurementReport()
{
    proto::LiveValues v = values();
    if (m_running) { // a little deterministic noise, as a real converter shows
        v.voltage += float((m_noise.uniform() - 0.5) * 0.002);
        v.current += float((m_noise.uniform() - 0.5) * 0.001);
        if (m_hk09)
            v.current = std::fabs(v.current);
    }
    return proto::encodeMeasurement(address(), v, m_running);
}

Report Instrument::settingsReport() const
{
    return proto::encodeSettings(address(), values());
}

Report Instrument::addressReply(bool selected) const
{
    // Each instrument names its own model: several models may share the bus.
    return proto::encodeAddressReply(address(), selected, m_config.model.toUpper().toStdString());
}

} // namespace sim
