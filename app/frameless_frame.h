#pragma once
// The frameless main window's own frame: dragging it by its inside, resizing it by its edges,
// the maximise toggle (also a double click on the title bar), and the keys a dialog would act on
// that must not end or disturb a test run.

#include <QObject>
#include <QPoint>

class QWidget;

namespace app {

class FramelessFrame : public QObject
{
    Q_OBJECT
public:
    // Watches `window` and its `titleBar`; both outlive the frame.
    FramelessFrame(QWidget *window, QWidget *titleBar);

    void toggleMaximised();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed(const QPoint &globalPos);
    void moved(const QPoint &globalPos, bool leftHeld);
    void released();

    QWidget *m_window;
    QWidget *m_titleBar;
    int m_region; // a frame::Region
    bool m_pressed = false;
    QPoint m_dragOffset;
};

} // namespace app
