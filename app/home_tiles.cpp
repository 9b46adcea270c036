#include "home_tiles.h"

#include <QCoreApplication>

#include <iterator>

namespace home {

namespace {

const Tile kHomeTiles[] = {
    {QT_TRANSLATE_NOOP("MainDialog", "固件升级"), 0xF01B, 0, "#1570A5"},
    {QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置"), 0xF085, 0, "#16A085"},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电流模式"), 0, 1, "#C0392B"},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电压模式"), 0, 2, "#047058"},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电阻模式"), 0, 3, "#9B59BB"},
    {QT_TRANSLATE_NOOP("MainDialog", "恒功率模式"), 0, 4, "#34495E"},
    {QT_TRANSLATE_NOOP("MainDialog", "测内阻"), 0, 5, "#B44A58"},
    {QT_TRANSLATE_NOOP("MainDialog", "测电源"), 0, 6, "#6A48B4"},
    {QT_TRANSLATE_NOOP("MainDialog", "测线组"), 0, 7, "#47B481"},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充"), 0, 8, "#B4B444"},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充放充"), 0, 9, "#9F81B4"},
    {QT_TRANSLATE_NOOP("MainDialog", "充放电循环测试"), 0, 10, "#7EB47E"},
    {QT_TRANSLATE_NOOP("MainDialog", "更多功能等待开发"), 0xF013, 0, "#945953"},
};

const Tile kNv05Tiles[] = {
    {QT_TRANSLATE_NOOP("MainDialog", "固件升级"), 0xF01B, 0, "#1570A5"},
    {QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置"), 0xF085, 0, "#16A085"},
    {QT_TRANSLATE_NOOP("MainDialog", "数据图表展示"), 0xF108, 0, "#C0392B"},
    {QT_TRANSLATE_NOOP("MainDialog", "更多功能等待开发"), 0xF013, 0, "#945953"},
};

const ModeRow kModeRows[] = {
    {QT_TRANSLATE_NOOP("MainDialog", "恒电流模式"), TileAction::Display, "Is:", "A",
     RunTexts::Discharge, 0x47},
    {QT_TRANSLATE_NOOP("MainDialog", "固件升级"), TileAction::Upgrade, nullptr, nullptr,
     RunTexts::None, -1},
    {QT_TRANSLATE_NOOP("MainDialog", "仪表参数设置"), TileAction::Settings, nullptr, nullptr,
     RunTexts::None, 0x46},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电压模式"), TileAction::Display, "Vs:", "V",
     RunTexts::Discharge, 0x48},
    {QT_TRANSLATE_NOOP("MainDialog", "恒电阻模式"), TileAction::Display, "Rs:", "Ω",
     RunTexts::Discharge, 0x49},
    {QT_TRANSLATE_NOOP("MainDialog", "恒功率模式"), TileAction::Display, "Ps:", "W",
     RunTexts::Discharge, 0x4A},
    {QT_TRANSLATE_NOOP("MainDialog", "测内阻"), TileAction::Six, nullptr, nullptr, RunTexts::None,
     0x4B},
    {QT_TRANSLATE_NOOP("MainDialog", "测电源"), TileAction::Six, nullptr, nullptr, RunTexts::None,
     0x4C},
    {QT_TRANSLATE_NOOP("MainDialog", "测线组"), TileAction::Six, nullptr, nullptr, RunTexts::None,
     0x4D},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充"), TileAction::Display, "Is:", "A", RunTexts::Battery,
     0x4E},
    {QT_TRANSLATE_NOOP("MainDialog", "充放充放充"), TileAction::Display, "Is:", "A",
     RunTexts::Battery, 0x4F},
    {QT_TRANSLATE_NOOP("MainDialog", "充放电循环测试"), TileAction::Six, nullptr, nullptr,
     RunTexts::None, 0x50},
    {QT_TRANSLATE_NOOP("MainDialog", "更多功能等待开发"), TileAction::Six, nullptr, nullptr,
     RunTexts::None, 0x51},
    {QT_TRANSLATE_NOOP("MainDialog", "数据图表展示"), TileAction::ChartOnly, nullptr, nullptr,
     RunTexts::None, 0x47},
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

// Rows are compared in table order, as the tile texts are.
const ModeRow *modeRowForTileText(const QString &text)
{
    for (const ModeRow &row : kModeRows)
        if (text == QCoreApplication::translate("MainDialog", row.name))
            return &row;
    return nullptr;
}

QString tileStyle(const char *background)
{
    return QString("QToolButton{font:%1px;background:%2;}").arg(15).arg(background) +
           "QToolButton{border:none;border-radius:8px;padding:5px;}" +
           QString("QToolButton:pressed{background:%1;}").arg("#737A97") +
           "QToolButton:hover{ border-style: outset; border: 2px groove green;}";
}

} // namespace home
