#pragma once
// The two home grids' tiles and what each tile does: data the navigation of the main dialog
// works from. Tile names are translated in the main dialog's context.

#include <QString>

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
    Nv05SettingsPage = 9
};

struct Tile
{
    const char *name;
    ushort glyph; // icon-font glyph, or 0 for a picture
    int image;    // number of the tile picture
    const char *background;
};

struct TileTable
{
    const Tile *tiles;
    int count;
};
TileTable homeTiles();
TileTable nv05Tiles();

// What a home tile does.
enum class TileAction
{
    Display,
    Upgrade,
    Settings,
    Six,
    ChartOnly
};
enum class RunTexts
{
    Discharge,
    Battery,
    None
};

struct ModeRow
{
    const char *name;
    TileAction action;
    const char *caption;
    const char *unit;
    RunTexts run;
    int code; // -1: no command
};

// The row of the tile whose (translated) text this is, or nullptr.
const ModeRow *modeRowForTileText(const QString &text);

QString tileStyle(const char *background);

} // namespace home
