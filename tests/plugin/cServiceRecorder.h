#pragma once
#include "NexaroHost.h"

#include <QList>
#include <QStringList>

// Records what the service manager saw while it lives, so that a test can check which services
// the plugin called, with which type names and in which order.
class cServiceRecorder final : public Nexaro::IServiceObserver
{
public:
    cServiceRecorder() { Nexaro::addObserver(this); }
    ~cServiceRecorder() { Nexaro::removeObserver(this); }
    cServiceRecorder(const cServiceRecorder &) = delete;
    cServiceRecorder &operator=(const cServiceRecorder &) = delete;

    void observe(const Nexaro::cServiceTrace &trace) override { m_traces.append(trace); }

    QList<Nexaro::cServiceTrace> calls(const QString &method) const;
    // "method(type,type)" of every call, in order.
    QStringList callSignatures() const;
    // "source event" of every event posted, in order.
    QStringList posts() const;

private:
    QList<Nexaro::cServiceTrace> m_traces;
};

// Counts the critical lines written while it lives and keeps their text.
class cCriticalLog
{
public:
    cCriticalLog();
    ~cCriticalLog();
    QStringList lines() const;
};
