#pragma once
// The firmware transfer without widgets: hands the loader a handshake, then one 58-byte packet per
// acknowledgement, and follows the loader's replies and a 100 ms tick to the end (programmed,
// failed, timed out, a failed write or the instrument unplugged). The upgrade page only shows what
// this reports.
//
// Acknowledgements are answered on the thread that reads them, which writes the next packet at
// once: the pace of a transfer owes nothing to the GUI thread. Every call may come from any
// thread; signals emitted on the reading thread reach the page queued.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>

class UpgradeTransfer : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,
        EnteringLoader,
        WaitingForHandshake,
        Transferring,
        WaitingForProgramming,
        Finished,
        Failed,
        TimedOut,
        WriteFailed,
        DeviceLost
    };
    Q_ENUM(State)

    // Hands one 64-byte packet to the link (the watcher's writeReport).
    using Writer = std::function<void(const unsigned char *packet, int length)>;
    // Milliseconds since the epoch; tests install their own.
    using MsClock = std::function<qint64()>;

    static constexpr int kTimeoutLimit = 120; // ticks of 100 ms without a reply

    explicit UpgradeTransfer(Writer writer, QObject *parent = nullptr);

    void setClock(MsClock clock);
    // The image to send, exactly as read from the file. Refused while an upgrade is active.
    bool setImage(const QByteArray &image);
    QByteArray image() const;

    State state() const;
    bool isActive() const;
    int packetIndex() const;
    int bytesLeft() const;
    int timeoutTicks() const;

    // The instrument is being switched to its loader (the page sends the entry frame and waits).
    void enterLoader();
    // The loader had its time: the upgrade becomes active and the handshake goes out.
    void begin();
    // One 64-byte input report from the watcher; ignored while no upgrade is active.
    void handleReport(const uint8_t *report, int length);
    // On the thread that reads the replies: an acknowledgement during an upgrade is handled at
    // once (true). Anything else is left to handleReport (false), so that the page sees the
    // transfer's steps in the order they were read.
    bool answerAcknowledgement(const uint8_t *report, int length);
    // The 100 ms tick.
    void tick();
    // The link could not write a whole packet.
    void writeFailed();
    // The instrument went away: no reply can come any more.
    void deviceLost();

    // "当前进度为：%1%" for a share in percent; never 100 % unless `programmed`.
    static QString progressText(double percent, bool programmed = false);
    static int progressValue(double percent, bool programmed = false);
    // Bytes per second as the log shows it: "12.34KB/秒" above 1024, else "512字节/秒".
    static QString speedText(qint64 bytesPerSecond);

signals:
    void stateChanged(UpgradeTransfer::State state);
    // The 100 ms tick is needed (true) or no longer (false).
    void activeChanged(bool active);
    void logCleared();
    void logLine(const QString &line);
    // An empty text leaves the bar's text as it is.
    void progressChanged(int value, const QString &text);

private:
    // A member read under the lock, for the getters other threads call.
    template <typename T> T locked(const T &member) const
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        return member;
    }
    void setState(State state);
    void setActive(bool active);
    void end(State state);
    void sendNextPacket();
    void handshakeAccepted();
    void allReceived();
    void programmed();
    void showProgress(double percent, bool programmed);
    void write(const unsigned char *packet);
    void acknowledged(int index);

    // Recursive: a failed write reports itself through writeFailed() before write() returns.
    mutable std::recursive_mutex m_mutex;
    Writer m_writer;
    MsClock m_clock;
    QByteArray m_image;
    State m_state = State::Idle;
    bool m_active = false;
    int m_timeoutTicks = 0;
    int m_packetIndex = 0;
    int m_bytesLeft = 0;
    qint64 m_startMs = 0;
    qint64 m_transferEndMs = 0;
    QString m_progressText;
    int m_progressValue = -1;
};
