#pragma once
#include "Types.h"

#include <QList>
#include <QSharedPointer>
#include <QStringList>

class cClock;
class cHost;
class cSimBus;
class cSimHidTransport;

// One host with the plugin loaded and one headset plugged, on the virtual clock: the ground the
// protocol and fault tests stand on. A test class derives from it and calls setUp from its init
// and tearDown from its cleanup.
class cHeadsetFixture
{
public:
    // What start() writes, in order.
    static const QStringList setupReports;

protected:
    void setUp();
    void tearDown();

    // Plugs headset unit `unit` and returns the device the host made of it.
    cAbstractDevicePtr plugHeadset(int unit = 1);
    void input(const char *hexReport);
    // Every report written so far as "02 08 00 00 00", with " cookie N" when it had one.
    QStringList written() const;

    cHost *m_host = nullptr;
    cSimBus *m_bus = nullptr;
    cClock *m_clock = nullptr;
    cAbstractDevicePtr m_device;
    QSharedPointer<cSimHidTransport> m_hid;
};
