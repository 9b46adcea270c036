#pragma once
// What a simulated bus is made of: which instruments sit on it, what feeds them, and how the USB
// link behaves. Plain data, filled by tests or by parseDemoOption().

#include <QString>
#include <QVector>

#include <cstdint>

namespace sim {

enum class SourceKind
{
    Battery,
    BenchSupply
};

struct InstrumentConfig
{
    QString model =
        "HK07";          // HK07, HK09, MR310, MR820 (HK07 family); NV05, NV15, NV17 (NV05 family)
    uint8_t address = 1; // bus address

    // What the load is connected to.
    SourceKind source = SourceKind::Battery;
    // Battery: a Li-ion pack of `cells` cells in series.
    double capacityAh = 1.0;
    double internalResistance = 0.05; // ohm, whole pack
    int cells = 1;
    double initialCharge = 1.0;  // state of charge 0..1
    double chargerCurrent = 1.0; // A, used by the charge phases of the battery modes
    // Bench supply: constant voltage with a current limit.
    double supplyVoltage = 12.0;
    double supplyCurrentLimit = 5.0;
    double supplyResistance = 0.02; // ohm, leads and output

    double cableResistance = 0.08; // ohm, what the cable test finds
    double ambient = 25.0;         // degrees C
    bool probeConnected = true;    // without it the probe reads far below zero
    // Ratings of the load itself; 0 picks the model's own.
    double maxCurrent = 0;
    double maxPower = 0;
    // Someone at the bench: the load is switched on `knobStartAt` simulated seconds after the bus
    // comes up (in constant current, `knobAmps`) and off again after `knobRunSeconds`. Negative:
    // nobody touches the knob.
    double knobStartAt = -1;
    double knobRunSeconds = 0;
    double knobAmps = 1.0;
};

struct BusConfig
{
    QVector<InstrumentConfig> instruments{InstrumentConfig{}}; // the first one is the master
    QString manufacturer = "TALMIR";
    QString serialNumber = "A1B2C3D4E5";
    QString version = "V1.0.8"; // third word of the product string
    quint64 seed = 1;
    double timeScale = 1.0;     // simulated seconds per wall second; 0 = manual clock (advance())
    int replyLatencyMs = 2;     // wall-clock delay before a reply becomes readable
    // Paces reports as a full-speed interrupt link does: transfers move only in the host's 1 ms
    // frames, one 64-byte report per frame each way; a write goes out in the next frame and its
    // reply is polled in the frame after (replyLatencyMs does not apply). A host that answers a
    // reply within its frame loses no time; one that answers later loses a whole frame.
    bool fullSpeedLink = false;
    bool plugged = true;
    // How many of the most recent written reports the bus keeps for writtenReports(): none by
    // default, so a long demo run does not grow; tests that read the wire ask for some.
    int writtenKept = 0;
};

// Model names the simulator knows, HK07 family first.
QStringList knownModels();
bool isNv05FamilyModel(const QString &model);

} // namespace sim
