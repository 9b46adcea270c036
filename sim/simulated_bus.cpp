#include "sim/simulated_bus.h"

#include "sim/firmware_loader.h"
#include "sim/instrument.h"
#include "sim/rng.h"
#include "sim/sim_log.h"

#include "protocol/codes.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace sim {

using Clock = std::chrono::steady_clock;

namespace {
constexpr auto kLinkFrame = std::chrono::milliseconds(1);

struct QueuedReport
{
    Clock::time_point readyAt;
    Report bytes;
};

struct HandleState
{
    std::deque<QueuedReport> queue;
    bool dead = false;
};

// A real device's report wakes its reader by interrupt, on time. The simulated link wakes the
// reader with a timed wait instead, which the thread's timer slack (50 us by default on Linux)
// would make late on every report: while the link's pace is modelled, the wait is made precise.
class PreciseWake
{
public:
    explicit PreciseWake(bool on)
    {
#ifdef __linux__
        if (on) {
            m_saved = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
            if (m_saved > 1)
                prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
        }
#else
        Q_UNUSED(on)
#endif
    }
    ~PreciseWake()
    {
#ifdef __linux__
        if (m_saved > 1)
            prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(m_saved), 0, 0, 0);
#endif
    }
    PreciseWake(const PreciseWake &) = delete;
    PreciseWake &operator=(const PreciseWake &) = delete;

private:
    long m_saved = -1;
};

bool isUpgradeEntry(const uint8_t *r)
{
    static const uint8_t entry[] = {0x55, 0x05, 0x09, 0x02, 0x00, 0x00, 0x00, 0xEE, 0xFF};
    return std::equal(std::begin(entry), std::end(entry), r);
}
} // namespace

// Everything the bus and its handles share; handles keep it alive after the bus is gone.
struct BusCore
{
    mutable std::mutex mutex;
    std::condition_variable arrived;
    BusConfig config;
    std::vector<std::unique_ptr<Instrument>> instruments;
    FirmwareLoader loader;
    FirmwareLoader::Behaviour loaderBehaviour;
    SimulatedBus::Faults faults;
    Rng faultRng;
    bool plugged = true;
    QString lastOpenError;
    std::vector<std::weak_ptr<HandleState>> handles;
    std::deque<QByteArray> written;

    Clock::time_point wallStart = Clock::now();
    double manualSeconds = 0; // advance() contributions
    double physicsAt = 0;     // simulated time the models have reached
    Clock::time_point nextOutSlot = wallStart;
    Clock::time_point nextInSlot = wallStart;
    Clock::time_point lastReplyReadyAt; // of the last reply a reader took, for answerDelays()
    std::deque<double> answerDelays;    // µs from a reply being readable to the next write

    explicit BusCore(const BusConfig &c) : config(c), faultRng(c.seed * 0x2545F4914F6CDD1Dull + 7)
    {
        plugged = c.plugged;
        uint64_t n = 0;
        for (const InstrumentConfig &ic : c.instruments)
            instruments.push_back(std::make_unique<Instrument>(ic, c.seed + 0x9E37 * ++n));
    }

    double simulatedNow() const
    {
        const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
        return manualSeconds + config.timeScale * wall;
    }

    Instrument *at(uint8_t address) const
    {
        for (const auto &i : instruments)
            if (i->address() == address)
                return i.get();
        return nullptr;
    }
    Instrument *master() const { return instruments.empty() ? nullptr : instruments[0].get(); }

    // Brings the models and the loader up to the present.
    void sync()
    {
        const double target = simulatedNow();
        if (target > physicsAt) {
            for (auto &i : instruments)
                i->advance(target - physicsAt);
            physicsAt = target;
        }
        for (const Report &r : loader.poll(physicsAt, loaderBehaviour))
            deliver(r);
    }

    // The first frame boundary at or after t; frames count from the bus's start.
    Clock::time_point frameAtOrAfter(Clock::time_point t) const
    {
        const auto frames = (t - wallStart + kLinkFrame - Clock::duration(1)) / kLinkFrame;
        return wallStart + frames * kLinkFrame;
    }

