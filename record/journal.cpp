#include "record/journal.h"

#include "record/csv_format.h"
#include "record/durable_file.h"
#include "record/record_log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const char kMagic[] = "usb-tester journal 1 family ";
// A save about to take this data file name (DataFileSaver::autoSave): "#saved-digest DIGEST PATH";
// journals of older versions wrote "#saved PATH".
const char kSavingNote[] = "#saved-digest ";
const char kOldSavingNote[] = "#saved ";

// Values a row of the family holds: the quantities it reports. So the width of the rows tells the
// family when the header is damaged.
int valueCount(quint8 familyCode)
{
    return proto::reportedCount(familyCode);
}

quint8 familyOfWidth(int values)
{
    return values == proto::kQuantityCount ? proto::Hk07Family : proto::Nv05Family;
}

// One row: milliseconds since the epoch, then the family's float bit patterns in hex, so that the
// recovered file shows exactly the numbers the run recorded.
int formatRow(char *out, size_t size, qint64 ms, const proto::SampleValues &values, int count)
{
    int n = std::snprintf(out, size, "%lld", static_cast<long long>(ms));
    static const char hex[] = "0123456789abcdef";
    for (int q = 0; q < count; ++q) {
        const float v = values[size_t(q)];
        quint32 bits;
        std::memcpy(&bits, &v, sizeof bits);
        out[n++] = ',';
        for (int shift = 28; shift >= 0; shift -= 4)
            out[n++] = hex[(bits >> shift) & 0xF];
    }
    out[n++] = '\n';
    return n;
}

bool parseHex(const char *p, quint32 *bits)
{
    quint32 value = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = p[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = (value << 4) | quint32(digit);
    }
    *bits = value;
    return true;
}

// A complete line without its line end: the number of values it holds (either family's), or 0.
int parseRow(const QByteArray &line, qint64 *ms, proto::SampleValues *values)
{
    const int comma = line.indexOf(',');
    const int count = comma > 0 ? (line.size() - comma) / 9 : 0;
    if ((count != valueCount(proto::Hk07Family) && count != valueCount(proto::Nv05Family)) ||
        line.size() != comma + count * 9)
        return 0;
    bool ok = false;
    *ms = line.left(comma).toLongLong(&ok);
    if (!ok)
        return 0;
    *values = proto::SampleValues{};
    const char *p = line.constData() + comma;
    for (int q = 0; q < count; ++q, p += 9) {
        quint32 bits;
        if (*p != ',' || !parseHex(p + 1, &bits))
            return 0;
        std::memcpy(&(*values)[size_t(q)], &bits, sizeof bits);
    }
    return count;
}

void syncToDisk(int fd)
{
#ifdef Q_OS_WIN
    _commit(fd);
#else
    ::fdatasync(fd);
#endif
}

} // namespace

// Forces the journal to disk every kSyncIntervalMs while rows arrive, off the GUI thread: a sync
// can take tens of milliseconds on a busy disk.
class Journal::Syncer
{
public:
    explicit Syncer(int fd) : m_thread([this, fd] { run(fd); }) {}
    ~Syncer()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    void markDirty() { m_dirty.store(true, std::memory_order_relaxed); }

private:
    void run(int fd)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::milliseconds(kSyncIntervalMs),
                            [this] { return m_stop; });
            if (m_dirty.exchange(false, std::memory_order_relaxed)) {
                lock.unlock();
                syncToDisk(fd);
                lock.lock();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<bool> m_dirty{false};
    std::thread m_thread; // last: starts once the members above exist
};

Journal::Journal() = default;

Journal::~Journal()
{
    remove();
}

bool Journal::open(const QString &folder, quint8 familyCode, QString *error)
{
    remove();
    if (!durable::makeFolder(folder, true, error))
        return false;
    const QString base = QStringLiteral("%1/run-%2-%3")
                             .arg(folder, QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss"))
                             .arg(QCoreApplication::applicationPid());
    QString path = base + ".journal";
    for (int n = 2; QFile::exists(path) || QFile::exists(path + ".lock"); ++n)
        path = QStringLiteral("%1-%2.journal").arg(base).arg(n);

    auto lock = std::make_unique<QLockFile>(path + ".lock");
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        *error = QStringLiteral("cannot lock %1.lock (error %2)").arg(path).arg(lock->error());
        return false;
    }
    // Appending, so that a note written through another descriptor (noteSaving) and the rows
    // never overwrite each other.
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::NewOnly |
                    QIODevice::Unbuffered)) {
        *error = file->errorString();
        return false;
    }
    const QByteArray header = kMagic + QByteArray::number(familyCode) + '\n';
    if (file->write(header) != header.size()) {
        *error = file->errorString();
        file->remove();
        return false;
    }
    // The new name must outlive a power cut as much as the rows in the file.
    if (!durable::syncFolder(folder, error)) {
        file->remove();
        return false;
    }
    m_path = path;
    m_lock = std::move(lock);
    m_file = std::move(file);
    m_completeBytes = header.size();
    m_valueCount = valueCount(familyCode);
    m_syncer = std::make_unique<Syncer>(m_file->handle());
    m_syncer->markDirty();
    return true;
}

