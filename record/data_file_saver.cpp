#include "record/data_file_saver.h"

#include "record/clock.h"
#include "record/content_digest.h"
#include "record/csv_format.h"
#include "record/durable_file.h"
#include "record/file_counter.h"
#include "record/journal.h"
#include "record/record_log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <string>

namespace {
constexpr size_t kFlushBytes = 256 * 1024;
constexpr int kNumbersTried = 100000; // more files in one hour than this: something else is wrong

using Sink = std::function<bool(std::string &chunk)>; // consumes and clears the chunk

// The file's text in chunks of about kFlushBytes: the header block when asked, then every row.
bool produceCsv(const SampleStore &table, quint8 familyCode, bool header, const Sink &sink)
{
    std::string buffer;
    buffer.reserve(kFlushBytes + 4096);
    if (header)
        buffer = csv::headerBlock(familyCode).toStdString();
    csv::RowFormat format(familyCode);
    const qint64 rows = table.size();
    for (qint64 r = 0; r < rows; ++r) {
        format.append(buffer, table.time(r), table.row(r));
        if (buffer.size() >= kFlushBytes && !sink(buffer))
            return false;
    }
    return sink(buffer);
}

bool writeAll(QFile &file, std::string &buffer, QString *error)
{
    const qint64 written = file.write(buffer.data(), qint64(buffer.size()));
    if (written != qint64(buffer.size())) {
        *error = written < 0 ? file.errorString()
                             : QStringLiteral("short write (%1 of %2 bytes)")
                                   .arg(written)
                                   .arg(qulonglong(buffer.size()));
        return false;
    }
    buffer.clear();
    return true;
}

// Header and rows into an open file, then flushed, synced and closed; digest, if given, takes
// every byte written.
bool writeRun(QFile &file, const SampleStore &table, quint8 familyCode, bool header, QString *error,
              ContentDigest *digest = nullptr)
{
    if (!produceCsv(table, familyCode, header, [&](std::string &chunk) {
            if (digest)
                digest->add(chunk.data(), chunk.size());
            return writeAll(file, chunk, error);
        }))
        return false;
    durable::report(durable::Step::Written, file.fileName());
    if (!durable::syncFile(file, error))
        return false;
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString temporaryName(const QString &folder, const QString &journalPath)
{
    // Named after the journal, so a recovery of the same run reuses (and so replaces) what an
    // interrupted save left; without a journal, unique to this process and moment.
    const QString stem = journalPath.isEmpty() ? QStringLiteral("LoadData-%1-%2")
                                                     .arg(QCoreApplication::applicationPid())
                                                     .arg(QDateTime::currentMSecsSinceEpoch())
                                               : QFileInfo(journalPath).fileName();
    return folder + "/." + stem + ".part";
}
} // namespace

QString SaveOutcome::labelText() const
{
    switch (result) {
    case Result::Written:
        return "Data_Path:" + path;
    case Result::NoData:
        return "Data_Path:No data.";
    case Result::Failed:
        break;
    }
    return DataFileSaver::tr("数据保存失败: %1").arg(path);
}

DataFileSaver::DataFileSaver(DataFolder folder, QObject *parent)
    : QObject(parent), m_folder(std::move(folder))
{
}

SaveOutcome DataFileSaver::autoSave(const SampleStore &table, quint8 familyCode,
                                   const QString &journalPath)
{
    SaveOutcome outcome;
    if (table.size() < kMinimumRows)
        return outcome;
    outcome.result = SaveOutcome::Result::Failed;
    outcome.path = m_folder.path;
    auto fail = [&outcome](const QString &temporary) {
        if (!temporary.isEmpty())
            QFile::remove(temporary);
        qCWarning(lcRecord).noquote() << "data file not saved:" << outcome.path << outcome.reason;
        return outcome;
    };
    if (!proto::knownFamily(familyCode)) {
        outcome.reason =
            QStringLiteral("no instrument family (code %1) to lay out the columns").arg(familyCode);
        return fail(QString());
    }
    if (!makeDataFolder(m_folder, &outcome.reason))
        return fail(QString());

    const QString temporary = temporaryName(m_folder.path, journalPath);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        outcome.reason = file.errorString();
        outcome.path = temporary;
        return fail(QString());
    }
    ContentDigest digest;
    if (!writeRun(file, table, familyCode, true, &outcome.reason, &digest))
        return fail(temporary);

    const QString hourStamp = Clock::now().toString("yyyy_MM_dd_hh");
    const int first = file_counter::next(hourStamp);
    int number = first;
    for (;; ++number) {
        outcome.path =
            m_folder.path + "/" +
            QStringLiteral("LoadData_%1_%2.csv").arg(hourStamp).arg(number, 3, 10, QChar('0'));
        if (number - first >= kNumbersTried) {
            outcome.reason = QStringLiteral("no free file number");
            return fail(temporary);
        }
        if (QFileInfo::exists(outcome.path))
            continue;
        if (!journalPath.isEmpty() &&
            !noteSaving(journalPath, outcome.path, digest.text(), &outcome.reason))
            return fail(temporary);
        const durable::MoveResult moved =
            durable::moveNoReplace(temporary, outcome.path, &outcome.reason);
        if (moved == durable::MoveResult::Moved)
            break;
        if (moved == durable::MoveResult::Failed)
            return fail(temporary);
    }
    if (!durable::syncFolder(m_folder.path, &outcome.reason))
        return fail(QString());
    file_counter::advanceTo(hourStamp, number);
    qCDebug(lcRecord).noquote() << "数据存储路径:" << outcome.path;
    qCDebug(lcRecord) << "负载数据已存储.";
    outcome.result = SaveOutcome::Result::Written;
    return outcome;
}

bool DataFileSaver::exportCsv(const SampleStore &table, const QString &path, quint8 familyCode,
                              bool replace, QString *error)
{
    QString reason;
    if (!error)
        error = &reason;
    if (!proto::knownFamily(familyCode)) {
        *error =
            QStringLiteral("no instrument family (code %1) to lay out the columns").arg(familyCode);
        return false;
    }
    const QFileInfo target(path);
    if (target.isDir()) {
        *error = QStringLiteral("%1 is a folder").arg(path);
        return false;
    }
    const QString temporary = QStringLiteral("%1/.%2-%3.part")
                                  .arg(target.absolutePath(), target.fileName())
                                  .arg(QCoreApplication::applicationPid());
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(temporary, file.errorString());
        return false;
    }
    bool moved = writeRun(file, table, familyCode, true, error);
    if (moved && replace) {
        moved = durable::moveReplacing(temporary, path, error);
    } else if (moved) {
        const durable::MoveResult result = durable::moveNoReplace(temporary, path, error);
        if (result == durable::MoveResult::TargetExists)
            *error = QStringLiteral("%1 exists").arg(path);
        moved = result == durable::MoveResult::Moved;
    }
    if (!moved) {
        file.close();
        QFile::remove(temporary);
        return false;
    }
    return durable::syncFolder(target.absolutePath(), error);
}

bool DataFileSaver::holdsRun(const SampleStore &table, quint8 familyCode, const QString &path)
{
    QFile file(path);
    if (!proto::knownFamily(familyCode) || !file.open(QIODevice::ReadOnly))
        return false;
    const bool same = produceCsv(table, familyCode, true, [&file](std::string &chunk) {
        const QByteArray stored = file.read(qint64(chunk.size()));
        const bool equal = stored.size() == int(chunk.size()) &&
                           std::equal(chunk.begin(), chunk.end(), stored.constData());
        chunk.clear();
        return equal;
    });
    return same && file.atEnd();
}
