#include "acquire/upgrade_transfer.h"

#include "acquire/acquire_log.h"

#include "protocol/upgrade_packets.h"

#include <QDateTime>

#include <algorithm>

UpgradeTransfer::UpgradeTransfer(Writer writer, QObject *parent)
    : QObject(parent), m_writer(std::move(writer)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    qRegisterMetaType<UpgradeTransfer::State>("UpgradeTransfer::State"); // queued to the page
}

void UpgradeTransfer::setClock(MsClock clock)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_clock = std::move(clock);
}

bool UpgradeTransfer::setImage(const QByteArray &image)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_active || m_state == State::EnteringLoader)
        return false;
    m_image = image;
    setState(State::Idle);
    return true;
}

QByteArray UpgradeTransfer::image() const
{
    return locked(m_image);
}

UpgradeTransfer::State UpgradeTransfer::state() const
{
    return locked(m_state);
}

bool UpgradeTransfer::isActive() const
{
    return locked(m_active);
}

int UpgradeTransfer::packetIndex() const
{
    return locked(m_packetIndex);
}

int UpgradeTransfer::bytesLeft() const
{
    return locked(m_bytesLeft);
}

int UpgradeTransfer::timeoutTicks() const
{
    return locked(m_timeoutTicks);
}

void UpgradeTransfer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void UpgradeTransfer::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    emit activeChanged(active);
}

void UpgradeTransfer::end(State state)
{
    m_timeoutTicks = 0;
    setActive(false);
    setState(state);
}

void UpgradeTransfer::enterLoader()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_active || m_image.isEmpty())
        return;
    // The bar goes back to 0 but keeps its text until the first packet has gone out.
    m_progressValue = 0;
    m_progressText.clear();
    emit progressChanged(0, QString());
    setState(State::EnteringLoader);
}

void UpgradeTransfer::begin()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_state != State::EnteringLoader)
        return;
    m_timeoutTicks = 0;
    m_packetIndex = 0;
    m_bytesLeft = 0;
    setActive(true);
    setState(State::WaitingForHandshake);
    emit logCleared();
    emit logLine(QStringLiteral("开始连接设备..."));

    const int size = m_image.size();
    const int count = proto::packetCount(size);
    const auto packet = proto::handshakePacket(size);
    qCDebug(lcAcquire, "pack_length:%d,length:%d", count, size);
    qCDebug(lcAcquire) << "包长度" << count;
    qCDebug(lcAcquire, "CRC16:0X%X", unsigned(packet[5] | packet[6] << 8));
    write(packet.data());
}

// A failed write reaches writeFailed() before this returns (the link reports it at once).
void UpgradeTransfer::write(const unsigned char *packet)
{
    m_writer(packet, 64);
}

namespace {
// The reply is classified from a copy: the caller's buffer may be reused meanwhile.
proto::UpgradeReplyInfo classify(const uint8_t *report, int length)
{
    uint8_t copy[64] = {};
    const int n = std::clamp(length, 0, 64);
    if (report)
        std::copy_n(report, n, copy);
    return proto::classifyUpgradeReply(copy, n);
}
} // namespace

void UpgradeTransfer::handleReport(const uint8_t *report, int length)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_active)
        return;
    const proto::UpgradeReplyInfo reply = classify(report, length);

    switch (reply.kind) {
    case proto::UpgradeReply::HandshakeAccepted:
        handshakeAccepted();
        break;
    case proto::UpgradeReply::PacketReceived:
        acknowledged(reply.packetIndex);
        break;
    case proto::UpgradeReply::AllReceived:
        allReceived();
        break;
    case proto::UpgradeReply::Programmed:
        programmed();
        break;
    case proto::UpgradeReply::Failed:
        end(State::Failed);
        break;
    case proto::UpgradeReply::HandshakeBadCrc:
        qCDebug(lcAcquire) << "handshake reply with a bad CRC ignored";
        break;
    case proto::UpgradeReply::Ignored:
        break;
    }
}

bool UpgradeTransfer::answerAcknowledgement(const uint8_t *report, int length)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_active)
        return false;
    const proto::UpgradeReplyInfo reply = classify(report, length);
    if (reply.kind != proto::UpgradeReply::PacketReceived)
        return false;
    acknowledged(reply.packetIndex);
    return true;
}

