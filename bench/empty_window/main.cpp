// An empty top-level window of the main window's size (1232 x 900) that prints, like the program
// under USB_TESTER_QUIT_AFTER_PAINT, the time from main() to its first paint and quits.

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdio>

namespace {
class FirstPaint : public QWidget
{
public:
    explicit FirstPaint(const QElapsedTimer &sinceMain) : m_sinceMain(sinceMain) {}

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first-paint-ms %.1f epoch-ms %lld\n", m_sinceMain.nsecsElapsed() / 1e6,
                        QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QWidget::event(event);
    }

private:
    const QElapsedTimer &m_sinceMain;
    bool m_done = false;
};
} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    FirstPaint window(sinceMain);
    window.resize(1232, 900);
    window.show();
    return app.exec();
}
