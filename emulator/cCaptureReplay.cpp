#include "cCaptureReplay.h"

#include "cClock.h"
#include "cHeadsetFeed.h"
#include "cRunRecorder.h"

#include <algorithm>
#include <limits>

cCaptureReplay::cCaptureReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs, cClock &clock,
                               cRunRecorder &recorder, cHeadsetFeed &feed, QObject *parent)
    : QObject(parent)
    , m_capture(capture)
    , m_source(source)
    , m_offsetMs(offsetMs)
    , m_clock(clock)
    , m_recorder(recorder)
    , m_feed(feed)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &cCaptureReplay::onTimer);
}

qint64 cCaptureReplay::lengthMs() const
{
    return std::max<qint64>(0, m_capture->lengthUsec() / 1000 + m_offsetMs);
}

void cCaptureReplay::begin()
{
    if (m_begun)
        return;
    m_begun = true;
    m_baseMs = m_clock.nowMs() + m_offsetMs;
    // The capture's own time of its first packet, as tshark shows a packet's epoch time.
    const qint64 first = m_capture->firstPacketUsec();
    m_recorder.record(
        TraceKind::Replay,
        {{QStringLiteral("file"), m_source},
         {QStringLiteral("reports"), m_capture->reportCount()},
         {QStringLiteral("first"),
          QStringLiteral("%1.%2").arg(first / 1000000).arg(first % 1000000, 6, 10, QLatin1Char('0'))},
         {QStringLiteral("offset"), m_offsetMs}},
        0);
    if (m_capture->rewind())
        takeNext();
    else
        error(m_capture->errorString());
    schedule();
}

void cCaptureReplay::end(bool stopped)
{
    // A run the user stopped did not end early by a fault of its scenario.
    if (!stopped && !m_begun)
        error(QStringLiteral("no device was started, so no report of %1 was played").arg(m_source));
    else if (!stopped && m_pending)
        error(QStringLiteral("the scenario ended before %1 of the %2 reports of %3 were due")
                  .arg(m_capture->reportCount() - m_playedCount)
                  .arg(m_capture->reportCount())
                  .arg(m_source));
    m_timer.stop();
    m_pending = false;
}

void cCaptureReplay::takeNext()
{
    m_pending = m_capture->next(&m_next);
    // Merged captures can step back in time; the reports keep their order all the same.
    if (m_pending)
        m_nextMs = std::max(m_nextMs, m_next.usecFromFirst / 1000);
    else if (!m_capture->errorString().isEmpty())
        error(m_capture->errorString());
}

void cCaptureReplay::schedule()
{
    if (!m_pending)
        return;
    // A QTimer takes an int of milliseconds: a report further off than that is reached in steps.
    const qint64 wait = m_baseMs + m_nextMs - m_clock.nowMs();
    m_timer.start(int(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

void cCaptureReplay::onTimer()
{
    // Reports due at the same millisecond go out together, in capture order.
    const qint64 now = m_clock.nowMs();
    while (m_pending && m_baseMs + m_nextMs <= now) {
        if (!m_feed.feed(m_next.data)) {
            error(QStringLiteral("no headset HID transport is plugged: %1 reports of %2 were not played")
                      .arg(m_capture->reportCount() - m_playedCount)
                      .arg(m_source));
            m_pending = false;
            return;
        }
        ++m_playedCount;
        takeNext();
    }
    emit played();
    schedule();
}

void cCaptureReplay::error(const QString &message)
{
    // Errors of the replay name no line of the scenario.
    m_recorder.error(0, QStringLiteral("replay"), message);
}
