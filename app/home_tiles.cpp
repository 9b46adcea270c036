#include "app/home_tiles.h"

#include <iterator>

namespace home {

namespace {

const Tile kHomeTiles[] = {
    {QT_TRANSLATE_NOOP("MainDialog", "固件升级"), 0xF01B, 0, "#1570A5", TileAction::Upgrade,
     nullptr, nullptr, RunTexts::None, std::nullopt},
    {QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置"), 0xF085, 0, "#16A085", TileAction::Settings,
     nullptr, nullptr, RunTexts::None, std::nullopt},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电流模式"), 0, 1, "#C0392B", TileAction::Display,
     "Is:", "A", RunTexts::Discharge, proto::ModeConstantCurrent},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电压模式"), 0, 2, "#047058", TileAction::Display,
     "Vs:", "V", RunTexts::Discharge, proto::ModeConstantVoltage},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电阻模式"), 0, 3, "#9B59BB", TileAction::Display,
     "Rs:", "Ω", RunTexts::Discharge, proto::ModeConstantResistance},
    {QT_TRANSLATE_NOOP("MainDialog", "恒功率模式"), 0, 4, "#34495E", TileAction::Display,
     "Ps:", "W", RunTexts::Discharge, proto::ModeConstantPower},
    {QT_TRANSLATE_NOOP("MainDialog", "测内阻"), 0, 5, "#B44A58", TileAction::Six, nullptr, nullptr,
     RunTexts::None, proto::ModeInternalResistance},
    {QT_TRANSLATE_NOOP("MainDialog", "测电源"), 0, 6, "#6A48B4", TileAction::Six, nullptr, nullptr,
     RunTexts::None, proto::ModePowerSourceTest},
    {QT_TRANSLATE_NOOP("MainDialog", "测线组"), 0, 7, "#47B481", TileAction::Six, nullptr, nullptr,
     RunTexts::None, proto::ModeCableTest},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充"), 0, 8, "#B4B444", TileAction::Display, "Is:", "A",
     RunTexts::Battery, proto::ModeChargeDischargeCharge},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充放充"), 0, 9, "#9F81B4", TileAction::Display,
     "Is:", "A", RunTexts::Battery, proto::ModeChargeDischargeChargeDischargeCharge},
    {QT_TRANSLATE_NOOP("MainDialog", "充放电循环测试"), 0, 10, "#7EB47E", TileAction::Six, nullptr,
     nullptr, RunTexts::None, proto::ModeCycleTest},
    // The plan runner chooses the work modes itself, step by step.
    {QT_TRANSLATE_NOOP("MainDialog", "测试计划"), 0xF0CB, 0, "#945953", TileAction::TestPlan,
     nullptr, nullptr, RunTexts::None, std::nullopt},
};

// A meter has no load to run a test plan on: its grid offers none.
const Tile kNv05Tiles[] = {
    {QT_TRANSLATE_NOOP("MainDialog", "固件升级"), 0xF01B, 0, "#1570A5", TileAction::Upgrade,
     nullptr, nullptr, RunTexts::None, std::nullopt},
    {QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置"), 0xF085, 0, "#16A085", TileAction::Settings,
     nullptr, nullptr, RunTexts::None, std::nullopt},
    // The meter's chart tile sends the constant-current code, as its firmware expects.
    {QT_TRANSLATE_NOOP("MainDialog", "数据图表展示"), 0xF108, 0, "#C0392B", TileAction::ChartOnly,
     nullptr, nullptr, RunTexts::None, proto::ModeConstantCurrent},
};

} // namespace

TileTable homeTiles()
{
    return {kHomeTiles, int(std::size(kHomeTiles))};
}

TileTable nv05Tiles()
{
    return {kNv05Tiles, int(std::size(kNv05Tiles))};
}

QString tileStyle(const char *background)
{
    return QString("QToolButton{font:%1px;background:%2;}").arg(15).arg(background) +
           "QToolButton{border:none;border-radius:8px;padding:5px;}" +
           QString("QToolButton:pressed{background:%1;}").arg("#737A97") +
           "QToolButton:hover{ border-style: outset; border: 2px groove green;}";
}

} // namespace home
