#pragma once
// The main window on real screens: it is designed for 1232 x 900, but laptops offer 1366 x 768 or
// 1536 x 864. The page stack scrolls in a smaller window, a larger one gives its room to the chart
// and centres the home grids, and the window starts no larger than the screen.

#include <QSize>

class QWidget;

constexpr QSize kSmallestWindow(800, 560);

// `dialog` is the main dialog after its form is set up and before it is first shown.
void adaptMainWindow(QWidget *dialog);

// The fonts the screens were designed with are rarely installed on Linux: maps them to what is.
void installFontSubstitutes();
