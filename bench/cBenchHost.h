#pragma once
#include "Types.h"

#include <QByteArray>
#include <QSharedPointer>
#include <QString>

class cHost;
class cSimBus;
class cSimHidTransport;

// The host every in-process benchmark runs against: one cHost with the built plugin loaded and a
// simulated bus, made
// once by main() and torn down before the application object goes. Benchmarks run in a random
// order, so each one says which headsets it wants attached instead of relying on what ran before.
class cBenchHost
{
public:
    cBenchHost();
    ~cBenchHost();
    cBenchHost(const cBenchHost &) = delete;
    cBenchHost &operator=(const cBenchHost &) = delete;

    static cBenchHost &instance();

    bool isReady() const { return m_ready; }
    QString error() const { return m_error; }
    cHost &host() { return *m_host; }

    // Units 1..count plugged and started, and no other headset.
    bool attach(int count);
    int attached() const { return m_attached; }

    // Plugging and unplugging one headset of any unit, as the bring-up benchmarks do.
    cAbstractDevicePtr plug(int unit);
    void unplug(int unit);

    QSharedPointer<cSimHidTransport> hid(int unit) const;
    cAbstractDevicePtr device(int unit) const;

    // The manifest the plugin reads, in the plugin's directory.
    static QString manifestFile();

    // Key reports of the headset: key 1 down, and every key up.
    static QByteArray keyPressReport();
    static QByteArray keyReleaseReport();
    static QByteArray volumeUpReport();

private:
    cSimBus *m_bus = nullptr;
    cHost *m_host = nullptr;
    bool m_ready = false;
    QString m_error;
    int m_attached = 0;
};
