#include "usb/device_link.h"

#include "protocol/frames.h"
#include "usb/usb_log.h"

#include <algorithm>

namespace {
// The handle's queue holds at most 64 reports; the bound only guards against a device that
// never stops sending.
constexpr int kMaxReportsPerStep = 256;
} // namespace

DeviceLink::DeviceLink(QObject *parent) : QObject(parent) {}

DeviceLink::~DeviceLink() = default;

QString DeviceLink::lastSerialNumber() const
{
    QString serial; // stays empty without a match: open the first device rather than a stale one
    for (const hid::DeviceInfo &info : hid::backend().enumerate(kVendorId, kProductId))
        if (info.vendorId == kVendorId && info.productId == kProductId)
            serial = info.serialNumber; // a copy: the enumeration is gone after the call
    return serial;
}

bool DeviceLink::open()
{
    const QString serial = lastSerialNumber();
    m_device = hid::backend().open(kVendorId, kProductId, serial); // closes the old handle
    m_measured = m_lastStepMeasured = false;
    m_neighbours.clear();
    qCDebug(lcUsb) << "当前设备:" << serial;
    if (!m_device) {
        qCDebug(lcUsb) << "USB设备打开失败" << hid::backend().lastOpenError();
        return false;
    }
    qCDebug(lcUsb) << "USB设备打开成功";
    m_manufacturerString = m_device->manufacturerString();
    m_productString = m_device->productString();
    qCDebug(lcUsb) << "product_string" << m_productString;
    m_serialString = m_device->serialNumberString();
    qCDebug(lcUsb) << "number_string" << m_serialString;
    return true;
}

void DeviceLink::sendReport(const unsigned char *data, int length)
{
    if (!m_device || !data || length < 0)
        return;
    std::array<unsigned char, 64> report{};
    std::copy(data, data + std::min(length, 64), report.begin());
    qCDebug(lcUsb) << "send_data" << length;
    const int result = m_device->write(report.data(), report.size());
    qCDebug(lcUsb) << "send_data res:" << result;
}

void DeviceLink::pollTick()
{
    m_tickCounter = proto::nextTickCounter(m_tickCounter);
    const bool upgradeEntry = m_pollMode == UpgradeEntryPoll;
    proto::RequestFrame frame;
    if (upgradeEntry) {
        frame = proto::upgradeEntryFrame();
        m_pollMode = NormalPoll;
    } else {
        frame = proto::pollRequest(m_state.bus.currentAddress, m_tickCounter);
    }
    if (m_scanBusy)
        return;
    sendReport(frame.data(), int(frame.size()));
    if (!m_pollsNeighbours || upgradeEntry)
        return;
    for (const quint8 address : m_state.bus.foundAddresses) {
        if (isNeighbour(address)) {
            const proto::RequestFrame request = proto::pollRequest(address, m_tickCounter);
            sendReport(request.data(), int(request.size()));
        }
    }
}

void DeviceLink::setPollsNeighbours(bool polls)
{
    m_pollsNeighbours = polls;
    if (!polls)
        m_neighbours.clear();
}

bool DeviceLink::isNeighbour(int address) const
{
    const auto &found = m_state.bus.foundAddresses;
    return address != m_state.bus.currentAddress &&
           std::find(found.begin(), found.end(), address) != found.end();
}

// A reply the current instrument's state did not take: a neighbour's, by its address.
void DeviceLink::takeNeighbourReport(quint8 address)
{
    Neighbour &neighbour = m_neighbours[address];
    neighbour.state.bus.currentAddress = address;
    neighbour.state.hk09 = modelAt(address) == "HK09";
    if (proto::parseIncomingReport(neighbour.state, m_rxBuffer.data(), 64) ==
        proto::ReportKind::Measurement)
        neighbour.lastStepMeasured = true;
}

int DeviceLink::readStep()
{
    m_lastStepMeasured = false;
    for (auto &neighbour : m_neighbours)
        neighbour.second.lastStepMeasured = false;
    if (!m_device)
        return 0;
    m_device->setNonBlocking(true);
    int taken = 0;
    for (int i = 0; i < kMaxReportsPerStep; ++i) {
        const int n = m_device->read(m_rxBuffer.data(), m_rxBuffer.size());
        qCDebug(lcUsb) << "recv_data" << n;
        if (n <= 0)
            break; // nothing left, or the device is gone
        if (n < 64)
            continue; // a short report carries nothing the parser may take
        const proto::ReportKind kind = proto::parseIncomingReport(m_state, m_rxBuffer.data(), 64);
        if (kind == proto::ReportKind::Measurement)
            m_measured = m_lastStepMeasured = true;
        const int from = proto::replyAddress(m_rxBuffer.data(), 64);
        if (kind == proto::ReportKind::Ignored && m_pollsNeighbours && isNeighbour(from))
            takeNeighbourReport(quint8(from));
        ++taken;
    }
    if (taken == 0)
        return 0;
    emit reportsApplied();
    if (m_state.settingsReplyPending) {
        m_state.settingsReplyPending = false;
        emit settingsReplyArrived();
    }
    return taken;
}

void DeviceLink::readScanReply()
{
    if (!m_device)
        return;
    m_device->setNonBlocking(true);
    m_rxBuffer.fill(0);
    if (m_device->read(m_rxBuffer.data(), m_rxBuffer.size()) >= 64) {
        qCDebug(lcUsb) << "已接收到地址数据";
        proto::parseIncomingReport(m_state, m_rxBuffer.data(), 64);
    }
}

QString DeviceLink::modelAt(quint8 address) const
{
    const auto named = m_state.bus.models.find(address);
    if (named != m_state.bus.models.end() && !named->second.empty())
        return QString::fromStdString(named->second);
    return m_productString.split(' ', Qt::KeepEmptyParts).value(1);
}

proto::Family DeviceLink::identifyModel()
{
    m_modelWord = modelAt(m_state.bus.currentAddress);
    const proto::Family family = proto::familyOfModel(m_modelWord);
    if (family == proto::NoFamily)
        return proto::NoFamily;
    m_familyCode = family;
    m_state.hk09 = m_modelWord == "HK09";
    qCDebug(lcUsb) << "当前设备型号:" << m_modelWord;
    return family;
}
