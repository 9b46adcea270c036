#include "app/journal_prefix.h"

#include <QList>
#include <QStringList>

#include <cstdio>
#include <sys/stat.h>

namespace app {

int syslogPriority(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return 7;
    case QtInfoMsg:
        return 6;
    case QtWarningMsg:
        return 4;
    case QtCriticalMsg:
        return 3;
    case QtFatalMsg:
        return 2;
    }
    return 6;
}

bool isJournalStream(const QByteArray &journalStream, int fd)
{
    const QList<QByteArray> parts = journalStream.split(':');
    struct stat info;
    if (parts.size() != 2 || fstat(fd, &info) != 0)
        return false;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = parts[0].toULongLong(&deviceOk);
    const qulonglong inode = parts[1].toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == qulonglong(info.st_dev) &&
           inode == qulonglong(info.st_ino);
}

namespace {

void journalHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray prefix = '<' + QByteArray::number(syslogPriority(type)) + '>';
    QByteArray out;
    for (const QString &line : qFormatLogMessage(type, context, message).split('\n'))
        out += prefix + line.toLocal8Bit() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void prefixLogForJournal()
{
    if (isJournalStream(qgetenv("JOURNAL_STREAM"), fileno(stderr)))
        qInstallMessageHandler(journalHandler);
}

} // namespace app
