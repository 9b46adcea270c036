#pragma once
// Icon-font glyph codes used by the main dialog's buttons.

#include <QtGlobal>

namespace glyph {
constexpr ushort Return = 0xF122;
constexpr ushort Home = 0xF073;
constexpr ushort Minimise = 0xF068;
constexpr ushort Maximise = 0xF2D0;
constexpr ushort Close = 0xF00D;
constexpr ushort Menu = 0xF150;
constexpr ushort Search = 0xF002;
} // namespace glyph
