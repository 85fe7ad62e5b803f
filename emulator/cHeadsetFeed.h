#pragma once
#include <QByteArray>
#include <QObject>
#include <QSharedPointer>

class cRunRecorder;
class cSimBus;
class cSimHidTransport;

// The simulated headset's voice: its input reports, from a scenario's input lines or a replayed
// capture, reach the plugin through its own HID transport, each recorded before it happens.
class cHeadsetFeed : public QObject
{
    Q_OBJECT
public:
    cHeadsetFeed(cSimBus &bus, cRunRecorder &recorder, QObject *parent = nullptr);

    // Through the headset's HID transport: unit 1's, or the second unit's when the first is gone.
    // Another product's transport never carries the headset's reports. False when neither is
    // plugged.
    bool feed(const QByteArray &report);
    // Through this transport, whichever device holds it.
    void feed(const QSharedPointer<cSimHidTransport> &hid, const QByteArray &report);

private:
    cSimBus &m_bus;
    cRunRecorder &m_recorder;
    // Looked up again only when the bus changed: a replay feeds millions of reports through the
    // same transport.
    QSharedPointer<cSimHidTransport> m_target;
    bool m_stale = true;
};
