#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, Ctrl+C) arrive as a Qt signal on the GUI
// thread: the handler only writes the signal's number into a pipe, and a socket notifier reads it
// there, so the program can save a running run and end normally.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or a handler could not be set up (the default actions stay).
    bool installed() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
