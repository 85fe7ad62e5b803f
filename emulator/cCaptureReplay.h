#pragma once
#include "ICaptureReader.h"

#include <QObject>
#include <QString>
#include <QTimer>

class cClock;
class cHeadsetFeed;
class cRunRecorder;

// Plays the input reports of a capture (read() already, not owned) to the headset, each at its
// time after the capture's first packet counted from the scenario's first start, shifted by
// `offsetMs`, so that the replayed run lines up with the recorded one. Reports that an offset
// puts before that start play at it, in order. They are taken from the file one at a time as they
// fall due. `source` names them in the trace.
class cCaptureReplay : public QObject
{
    Q_OBJECT
public:
    cCaptureReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs, cClock &clock,
                   cRunRecorder &recorder, cHeadsetFeed &feed, QObject *parent = nullptr);

    // When the last report is due, in milliseconds after the first start.
    qint64 lengthMs() const;
    qint64 playedCount() const { return m_playedCount; }

    // A device started: the first call sets the replay going.
    void begin();
    // The scenario is over; unless a signal stopped the run, reports it could not play are an
    // error. Nothing plays after this.
    void end(bool stopped);

signals:
    // Reports were played, so a progress line may move on.
    void played();

private:
    void onTimer();
    void schedule();
    void takeNext();
    void error(const QString &message);

    ICaptureReader *m_capture;
    QString m_source;
    qint64 m_offsetMs;
    cClock &m_clock;
    cRunRecorder &m_recorder;
    cHeadsetFeed &m_feed;
    // The report due next, when there is one, and its time after the replay's start.
    cReplayedReport m_next;
    bool m_pending = false;
    qint64 m_nextMs = 0;
    qint64 m_playedCount = 0;
    // When the capture's first packet falls on the run's clock, once the replay has begun.
    qint64 m_baseMs = 0;
    bool m_begun = false;
    QTimer m_timer;
};
