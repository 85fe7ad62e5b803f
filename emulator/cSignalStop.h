#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a clean end of the run. On Linux they are blocked in every thread
// and read from a signalfd, on the event loop, which caught() is then emitted from.
//
// On a virtual clock no socket is ever watched: a run there asks caughtSignal() between its steps
// instead. A second signal of the same kind ends the process as it would have without this class,
// so that a run stuck in its teardown can still be stopped.
//
// On Windows the console's control events stand for the signals (cSignalStop_win.cpp): Ctrl-C and
// Ctrl-Break for SIGINT, closing the console, logging off and shutting down for SIGTERM.
class cSignalStop : public QObject
{
    Q_OBJECT
public:
    // One a process, made before it starts a second thread. `watchLoop` false on a virtual clock.
    explicit cSignalStop(bool watchLoop, QObject *parent = nullptr);
    ~cSignalStop() override;

    // The first signal caught, or 0.
    static int caughtSignal();
    // The exit code of a run stopped by `signal`, as a shell reports it: 130 for SIGINT, 143 for
    // SIGTERM.
    static int exitCode(int signal) { return 128 + signal; }

signals:
    void caught(int signal);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
