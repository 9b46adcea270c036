#pragma once
// The two home grids' tiles and what each tile does: data the navigation of the main dialog
// works from. Tile names are translated in the main dialog's context.

#include "usb/instrument_commands.h"

#include <QString>

#include <optional>

namespace home {

// Indexes of the page stack.
enum Page
{
    HomePage = 0,
    UpgradePage = 1,
    DisplayPage = 2,
    SettingsPage = 3,
    SixPage = 6,
    Nv05HomePage = 7,
    StartPage = 8,
    Nv05SettingsPage = 9,
    TestPlanPage = 10
};

// What a home tile does.
enum class TileAction
{
    Display,
    Upgrade,
    Settings,
    Six,
    ChartOnly,
    TestPlan
};
enum class RunTexts
{
    Discharge,
    Battery,
    None
};

// A home tile: its look and what clicking it does. The tile itself says which work mode it
// picks; its (translated) text only labels it.
struct Tile
{
    const char *name;
    ushort glyph; // icon-font glyph, or 0 for a picture
    int image;    // number of the tile picture
    const char *background;
    TileAction action;
    const char *caption; // the set-point caption and unit of a display tile
    const char *unit;
    RunTexts run;
    std::optional<proto::WorkMode> mode; // the mode the instrument is told, if any
};

struct TileTable
{
    const Tile *tiles;
    int count;
};
TileTable homeTiles();
TileTable nv05Tiles();

QString tileStyle(const char *background);

} // namespace home
