#pragma once
// Paces one bus address scan: the main dialog sends and reads on its own thread when the
// signals arrive; this thread only sleeps and signals.

#include <QThread>

#include <atomic>
#include <mutex>

class ScanPacer : public QThread
{
    Q_OBJECT
public:
    explicit ScanPacer(QObject *parent = nullptr);
    ~ScanPacer() override;

    static constexpr qint16 FirstAddress = 1;
    static constexpr qint16 LastAddress = 10;

    // For tests: the wait before the first address and the step between request and read
    // (1000 ms and 150 ms in the program).
    static void setPacing(int firstDelayMs, int stepMs);

signals:
    void probeDue(qint16 addr);
    void replyDue();
    void scanDone();

protected:
    void run() override;

private:
    // Locked last by run() and after wait() by the destructor, so ThreadSanitizer sees the join
    // (QThread::wait synchronises through a futex it cannot follow).
    std::mutex m_exitFence;
    static std::atomic<int> s_firstDelayMs;
    static std::atomic<int> s_stepMs;
};
