#include "record/recorder.h"

#include "record/clock.h"
#include "record/csv_format.h"
#include "record/journal.h"
#include "protocol/live_values.h"
#include "record/record_log.h"

proto::SampleValues sampleValuesOf(const proto::LiveValues &v)
{
    return {v.voltage,  v.current, v.power,   v.resistance, v.energy,
            v.capacity, v.cpuTemp, v.ntcTemp, v.mosTemp,    v.fanSpeed};
}

Recorder::Recorder(QObject *parent) : QObject(parent), m_journalRetry(new QTimer(this))
{
    m_journalRetry->setInterval(kRetryMs);
    connect(m_journalRetry, &QTimer::timeout, this, &Recorder::catchUpJournal);
}

Recorder::~Recorder()
{
    releaseJournal();
}

void Recorder::record(const Sample &sample)
{
    // The run's layout is its instrument's: the first row (or a change of family) sets it.
    if (proto::knownFamily(sample.family))
        setFamilyCode(sample.family);
    if (m_store.isEmpty())
        m_timelineOffset = sample.wallMs - sample.steadyMs;
    qint64 order = sample.steadyMs + m_timelineOffset;
    if (!m_store.isEmpty())
        order = qMax(order, m_store.order(m_store.size() - 1));
    m_store.append(order, sample.wallMs, sample.values);
    catchUpJournal();
    emit rowRecorded(m_store.size() - 1);
}

void Recorder::record(const QDateTime &when, const proto::SampleValues &values)
{
    Sample sample;
    sample.steadyMs = Clock::steadyMs();
    sample.wallMs = when.toMSecsSinceEpoch();
    sample.values = values;
    record(sample);
}

qint64 Recorder::timelineNow() const
{
    if (m_store.isEmpty())
        return Clock::now().toMSecsSinceEpoch();
    return Clock::steadyMs() + m_timelineOffset;
}

void Recorder::clear()
{
    catchUpJournal();
    releaseJournal();
    m_store.clear();
    m_savedRows = m_journaledRows = 0;
    emit cleared();
}

void Recorder::setFamilyCode(quint8 familyCode)
{
    if (familyCode == m_familyCode)
        return;
    m_familyCode = familyCode;
    dropJournal(); // the next row rewrites the unsaved rows under the new layout
}

void Recorder::setJournalFolder(const QString &folder)
{
    if (folder == m_journalFolder)
        return;
    m_journalFolder = folder;
    dropJournal();
}

QString Recorder::journalPath() const
{
    return m_journal ? m_journal->filePath() : QString();
}

SaveOutcome Recorder::saveRun(const DataFolder &folder)
{
    if (!m_store.isEmpty() && !hasUnsavedRows())
        return m_lastSave;
    // The journal notes the data file and its digest: a recovery then knows the file holds the
    // journal's rows, whatever part of the table the journal holds.
    catchUpJournal();
    SaveOutcome outcome = DataFileSaver(folder).autoSave(m_store, m_familyCode, journalPath());
    if (outcome.written()) {
        dropJournal();
        m_savedRows = m_journaledRows = m_store.size();
        m_lastSave = outcome;
    }
    return outcome;
}

bool Recorder::catchUpJournal()
{
    if (m_journalFolder.isEmpty() || !proto::knownFamily(m_familyCode) || !hasUnsavedRows()) {
        m_journalRetry->stop();
        return true;
    }
    const auto failed = [this](const QString &what) {
        if (!m_journalFailed)
            qCWarning(lcRecord).noquote() << what;
        m_journalFailed = true;
        if (!m_journalRetry->isActive())
            m_journalRetry->start();
        return false;
    };
    if (!m_journal) {
        auto journal = std::make_unique<Journal>();
        QString error;
        if (!journal->open(m_journalFolder, m_familyCode, &error))
            return failed("no journal for this run yet: " + error);
        m_journal = std::move(journal);
        m_journaledRows = m_savedRows;
    }
    for (; m_journaledRows < m_store.size(); ++m_journaledRows) {
        if (!m_journal->append(m_store.time(m_journaledRows), m_store.row(m_journaledRows)))
            return failed("journal write failed, tried again later: " + m_journal->filePath());
    }
    if (m_journalFailed)
        qCInfo(lcRecord).noquote() << "journal caught up:" << m_journal->filePath();
    m_journalFailed = false;
    m_journalRetry->stop();
    return true;
}

bool Recorder::exportRun(const QString &path, quint8 familyCode, bool replace, QString *error)
{
    if (!DataFileSaver().exportCsv(m_store, path, familyCode, replace, error))
        return false;
    dropJournal();
    m_savedRows = m_journaledRows = m_store.size();
    return true;
}

qint64 Recorder::unsavedRows() const
{
    return m_store.size() - m_savedRows;
}

qint64 Recorder::journaledUnsavedRows() const
{
    const qint64 rows = m_journal ? m_journaledRows - m_savedRows : 0;
    return rows >= DataFileSaver::kMinimumRows ? rows : 0; // fewer are not kept
}

bool Recorder::clearLosesNothing() const
{
    return unsavedRows() < DataFileSaver::kMinimumRows || journaledUnsavedRows() == unsavedRows();
}

QString Recorder::unsavedRunNote() const
{
    const qint64 unsaved = unsavedRows();
    if (unsaved < DataFileSaver::kMinimumRows)
        return QString();
    const qint64 kept = journaledUnsavedRows();
    if (kept == unsaved)
        return tr("本次记录的 %1 条数据未能保存。它们保存在 %2 "
                  "中，下次启动时将自动恢复为数据文件。")
            .arg(unsaved)
            .arg(m_journal->filePath());
    if (kept > 0)
        return tr("本次记录的 %1 条数据未能保存。其中 %2 条保存在 %3 "
                  "中，下次启动时将自动恢复为数据文件；其余 %4 条关闭后将丢失。请先用“导出数据”保存。")
            .arg(unsaved)
            .arg(kept)
            .arg(m_journal->filePath())
            .arg(unsaved - kept);
    return tr("本次记录的 %1 条数据未能保存，关闭后将丢失。请先用“导出数据”保存。").arg(unsaved);
}

void Recorder::releaseJournal()
{
    if (journaledUnsavedRows() > 0) {
        qCInfo(lcRecord).noquote()
            << "unsaved run kept for the next start:" << m_journal->filePath();
        m_journal->keep();
    }
    dropJournal();
}

void Recorder::dropJournal()
{
    m_journal.reset();
    m_journaledRows = m_savedRows;
}