bool Journal::append(qint64 msecsSinceEpoch, const proto::SampleValues &values)
{
    if (!m_file)
        return false;
    char line[256];
    const int n = formatRow(line, sizeof line, msecsSinceEpoch, values, m_valueCount);
    if (m_file->write(line, n) != n) {
        // A full disk may take part of the line: cut it off, so that the retry of this row
        // starts a line of its own instead of completing the fragment into a damaged line.
        if (!m_file->resize(m_completeBytes))
            qCWarning(lcRecord) << "journal not cut back to its last line:" << m_path
                                << m_file->errorString();
        m_file->unsetError();
        return false;
    }
    m_completeBytes += n;
    m_syncer->markDirty();
    return true;
}

void Journal::remove()
{
    m_syncer.reset(); // joined before the descriptor it syncs goes away
    if (m_file) {
        m_file->close();
        QString error;
        if (!durable::removeFile(m_path, &error))
            qCWarning(lcRecord).noquote() << "journal not removed:" << error;
        m_file.reset();
    }
    m_lock.reset(); // unlocks and deletes the lock file
    m_path.clear();
}

void Journal::keep()
{
    m_syncer.reset();
    if (m_file) {
        syncToDisk(m_file->handle());
        m_file->close();
        m_file.reset();
    }
    m_lock.reset(); // from now on the next start's recovery may take it
    m_path.clear();
}

bool noteSaving(const QString &journalPath, const QString &dataFile, const QString &digest,
                QString *error)
{
    QFile file(journalPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("journal %1: %2").arg(journalPath, file.errorString());
        return false;
    }
    const QByteArray note = kSavingNote + digest.toLatin1() + ' ' + dataFile.toUtf8() + '\n';
    if (file.write(note) != note.size()) {
        *error = QStringLiteral("journal %1: %2").arg(journalPath, file.errorString());
        return false;
    }
    return durable::syncFile(file, error);
}

bool readJournal(const QString &path, JournalContent *content, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    const int headerEnd = bytes.indexOf('\n');
    const QByteArray header = bytes.left(headerEnd);
    bool ok = false;
    const int family =
        header.startsWith(kMagic) ? header.mid(int(sizeof kMagic) - 1).toInt(&ok) : 0;
    *content = JournalContent();
    int width = 0; // the values per row; the header's family, else the first row's
    int start = 0;
    if (headerEnd >= 0 && ok && family >= 0 && family <= 255) {
        content->familyCode = quint8(family);
        start = headerEnd + 1;
    } else {
        // A damaged header: the rows say the family. The first line may be one of them.
        content->headerDamaged = true;
    }
    while (start < bytes.size()) {
        const int end = bytes.indexOf('\n', start);
        qint64 ms;
        proto::SampleValues values;
        const QByteArray line = end >= 0 ? bytes.mid(start, end - start) : QByteArray();
        const int count = end >= 0 ? parseRow(line, &ms, &values) : 0;
        if (count > 0 && content->headerDamaged && width == 0) {
            width = count;
            content->familyCode = familyOfWidth(count);
        }
        if (count > 0 && (!content->headerDamaged || count == width))
            content->rows.append(ms, values);
        else if (end >= 0 && line.startsWith(kSavingNote)) {
            const int space = line.indexOf(' ', int(sizeof kSavingNote) - 1);
            content->savingDigest = QString::fromLatin1(
                line.mid(int(sizeof kSavingNote) - 1, space - int(sizeof kSavingNote) + 1));
            content->savingTo = QString::fromUtf8(line.mid(space + 1));
        } else if (end >= 0 && line.startsWith(kOldSavingNote)) {
            content->savingTo = QString::fromUtf8(line.mid(int(sizeof kOldSavingNote) - 1));
        } else {
            ++content->droppedLines;
        }
        if (end < 0)
            break;
        start = end + 1;
    }
    if (content->headerDamaged && content->rows.isEmpty()) {
        *error = QStringLiteral("not a journal (first line \"%1\")")
                     .arg(QString::fromLatin1(header.left(60)));
        return false;
    }
    return true;
}

QString defaultJournalFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/journal";
}
