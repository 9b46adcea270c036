#pragma once
// One simulated instrument on the bus: its settings, its load working on a source, its
// temperatures and protections, and the battery-test question of the battery modes. It decodes
// the command frames addressed to it and answers from this model, never from recorded bytes.
// Not thread-safe by itself: SimulatedBus calls it under its own lock.

#include "sim/rng.h"
#include "sim/sim_config.h"
#include "sim/source_model.h"

#include "protocol/live_values.h"
#include "protocol/vocabulary.h"

#include <array>
#include <optional>

namespace sim {

using Report = std::array<uint8_t, 64>;

enum class StopReason
{
    None,
    User,
    DischargeVoltage,
    TimeLimit,
    OverCurrent,
    OverPower,
    MosOverTemperature,
    ProbeOverTemperature,
    SequenceDone,  // the battery modes finished their last phase
    PopupCancelled // "return" answered, or the question timed out on it
};

class Instrument
{
public:
    Instrument(const InstrumentConfig &config, uint64_t seed);

    const InstrumentConfig &config() const { return m_config; }
    uint8_t address() const { return m_config.address; }
    bool isNv05Family() const { return m_nv05; }
    bool isHk09() const { return m_hk09; }

    // Handles one command frame addressed to this instrument (the 64-byte report as written).
    // Returns the reply report, if the command asks for one. The address request is the bus's.
    std::optional<Report> handleFrame(const uint8_t *report);
    Report measurementReport();
    Report settingsReport() const;
    Report addressReply(bool selected) const;

    // Runs the physics for `seconds` of simulated time (in small fixed steps).
    void advance(double seconds);

    // What the next measurement and settings replies carry (calibration and units applied).
    proto::LiveValues values() const;
    bool isRunning() const { return m_running; }
    StopReason lastStopReason() const { return m_stopReason; }

    // The physical truth, for tests.
    double terminalVoltage() const { return m_voltage; }
    double loadCurrent() const { return m_current; } // negative while charging
    double stateOfCharge() const { return m_source.stateOfCharge(); }
    double energyWh() const { return m_energyWh; }
    double capacityAh() const { return m_capacityAh; }
    double runSeconds() const { return m_runSeconds; }
    double mosTemperature() const { return m_mosTemp; }
    double fanRpm() const { return m_fanRpm; }
    int batteryPhase() const { return m_phase; } // index into the mode's charge/discharge sequence
    bool isCharging() const { return m_running && m_current < 0; }
    bool popupShown() const { return m_popupCountdown > 0; }
    // The instrument's own knob moving the highlighted popup answer.
    void setPopupChoice(uint8_t choice);
    SourceModel &source() { return m_source; }

    // The same actions the command frames trigger, for direct use.
    void start();
    void stop(StopReason reason = StopReason::User);
    void setWorkMode(uint8_t mode);
    void factoryReset();
    void clearAccumulated();

private:
    struct Settings
    {
        uint8_t displayStyle = 1, workBrightness = 5, standbyBrightness = 1, standbyTime = 60;
        uint8_t workMode = proto::ModeConstantCurrent, limitHours = 0, limitMinutes = 0;
        uint8_t shuntIndex = 0;
        std::array<float, proto::WorkModeCount> setPoints{};
        float tempCalibration = 1, voltCalibration = 1, currCalibration = 1;
        float dischargeStopVoltage = 0, chargeStopVoltage = 0, chargeStopCurrent = 0;
        float overCurrentLimit = 0, overPowerLimit = 0, probeOverTemp = 0, mosOverTemp = 0;
    };

    void applyCommand(uint8_t code, const uint8_t *payload);
    void setSetPoint(float value);
    void answerPopup(uint8_t answer);
    void beginRun(bool resume);
    void step(double dt);
    void stepPopup(double dt);
    void operate(double dt);
    void solveOperatingPoint(uint8_t mode, double setPoint);
    bool batteryMode() const;
    bool chargePhase() const;
    bool sequenceFinished() const;
    void nextPhase();
    void checkProtections();
    void stepThermal(double dt);
    void stepKnob(double dt);

    InstrumentConfig m_config;
    bool m_nv05;
    bool m_hk09;
    double m_maxCurrent;
    double m_maxPower;
    Settings m_settings;
    SourceModel m_source;
    Rng m_noise;

    bool m_running = false;
    StopReason m_stopReason = StopReason::None;
    double m_voltage = 0;
    double m_current = 0;
    double m_energyWh = 0;
    double m_capacityAh = 0;
    double m_runSeconds = 0;
    double m_noLoadOffset = 0.004; // A read with nothing flowing, until "clear no-load current"
    double m_mosTemp;
    double m_cpuTemp;
    double m_probeTemp;
    double m_fanRpm = 0;
    int m_phase = 0;
    bool m_interruptedSequence = false; // a battery-mode run stopped half-way can be continued

    double m_clock = 0;        // simulated seconds since the bus came up
    bool m_knobTurned = false; // the scripted start happened
    bool m_knobRun = false;    // the run going on is the scripted one

    uint8_t m_popupCountdown = 0;
    uint8_t m_popupType = 0;
    uint8_t m_popupChoice = 0;
    double m_popupClock = 0;
};

} // namespace sim
