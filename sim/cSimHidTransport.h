#pragma once
#include "IHidTransport.h"
#include "cSimTransportBase.h"

#include <QList>

// A HID transport with a scripted other end: input reports are fed in by the caller, output
// reports are recorded, and each write is answered with "writeComplete(int)" from the event loop.
class cSimHidTransport : public cSimTransportBase<IHidTransport>
{
    Q_OBJECT
public:
    // How the simulated headset acknowledges a write: once, not at all (a lost completion), or
    // twice (a spurious one).
    enum CompletionMode { CompleteOnce, CompleteNever, CompleteTwice };

    struct cWrite
    {
        QByteArray report;
        int cookie = 0;
    };

    explicit cSimHidTransport(const cJsonValue &info);

    // Takes the oldest waiting input report; an empty array when none waits.
    QByteArray read() override;
    void write(int cookie, const QByteArray &outputReport) override;

    // Queues an input report and announces it with "readyRead()". A transport that is not
    // started drops it and returns false, as a real one delivers nothing before start().
    bool feedInput(const QByteArray &report);
    int pendingInput() const { return m_input.size(); }

    QList<cWrite> writes() const { return m_writes; }

    void setCompletionMode(CompletionMode mode) { m_completionMode = mode; }
    void setCompletionLatency(int msecs) { m_completionLatency = msecs; }

signals:
    void readyRead();
    void writeComplete(int cookie);

private:
    QList<QByteArray> m_input;
    QList<cWrite> m_writes;
    CompletionMode m_completionMode = CompleteOnce;
    int m_completionLatency = 1;
};