void UpgradeTransfer::acknowledged(int index)
{
    m_timeoutTicks = 0;
    if (index == m_packetIndex - 1)
        sendNextPacket();
}

void UpgradeTransfer::handshakeAccepted()
{
    m_timeoutTicks = 0;
    m_packetIndex = 0;
    m_startMs = m_clock();
    m_bytesLeft = m_image.size();
    setState(State::Transferring);
    qCDebug(lcAcquire) << "握手成功";
    emit logLine(tr("握手成功..."));
    emit logLine(tr("开始传输固件..."));
    sendNextPacket();
}

void UpgradeTransfer::sendNextPacket()
{
    if (m_bytesLeft <= 0)
        return; // the last packet went out; the loader answers 0xEE
    const auto packet = proto::dataPacket(m_image, m_packetIndex);
    m_bytesLeft = std::max(0, m_bytesLeft - proto::kPiece);
    write(packet.data());
    if (!m_active)
        return; // the write failed and ended the upgrade
    ++m_packetIndex;
    const double percent = float(m_packetIndex) * proto::kPiece / m_image.size() * 100.0f;
    showProgress(percent, false);
}

void UpgradeTransfer::allReceived()
{
    m_timeoutTicks = 0;
    emit logLine(tr("传输完成..."));
    m_transferEndMs = m_clock();
    const qint64 elapsedMs = std::max<qint64>(0, m_transferEndMs - m_startMs);
    const qint64 seconds = elapsedMs / 1000;
    emit logLine(tr("传输耗时") + QString::number(seconds) + QStringLiteral("秒"));
    // Under one second the whole-second count would divide by zero: use the milliseconds.
    const qint64 size = m_image.size();
    const qint64 speed =
        seconds > 0 ? size / seconds : size * 1000 / std::max<qint64>(1, elapsedMs);
    emit logLine(speedText(speed));
    emit logLine(tr("请等待设备烧写完成..."));
    setState(State::WaitingForProgramming);
}

void UpgradeTransfer::programmed()
{
    const qint64 now = m_clock();
    end(State::Finished);
    const qint64 seconds = std::max<qint64>(0, now - m_startMs) / 1000;
    emit logLine(tr("下载烧写过程耗时") + QString::number(seconds) + QStringLiteral("秒"));
    showProgress(100, true);
    emit logLine(tr("烧写完成..."));
    emit logLine(tr("本次下载结束"));
}

void UpgradeTransfer::tick()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_active)
        return;
    ++m_timeoutTicks;
    qCDebug(lcAcquire, "time_out:%d", m_timeoutTicks);
    if (m_timeoutTicks >= kTimeoutLimit)
        end(State::TimedOut);
}

void UpgradeTransfer::writeFailed()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_active)
        end(State::WriteFailed);
}

void UpgradeTransfer::deviceLost()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_active)
        end(State::DeviceLost);
}

void UpgradeTransfer::showProgress(double percent, bool programmed)
{
    const int value = progressValue(percent, programmed);
    const QString text = progressText(percent, programmed);
    // Only changes reach the bar: thousands of packets must not mean thousands of repaints.
    if (value == m_progressValue && text == m_progressText)
        return;
    m_progressValue = value;
    m_progressText = text;
    emit progressChanged(value, text);
}

QString UpgradeTransfer::progressText(double percent, bool programmed)
{
    // 99.95 and above would print as 100.0 before the loader has programmed itself.
    const double shown = programmed ? 100.0 : std::min(percent, 99.9);
    return QStringLiteral("当前进度为：%1%").arg(shown, 0, 'f', 1);
}

int UpgradeTransfer::progressValue(double percent, bool programmed)
{
    return programmed ? 100 : std::clamp(int(percent), 0, 99);
}

QString UpgradeTransfer::speedText(qint64 bytesPerSecond)
{
    if (bytesPerSecond > 1024)
        return QString::number(bytesPerSecond / 1024.0, 'f', 2) + QStringLiteral("KB/秒");
    return QString::number(bytesPerSecond) + QStringLiteral("字节/秒");
}
