#include "instrument_commands.h"

#include "codes.h"
#include "frame_sender.h"

namespace usb {

namespace {
proto::Command modeCode(WorkMode mode)
{
    switch (mode) {
    case WorkMode::ConstantCurrent:
        return proto::CmdModeConstantCurrent;
    case WorkMode::ConstantVoltage:
        return proto::CmdModeConstantVoltage;
    case WorkMode::ConstantResistance:
        return proto::CmdModeConstantResistance;
    case WorkMode::ConstantPower:
        return proto::CmdModeConstantPower;
    case WorkMode::InternalResistance:
        return proto::CmdModeInternalResistance;
    case WorkMode::PowerSourceTest:
        return proto::CmdModePowerSourceTest;
    case WorkMode::CableTest:
        return proto::CmdModeCableTest;
    case WorkMode::ChargeDischargeCharge:
        return proto::CmdModeChargeDischargeCharge;
    case WorkMode::ChargeDischargeChargeDischargeCharge:
        return proto::CmdModeChargeDischargeChargeDischargeCharge;
    case WorkMode::CycleTest:
        return proto::CmdModeCycleTest;
    case WorkMode::Developing:
        return proto::CmdModeDeveloping;
    case WorkMode::ChartDisplay:
        return proto::CmdModeChartDisplay;
    }
    return proto::CmdModeDeveloping;
}
} // namespace

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

void InstrumentCommands::chooseWorkMode(WorkMode mode)
{
    send(proto::commandFrame(m_busAddress(), modeCode(mode)));
}

void InstrumentCommands::returnHome()
{
    send(proto::commandFrame(m_busAddress(), proto::CmdReturnHome));
}

void InstrumentCommands::enterSettingsPage()
{
    send(proto::commandFrame(m_busAddress(), proto::CmdSettingsPageOpened));
}

void InstrumentCommands::requestSettings()
{
    send(proto::settingsPageRequest(m_busAddress()));
}

void InstrumentCommands::setPoint(float value)
{
    send(proto::floatCommand(m_busAddress(), proto::CmdSetPoint, value));
}

void InstrumentCommands::dischargeStopVoltage(float volts)
{
    send(proto::floatCommand(m_busAddress(), proto::CmdDischargeStopVoltage, volts));
}

void InstrumentCommands::chargeStopVoltage(float volts)
{
    send(proto::floatCommand(m_busAddress(), proto::CmdChargeStopVoltage, volts));
}

void InstrumentCommands::chargeStopCurrent(float amps)
{
    send(proto::floatCommand(m_busAddress(), proto::CmdChargeStopCurrent, amps));
}

void InstrumentCommands::timeLimit(unsigned number, proto::TimeUnit unit)
{
    send(proto::timeLimitCommand(m_busAddress(), number, unit));
}

void InstrumentCommands::answerPopup(quint8 answer)
{
    send(proto::byteCommand(m_busAddress(), proto::CmdPopupAnswer, answer));
}

} // namespace usb
