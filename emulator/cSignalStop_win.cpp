// cSignalStop on Windows: the console's control events, heard through SetConsoleCtrlHandler, stand
// for SIGINT and SIGTERM. Windows runs the handler on a thread of its own, so the handler records
// the event and posts caught() to the object's thread, where the run's event loop hears it.
#include "cSignalStop.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <csignal>
#include <windows.h>

namespace {

std::atomic<int> g_caught {0};
// The kinds of event handled once already: a second one of a kind is left to Windows, which ends
// the process, as SA_RESETHAND leaves a second signal to the default action.
std::atomic<bool> g_interruptedOnce {false};
std::atomic<bool> g_terminatedOnce {false};
// The object whose loop hears of an event; null on a virtual clock and once it is gone.
QBasicMutex g_lock;
cSignalStop *g_listener = nullptr;

int signalOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return SIGINT;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return SIGTERM;
    default:
        return 0;
    }
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    const int signal = signalOf(event);
    std::atomic<bool> &once = signal == SIGINT ? g_interruptedOnce : g_terminatedOnce;
    if (signal == 0 || once.exchange(true))
        return FALSE;
    int none = 0;
    g_caught.compare_exchange_strong(none, signal);
    {
        QMutexLocker locker(&g_lock);
        if (cSignalStop *listener = g_listener)
            QMetaObject::invokeMethod(
                listener, [listener, signal] { emit listener->caught(signal); }, Qt::QueuedConnection);
    }
    // Windows ends the process as soon as the handler of a closing console returns: waiting here
    // leaves the run its few seconds to finish and print its summary, and its exit ends this thread.
    if (signal == SIGTERM)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

cSignalStop::cSignalStop(bool watchLoop, QObject *parent)
    : QObject(parent)
{
    if (!::SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        qWarning("Cannot handle the console's events: Ctrl-C ends the run without its summary");
        return;
    }
    if (watchLoop) {
        QMutexLocker locker(&g_lock);
        g_listener = this;
    }
}

cSignalStop::~cSignalStop()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    QMutexLocker locker(&g_lock);
    if (g_listener == this)
        g_listener = nullptr;
}

int cSignalStop::caughtSignal()
{
    return g_caught;
}
