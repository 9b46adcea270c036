#include "usb/bus_scan.h"

#include "usb/device_link.h"
#include "protocol/frames.h"
#include "usb/scan_pacer.h"
#include "usb/usb_log.h"

namespace usb {

BusScan::BusScan(DeviceLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_pacing(new ScanPacer(this))
{
    connect(m_pacing, &ScanPacer::probeDue, this, &BusScan::probe);
    connect(m_pacing, &ScanPacer::replyDue, this, &BusScan::readReply);
    connect(m_pacing, &ScanPacer::scanDone, this, &BusScan::end);
}

BusScan::~BusScan()
{
    waitForEnd();
}

void BusScan::begin()
{
    m_link.setScanBusy(true);
    m_instruments.clear();
    m_link.state().bus.foundAddresses.clear();
    m_link.state().bus.models.clear();
    emit began();
    if (!m_pacing->isRunning())
        m_pacing->start();
}

bool BusScan::running() const
{
    return m_pacing->isRunning();
}

void BusScan::waitForEnd()
{
    if (m_pacing->isRunning())
        m_pacing->wait();
}

void BusScan::probe(qint16 address)
{
    const auto frame = proto::addressRequest(quint8(address));
    m_link.sendReport(frame.data(), int(frame.size()));
    qCDebug(lcUsb) << "设备地址：" << address;
}

void BusScan::readReply()
{
    m_link.readScanReply();
}

void BusScan::end()
{
    const proto::BusState &bus = m_link.state().bus;
    const quint8 master = bus.masterAddress;
    m_instruments.clear();
    // Nobody listed when nobody answered: an empty list says nothing was found.
    if (bus.foundAddresses.empty()) {
        qCWarning(lcUsb) << "bus scan: no instrument answered";
    } else {
        m_instruments.append({master, true, m_link.modelAt(master)});
        qCDebug(lcUsb) << "master" << master << "instruments:" << bus.foundAddresses.size();
    }
    for (quint8 address : bus.foundAddresses)
        if (address != master)
            m_instruments.append({address, false, m_link.modelAt(address)});
    m_link.setScanBusy(false);
    emit ended();
    if (!m_instruments.isEmpty())
        emit currentDeviceChanged(QString::number(master));
}

void BusScan::select(quint8 address)
{
    if (address == m_link.currentAddress())
        return;
    m_link.state().bus.currentAddress = address;
    emit instrumentChosen();
    emit currentDeviceChanged(QString::number(address));
}

void BusScan::deselect()
{
    m_link.state().bus.currentAddress = 0;
    emit currentDeviceChanged(QStringLiteral("Null"));
}

} // namespace usb
