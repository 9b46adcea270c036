#pragma once
// What the program asks of the instrument, by name. This is the one place that turns a request
// into a command code and a frame; pages and navigation never see a code.

#include "protocol/codes.h"
#include "protocol/frames.h"
#include "protocol/vocabulary.h"

#include <QtGlobal>

#include <functional>

class FrameSender;

namespace usb {

class InstrumentCommands
{
public:
    // `busAddress` gives the address of the instrument in use at the time of each send.
    InstrumentCommands(FrameSender *sender, std::function<quint8()> busAddress);

    void runLoad(bool on);
    void chooseWorkMode(proto::WorkMode mode);
    void returnHome();
    void enterSettingsPage();
    void requestSettings();
    void setPoint(float value);
    void dischargeStopVoltage(float volts);
    void chargeStopVoltage(float volts);
    void chargeStopCurrent(float amps);
    void timeLimit(quint8 number, proto::TimeUnit unit); // hours 0..99 or minutes 0..59
    void answerPopup(quint8 answer);

    // The instrument's own settings.
    void displayStyle(quint8 style); // 1-based, as the style buttons count
    void workBrightness(unsigned level);
    void standbyBrightness(unsigned level);
    void standbyTime(unsigned level);
    void temperatureCalibration(float factor);
    void voltageCalibration(float factor);
    void currentCalibration(float factor);
    void overCurrentLimit(float amps);
    void overPowerLimit(float watts);
    void probeOverTemperature(float celsius);
    void mosOverTemperature(float celsius);
    void shuntSize(unsigned index);
    void clearNoLoadCurrent();
    void clearAccumulated();
    void factoryReset();

private:
    void sendInteger(proto::Command code, unsigned value);
    void sendFloat(proto::Command code, float value);
    void sendCode(proto::Command code);
    template <size_t N> void send(const std::array<uint8_t, N> &frame);

    FrameSender *m_sender;
    std::function<quint8()> m_busAddress;
};

} // namespace usb
