#include "cClock.h"

#include "cVirtualEventDispatcher.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <climits>

cClock::cClock()
    : m_dispatcher(cVirtualEventDispatcher::current())
{
    m_virtual = !m_dispatcher.isNull();
    if (m_virtual)
        m_virtualStart = m_dispatcher->nowMs();
    else
        m_elapsed.start();
}

qint64 cClock::nowMs() const
{
    if (!m_virtual)
        return m_elapsed.elapsed();
    return m_dispatcher ? m_dispatcher->nowMs() - m_virtualStart : -1;
}

void cClock::wait(qint64 ms, const std::function<bool()> &stopped)
{
    if (m_virtual) {
        if (m_dispatcher)
            m_dispatcher->advance(ms, stopped);
        return;
    }
    QEventLoop loop;
    // A precise timer never fires early, so nowMs() has moved on by at least `ms` afterwards.
    QTimer::singleShot(static_cast<int>(std::clamp<qint64>(ms, 0, INT_MAX)), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}
