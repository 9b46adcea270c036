#pragma once
// For the start-up benchmark: installed on a window, prints the time from main() to the window's
// first paint and quits. The program (under USB_TESTER_QUIT_AFTER_PAINT) and the empty-window
// benchmark print the same line.

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>

#include <cstdio>

class FirstPaintProbe : public QObject
{
public:
    explicit FirstPaintProbe(const QElapsedTimer &sinceMain) : m_sinceMain(sinceMain) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first-paint-ms %.1f epoch-ms %lld\n", m_sinceMain.nsecsElapsed() / 1e6,
                        QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_sinceMain;
    bool m_done = false;
};
