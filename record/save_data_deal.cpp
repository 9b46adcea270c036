#include "save_data_deal.h"

#include "clock.h"
#include "csv_format.h"
#include "file_counter.h"
#include "record_log.h"

#include <QFile>
#include <QFileInfo>

#include <string>

namespace {
constexpr size_t kFlushBytes = 256 * 1024;

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
    return saveDataDeal::tr("数据保存失败: %1").arg(path);
}

saveDataDeal::saveDataDeal(DataFolder folder, QObject *parent)
    : QObject(parent), m_folder(std::move(folder))
{
}

SaveOutcome saveDataDeal::autoSave(const SampleStore &table, quint8 familyCode)
{
    SaveOutcome outcome;
    if (table.size() < kMinimumRows)
        return outcome;
    outcome.result = SaveOutcome::Result::Failed;
    outcome.path = m_folder.path;
    if (!makeDataFolder(m_folder, &outcome.reason)) {
        qCWarning(lcRecord).noquote() << "data file not saved:" << outcome.reason;
        return outcome;
    }
    const QString hourStamp = Clock::now().toString("yyyy_MM_dd_hh");
    const int counter = file_counter::advance(hourStamp);
    outcome.path =
        m_folder.path + "/" +
        QStringLiteral("LoadData_%1_%2.csv").arg(hourStamp).arg(counter, 3, 10, QChar('0'));
    qDebug().noquote() << "数据存储路径:" << outcome.path;
    if (!writeCsv(table, outcome.path, familyCode, &outcome.reason)) {
        qCWarning(lcRecord).noquote() << "data file not saved:" << outcome.path << outcome.reason;
        return outcome;
    }
    qDebug() << "负载数据已存储.";
    outcome.result = SaveOutcome::Result::Written;
    return outcome;
}

bool saveDataDeal::writeCsv(const SampleStore &table, const QString &path, quint8 familyCode,
                            QString *error)
{
    QString reason;
    if (!error)
        error = &reason;
    if (!csv::knownFamily(familyCode)) {
        *error =
            QStringLiteral("no instrument family (code %1) to lay out the columns").arg(familyCode);
        return false;
    }
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text)) {
        *error = file.errorString();
        return false;
    }
    std::string buffer;
    buffer.reserve(kFlushBytes + 4096);
    if (!existed)
        buffer = csv::headerBlock(familyCode).toStdString();
    csv::RowFormat format(familyCode);
    const qint64 rows = table.size();
    for (qint64 r = 0; r < rows; ++r) {
        format.append(buffer, table.time(r), table.row(r));
        if (buffer.size() >= kFlushBytes && !writeAll(file, buffer, error))
            return false;
    }
    if (!writeAll(file, buffer, error))
        return false;
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}
