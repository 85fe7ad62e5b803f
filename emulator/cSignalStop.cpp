#include "cSignalStop.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

int g_signals = -1;
int g_caught = 0;
// The object that tells the event loop; null on a virtual clock.
cSignalStop *g_watcher = nullptr;

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Takes what has arrived; the first signal is the run's, and true is returned when it came now.
// Once a kind has been taken, this thread leaves the next of that kind unblocked, to its default
// action, so that a run stuck in its teardown can still be stopped.
bool readSignals()
{
    const bool before = g_caught != 0;
    signalfd_siginfo info;
    while (g_signals >= 0 && ::read(g_signals, &info, sizeof info) == ssize_t(sizeof info)) {
        const int signal = int(info.ssi_signo);
        if (g_caught == 0)
            g_caught = signal;
        sigset_t again;
        sigemptyset(&again);
        sigaddset(&again, signal);
        pthread_sigmask(SIG_UNBLOCK, &again, nullptr);
    }
    return !before && g_caught != 0;
}

} // namespace

cSignalStop::cSignalStop(bool watchLoop, QObject *parent)
    : QObject(parent)
{
    const sigset_t stop = stopSignals();
    // Blocked before the process has a second thread, so every thread starts with them blocked and
    // no handler ever runs: the signals wait in the process until read here. Unlike a handler, this
    // holds whatever any thread does to its own mask in the meantime, as a preloaded library may
    // (umockdev's path traps, under which the live tests run q71-host, can leave a thread with the
    // mask another thread had).
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    g_signals = ::signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC);
    if (g_signals < 0) {
        pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
        qWarning("Cannot read signals: SIGINT and SIGTERM end the run without its summary");
        return;
    }
    if (watchLoop) {
        g_watcher = this;
        m_notifier = new QSocketNotifier(g_signals, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    }
}

cSignalStop::~cSignalStop()
{
    // Signals still waiting are taken here, so that one that came after the run's does not end
    // the process once they are unblocked below.
    readSignals();
    g_watcher = nullptr;
    delete m_notifier;
    if (g_signals >= 0)
        ::close(g_signals);
    g_signals = -1;
    // What arrives from now on ends the process, as it would have without this class.
    const sigset_t stop = stopSignals();
    pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
}

int cSignalStop::caughtSignal()
{
    // Asked between the steps of a run, the signal may be heard here before the event loop sees it:
    // the loop is told all the same.
    cSignalStop *watcher = g_watcher;
    if (g_caught == 0 && readSignals() && watcher)
        QMetaObject::invokeMethod(
            watcher, [watcher] { emit watcher->caught(g_caught); }, Qt::QueuedConnection);
    return g_caught;
}

void cSignalStop::onReadable()
{
    if (readSignals())
        emit caught(g_caught);
}
