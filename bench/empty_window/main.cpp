// An empty top-level window of the main window's size (1232 x 900) that prints, like the program
// under USB_TESTER_QUIT_AFTER_PAINT, the time from main() to its first paint and quits.

#include "app/first_paint_probe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QWidget window;
    FirstPaintProbe probe(sinceMain);
    window.installEventFilter(&probe);
    window.resize(1232, 900);
    window.show();
    return app.exec();
}
