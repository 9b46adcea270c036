#include "usb/scan_pacer.h"

#include <QMetaType>

std::atomic<int> ScanPacer::s_firstDelayMs{1000};
std::atomic<int> ScanPacer::s_stepMs{150};

ScanPacer::ScanPacer(QObject *parent) : QThread(parent)
{
    qRegisterMetaType<qint16>("qint16");
}

ScanPacer::~ScanPacer()
{
    wait();
    std::lock_guard<std::mutex> joined(m_exitFence);
}

void ScanPacer::setPacing(int firstDelayMs, int stepMs)
{
    s_firstDelayMs.store(qMax(0, firstDelayMs));
    s_stepMs.store(qMax(0, stepMs));
}

void ScanPacer::run()
{
    // Gives the freshly opened device time to settle before the first address request.
    QThread::msleep(static_cast<unsigned long>(s_firstDelayMs.load()));
    for (qint16 addr = FirstAddress; addr <= LastAddress; ++addr) {
        emit probeDue(addr);
        QThread::msleep(static_cast<unsigned long>(s_stepMs.load()));
        emit replyDue();
    }
    emit scanDone();
    std::lock_guard<std::mutex> exiting(m_exitFence);
}
