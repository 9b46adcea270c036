#pragma once
// A font that draws the degree sign "℃" (U+2103). The CJK font the program's Chinese fonts fall
// back to on Linux (WenQuanYi Micro Hei) maps the sign to an empty glyph, so "最高CPU温度 (℃)"
// shows "( )". Where the family draws the sign blank, the sign and the Latin text come from
// DejaVu Sans ahead of it; the CJK text still comes from the family. Elsewhere the font is
// returned unchanged.

#include <QFont>

QFont withDegreeSign(const QFont &font);
