#include "my_thread.h"

#include "crash_reporter.h"

#include <QMetaType>

std::atomic<int> my_thread::s_firstDelayMs{1000};
std::atomic<int> my_thread::s_stepMs{150};

my_thread::my_thread(QObject *parent) : QThread(parent)
{
    qRegisterMetaType<qint16>("qint16");
}

my_thread::~my_thread()
{
    wait();
    std::lock_guard<std::mutex> joined(m_exitFence);
}

void my_thread::setPacing(int firstDelayMs, int stepMs)
{
    s_firstDelayMs.store(qMax(0, firstDelayMs));
    s_stepMs.store(qMax(0, stepMs));
}

void my_thread::run()
{
    crash::prepareThread();
    // Gives the freshly opened device time to settle before the first address request.
    QThread::msleep(static_cast<unsigned long>(s_firstDelayMs.load()));
    for (qint16 addr = FirstAddress; addr <= LastAddress; ++addr) {
        emit ThreadSendData_Signal(addr);
        QThread::msleep(static_cast<unsigned long>(s_stepMs.load()));
        emit ThreadRecvData_Signal();
    }
    emit ThreadShowData_Signal();
    std::lock_guard<std::mutex> exiting(m_exitFence);
}
