#pragma once
// Log lines for the systemd journal: when standard error is the journal's stream (a service's),
// each line starts with its syslog priority ("<4>"), so `journalctl -p warning` selects them.

#include <QByteArray>
#include <QtGlobal>

namespace app {

// debug 7, info 6, warning 4, critical 3, fatal 2.
int syslogPriority(QtMsgType type);

// JOURNAL_STREAM ("<device>:<inode>") names the file descriptor's stream.
bool isJournalStream(const QByteArray &journalStream, int fd);

// Installs the prefixing message handler when standard error is the journal's stream.
void prefixLogForJournal();

} // namespace app