    // How long the host took from a reply becoming readable to its next write.
    void noteAnswerDelay(Clock::time_point now)
    {
        if (lastReplyReadyAt == Clock::time_point())
            return;
        answerDelays.push_back(std::chrono::duration<double, std::micro>(now - lastReplyReadyAt).count());
        if (answerDelays.size() > 65536)
            answerDelays.pop_front();
        lastReplyReadyAt = Clock::time_point();
    }

    // Wall time at which the loader's next own reply falls due (max when never).
    Clock::time_point loaderDueWall() const
    {
        const double due = loader.nextDueAt();
        if (due < 0 || config.timeScale <= 0)
            return Clock::time_point::max();
        const double wall = (due - manualSeconds) / config.timeScale;
        return wallStart + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(std::max(0.0, wall)));
    }

    void deliver(Report r)
    {
        if (faultRng.chance(faults.lostReplyRate)) {
            qCDebug(lcSim) << "fault: reply lost";
            return;
        }
        if (faults.foreignAddress && r[0] == proto::kReplyStart && r[1] == proto::kFrameKind &&
            (r[3] == proto::ReplyMeasurement || r[3] == proto::ReplySettings)) {
            uint8_t foreign = r[2];
            do
                foreign = uint8_t(foreign + 100);
            while (foreign == 0 || at(foreign));
            r[2] = foreign;
        }
        if (faultRng.chance(faults.corruptRate)) {
            const int index = faultRng.range(0, 63);
            r[index] ^= uint8_t(faultRng.range(1, 255));
            qCDebug(lcSim) << "fault: reply byte" << index << "corrupted";
        }
        const Clock::time_point now = Clock::now();
        Clock::time_point ready = now + std::chrono::milliseconds(config.replyLatencyMs);
        if (config.fullSpeedLink) {
            // Polled in the frame after the one that carried the command.
            ready = std::max(frameAtOrAfter(now + Clock::duration(1)), nextInSlot);
            nextInSlot = ready + kLinkFrame;
        }
        handles.erase(
            std::remove_if(handles.begin(), handles.end(),
                           [](const std::weak_ptr<HandleState> &h) { return h.expired(); }),
            handles.end());
        for (const auto &weak : handles) {
            const auto h = weak.lock();
            if (!h || h->dead)
                continue;
            // A full queue drops the new report, as Linux hidraw does: the reader sees the
            // oldest answers, which is the worst case for a reader that falls behind.
            if (h->queue.size() < size_t(SimulatedBus::kQueueDepth))
                h->queue.push_back({ready, r});
        }
        arrived.notify_all();
    }

    void received(const Report &report)
    {
        if (config.writtenKept > 0) {
            written.emplace_back(reinterpret_cast<const char *>(report.data()), int(report.size()));
            if (written.size() > size_t(config.writtenKept))
                written.pop_front();
        }
        sync();
        if (loader.isActive()) { // the loader owns the link until it has programmed
            for (const Report &r : loader.handleReport(report.data(), physicsAt, loaderBehaviour))
                deliver(r);
            return;
        }
        const uint8_t *r = report.data();
        if (r[0] != proto::kCommandStart || r[1] != proto::kFrameKind)
            return;
        if (r[3] == proto::CmdUpgradeEntry) {
            if (isUpgradeEntry(r)) {
                if (Instrument *m = master())
                    m->stop();
                loader.enter();
            }
            return;
        }
        if (r[3] == proto::CmdAddressRequest) {
            if (r[8] != proto::kTrailer0 || r[9] != proto::kTrailer1)
                return;
            if (Instrument *i = at(r[2]))
                deliver(i->addressReply(i == master()));
            return;
        }
        if (Instrument *i = at(r[2]))
            if (const auto reply = i->handleFrame(r))
                deliver(*reply);
    }
};

namespace {

class SimDevice : public hid::Device
{
public:
    SimDevice(std::shared_ptr<BusCore> core, std::shared_ptr<HandleState> state)
        : m_core(std::move(core)), m_state(std::move(state))
    {
    }

