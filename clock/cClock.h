#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

class cVirtualEventDispatcher;

// The time a run is measured in. It follows the event dispatcher of the thread that creates it:
// virtual time when that is a cVirtualEventDispatcher, the monotonic clock otherwise, so code
// that reads and waits through a cClock runs unchanged on either.
//
// A virtual clock must not outlive the application object, which owns the dispatcher; once the
// dispatcher is gone the clock reads -1 and waits do nothing.
class cClock
{
public:
    cClock();

    bool isVirtual() const { return m_virtual; }
    // Milliseconds since the clock was created.
    qint64 nowMs() const;
    // Runs the thread's events for `ms` milliseconds: moves virtual time on, or spins a nested
    // event loop on real time. Call it from plain code, not from under an event handler.
    // Virtual time stops early once `stopped` says so, asked after each timer that fired (a
    // nested loop on real time is ended by QCoreApplication::exit() instead).
    void wait(qint64 ms, const std::function<bool()> &stopped = nullptr);

private:
    bool m_virtual = false;
    QPointer<cVirtualEventDispatcher> m_dispatcher;
    qint64 m_virtualStart = 0;
    QElapsedTimer m_elapsed;
};
