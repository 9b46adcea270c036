#include "recorder.h"

#include "clock.h"
#include "csv_format.h"
#include "journal.h"
#include "live_values.h"
#include "record_log.h"

SampleValues sampleValuesOf(const proto::LiveValues &v)
{
    return {v.voltage,  v.current, v.power,   v.resistance, v.energy,
            v.capacity, v.cpuTemp, v.ntcTemp, v.mosTemp,    v.fanSpeed};
}

Recorder::Recorder(QObject *parent) : QObject(parent) {}

Recorder::~Recorder() = default;

void Recorder::record(const Sample &sample)
{
    if (m_store.isEmpty())
        m_timelineOffset = sample.wallMs - sample.steadyMs;
    qint64 order = sample.steadyMs + m_timelineOffset;
    if (!m_store.isEmpty())
        order = qMax(order, m_store.order(m_store.size() - 1));
    m_store.append(order, sample.wallMs, sample.values);
    journalNewRows();
    emit rowRecorded(m_store.size() - 1);
}

void Recorder::record(const QDateTime &when, const SampleValues &values)
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
    m_store.clear();
    dropJournal();
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
    SaveOutcome outcome = saveDataDeal(folder).autoSave(m_store, m_familyCode);
    if (outcome.written()) {
        dropJournal();
        m_savedRows = m_journaledRows = m_store.size();
        m_lastSave = outcome;
    }
    return outcome;
}

void Recorder::journalNewRows()
{
    if (m_journalFolder.isEmpty() || !csv::knownFamily(m_familyCode))
        return;
    if (!m_journal) {
        auto journal = std::make_unique<Journal>();
        QString error;
        if (!journal->open(m_journalFolder, m_familyCode, &error)) {
            if (!m_journalFailed)
                qCWarning(lcRecord).noquote() << "no journal for this run:" << error;
            m_journalFailed = true;
            return;
        }
        m_journal = std::move(journal);
        m_journaledRows = m_savedRows;
    }
    for (; m_journaledRows < m_store.size(); ++m_journaledRows) {
        if (!m_journal->append(m_store.time(m_journaledRows), m_store.row(m_journaledRows))) {
            if (!m_journalFailed)
                qCWarning(lcRecord) << "journal write failed:" << m_journal->filePath();
            m_journalFailed = true;
            return;
        }
    }
    m_journalFailed = false;
}

void Recorder::dropJournal()
{
    m_journal.reset();
    m_journaledRows = m_savedRows;
}