    int write(const unsigned char *data, size_t length) override
    {
        if (!data || length == 0)
            return -1;
        Report report{};
        const size_t n = std::min(length, report.size());
        std::copy(data, data + n, report.begin());
        Clock::time_point slot;
        {
            std::lock_guard<std::mutex> lock(m_core->mutex);
            if (m_state->dead)
                return -1;
            if (!m_core->config.fullSpeedLink) {
                m_core->received(report);
                return int(n);
            }
            const Clock::time_point now = Clock::now();
            m_core->noteAnswerDelay(now);
            slot = std::max(m_core->frameAtOrAfter(now), m_core->nextOutSlot);
            m_core->nextOutSlot = slot + kLinkFrame;
        }
        std::this_thread::sleep_until(slot); // the host controller's next frame
        std::lock_guard<std::mutex> lock(m_core->mutex);
        if (m_state->dead)
            return -1;
        m_core->received(report);
        return int(n);
    }

    int read(unsigned char *data, size_t length) override
    {
        return readTimeout(data, length, m_nonBlocking ? 0 : -1);
    }

    int readTimeout(unsigned char *data, size_t length, int milliseconds) override
    {
        if (!data)
            return -1;
        const bool unlimited = milliseconds < 0;
        const Clock::time_point deadline =
            unlimited ? Clock::time_point::max()
                      : Clock::now() + std::chrono::milliseconds(milliseconds);
        std::unique_lock<std::mutex> lock(m_core->mutex);
        const PreciseWake precise(m_core->config.fullSpeedLink && milliseconds != 0);
        for (;;) {
            if (m_state->dead)
                return -1;
            m_core->sync();
            const Clock::time_point now = Clock::now();
            auto &queue = m_state->queue;
            if (!queue.empty() && queue.front().readyAt <= now) {
                const Report report = queue.front().bytes;
                m_core->lastReplyReadyAt = queue.front().readyAt;
                queue.pop_front();
                size_t n = std::min(length, report.size());
                if (m_core->faults.shortReads)
                    n = std::min(n, size_t(m_core->faultRng.range(1, 63)));
                std::copy(report.begin(), report.begin() + n, data);
                return int(n);
            }
            if (!unlimited && now >= deadline)
                return 0;
            Clock::time_point wake = std::min(deadline, m_core->loaderDueWall());
            if (!queue.empty())
                wake = std::min(wake, queue.front().readyAt);
            if (wake == Clock::time_point::max())
                m_core->arrived.wait(lock);
            else
                m_core->arrived.wait_until(lock, wake);
        }
    }

    int setNonBlocking(bool nonBlocking) override
    {
        m_nonBlocking = nonBlocking;
        return 0;
    }

    QString manufacturerString() override { return text(&BusConfig::manufacturer); }
    QString serialNumberString() override { return text(&BusConfig::serialNumber); }
    QString productString() override
    {
        std::lock_guard<std::mutex> lock(m_core->mutex);
        if (m_state->dead)
            return QString();
        return productOf(*m_core);
    }

    static QString productOf(const BusCore &core)
    {
        const Instrument *m = core.master();
        return QStringLiteral("%1 %2 %3")
            .arg(core.config.manufacturer, m ? m->config().model.toUpper() : QString(),
                 core.config.version);
    }

private:
    QString text(QString BusConfig::*field)
    {
        std::lock_guard<std::mutex> lock(m_core->mutex);
        return m_state->dead ? QString() : m_core->config.*field;
    }

    std::shared_ptr<BusCore> m_core;
    std::shared_ptr<HandleState> m_state;
    bool m_nonBlocking = false; // per handle, set by its one user thread
};

} // namespace

SimulatedBus::SimulatedBus(const BusConfig &config) : m_core(std::make_shared<BusCore>(config))
{
    qCInfo(lcSim) << "simulated bus with" << config.instruments.size() << "instrument(s), product"
                  << SimDevice::productOf(*m_core);
}

