#include "usb/instrument_commands.h"

#include "usb/frame_sender.h"

namespace usb {

InstrumentCommands::InstrumentCommands(FrameSender *sender, std::function<quint8()> busAddress)
    : m_sender(sender), m_busAddress(std::move(busAddress))
{
}

template <size_t N> void InstrumentCommands::send(const std::array<uint8_t, N> &frame)
{
    if (m_sender && m_sender->deviceOpen())
        m_sender->sendReport(frame.data(), int(frame.size()));
}

void InstrumentCommands::runLoad(bool on)
{
    send(proto::byteCommand(m_busAddress(), proto::CmdRunStop,
                            on ? proto::kRunStart : proto::kRunStop));
}

void InstrumentCommands::chooseWorkMode(proto::WorkMode mode)
{
    sendCode(proto::modeCommand(mode));
}

void InstrumentCommands::returnHome()
{
    sendCode(proto::CmdReturnHome);
}

void InstrumentCommands::enterSettingsPage()
{
    sendCode(proto::CmdSettingsPageOpened);
}

void InstrumentCommands::requestSettings()
{
    send(proto::settingsPageRequest(m_busAddress()));
}

void InstrumentCommands::setPoint(float value)
{
    sendFloat(proto::CmdSetPoint, value);
}

void InstrumentCommands::dischargeStopVoltage(float volts)
{
    sendFloat(proto::CmdDischargeStopVoltage, volts);
}

void InstrumentCommands::chargeStopVoltage(float volts)
{
    sendFloat(proto::CmdChargeStopVoltage, volts);
}

void InstrumentCommands::chargeStopCurrent(float amps)
{
    sendFloat(proto::CmdChargeStopCurrent, amps);
}

void InstrumentCommands::timeLimit(quint8 number, proto::TimeUnit unit)
{
    send(proto::timeLimitCommand(m_busAddress(), number, unit));
}

void InstrumentCommands::answerPopup(quint8 answer)
{
    send(proto::byteCommand(m_busAddress(), proto::CmdPopupAnswer, answer));
}

void InstrumentCommands::sendInteger(proto::Command code, unsigned value)
{
    send(proto::integerCommand(m_busAddress(), code, uint32_t(value)));
}

void InstrumentCommands::sendFloat(proto::Command code, float value)
{
    send(proto::floatCommand(m_busAddress(), code, value));
}

void InstrumentCommands::sendCode(proto::Command code)
{
    send(proto::commandFrame(m_busAddress(), code));
}

void InstrumentCommands::displayStyle(quint8 style)
{
    send(proto::byteCommand(m_busAddress(), proto::CmdDisplayStyle, style));
}

void InstrumentCommands::workBrightness(unsigned level)
{
    sendInteger(proto::CmdWorkBrightness, level);
}

void InstrumentCommands::standbyBrightness(unsigned level)
{
    sendInteger(proto::CmdStandbyBrightness, level);
}

void InstrumentCommands::standbyTime(unsigned level)
{
    sendInteger(proto::CmdStandbyTime, level);
}

void InstrumentCommands::temperatureCalibration(float factor)
{
    sendFloat(proto::CmdTempCalibration, factor);
}

void InstrumentCommands::voltageCalibration(float factor)
{
    sendFloat(proto::CmdVoltCalibration, factor);
}

void InstrumentCommands::currentCalibration(float factor)
{
    sendFloat(proto::CmdCurrCalibration, factor);
}

void InstrumentCommands::overCurrentLimit(float amps)
{
    sendFloat(proto::CmdOverCurrent, amps);
}

void InstrumentCommands::overPowerLimit(float watts)
{
    sendFloat(proto::CmdOverPower, watts);
}

void InstrumentCommands::probeOverTemperature(float celsius)
{
    sendFloat(proto::CmdProbeOverTemp, celsius);
}

void InstrumentCommands::mosOverTemperature(float celsius)
{
    sendFloat(proto::CmdMosOverTemp, celsius);
}

void InstrumentCommands::shuntSize(unsigned index)
{
    sendInteger(proto::CmdShuntSize, index);
}

void InstrumentCommands::clearNoLoadCurrent()
{
    sendCode(proto::CmdClearNoLoadCurrent);
}

void InstrumentCommands::clearAccumulated()
{
    sendCode(proto::CmdClearAccumulated);
}

void InstrumentCommands::factoryReset()
{
    sendCode(proto::CmdFactoryReset);
}

} // namespace usb