SimulatedBus::~SimulatedBus()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    for (const auto &weak : m_core->handles)
        if (const auto h = weak.lock())
            h->dead = true;
    m_core->arrived.notify_all();
}

QVector<hid::DeviceInfo> SimulatedBus::enumerate(uint16_t vendorId, uint16_t productId)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    QVector<hid::DeviceInfo> list;
    if (!m_core->plugged || (vendorId != 0 && vendorId != kVendorId) ||
        (productId != 0 && productId != kProductId))
        return list;
    hid::DeviceInfo info;
    info.path = QStringLiteral("sim:0483:5750");
    info.vendorId = kVendorId;
    info.productId = kProductId;
    info.serialNumber = m_core->config.serialNumber;
    info.manufacturer = m_core->config.manufacturer;
    info.product = SimDevice::productOf(*m_core);
    list.append(info);
    return list;
}

std::unique_ptr<hid::Device> SimulatedBus::open(uint16_t vendorId, uint16_t productId,
                                                const QString &serialNumber)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    if (!m_core->plugged) {
        m_core->lastOpenError = QStringLiteral("no such device (simulated instrument unplugged)");
        return nullptr;
    }
    if (vendorId != kVendorId || productId != kProductId ||
        (!serialNumber.isEmpty() && serialNumber != m_core->config.serialNumber)) {
        m_core->lastOpenError = QStringLiteral("no such device");
        return nullptr;
    }
    m_core->lastOpenError.clear();
    auto state = std::make_shared<HandleState>();
    m_core->handles.push_back(state);
    return std::make_unique<SimDevice>(m_core, state);
}

QString SimulatedBus::lastOpenError() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->lastOpenError;
}

void SimulatedBus::unplug()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->plugged = false;
    for (const auto &weak : m_core->handles)
        if (const auto h = weak.lock()) {
            h->dead = true;
            h->queue.clear();
        }
    m_core->handles.clear();
    m_core->loader.leave(); // power is gone: the loader starts over
    m_core->arrived.notify_all();
    qCInfo(lcSim) << "unplugged";
}

void SimulatedBus::plug()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->plugged = true;
    qCInfo(lcSim) << "plugged";
}

bool SimulatedBus::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->plugged;
}

void SimulatedBus::advance(double simulatedSeconds)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    if (simulatedSeconds > 0)
        m_core->manualSeconds += simulatedSeconds;
    m_core->sync();
    m_core->arrived.notify_all();
}

double SimulatedBus::now() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->simulatedNow();
}

QVector<QByteArray> SimulatedBus::writtenReports() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return QVector<QByteArray>(m_core->written.begin(), m_core->written.end());
}

void SimulatedBus::clearWrittenReports()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->written.clear();
}

Instrument *SimulatedBus::instrument(uint8_t address)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->sync();
    return m_core->at(address);
}

std::optional<proto::LiveValues> SimulatedBus::readings(uint8_t address)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->sync();
    const Instrument *found = m_core->at(address);
    if (!found)
        return std::nullopt;
    return found->values();
}

uint8_t SimulatedBus::masterAddress() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    const Instrument *m = m_core->master();
    return m ? m->address() : 0;
}

void SimulatedBus::setFaults(const Faults &f)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->faults = f;
    m_core->loaderBehaviour.silent = f.loaderSilent;
    m_core->loaderBehaviour.fails = f.loaderFails;
    m_core->loaderBehaviour.failAtPacket = f.loaderFailAtPacket;
}

SimulatedBus::Faults SimulatedBus::faults() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->faults;
}

QVector<double> SimulatedBus::answerDelays() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return QVector<double>(m_core->answerDelays.begin(), m_core->answerDelays.end());
}

QByteArray SimulatedBus::loaderImage() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->loader.image();
}

bool SimulatedBus::inLoader() const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    return m_core->loader.isActive();
}

void SimulatedBus::setProgrammingSeconds(double seconds)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_core->loaderBehaviour.programmingSeconds = std::max(0.0, seconds);
}

} // namespace sim
