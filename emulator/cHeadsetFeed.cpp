#include "cHeadsetFeed.h"

#include "cDeviceManager.h"
#include "cRunRecorder.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"

cHeadsetFeed::cHeadsetFeed(cSimBus &bus, cRunRecorder &recorder, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_recorder(recorder)
{
    const auto busChanged = [this] {
        m_target.reset();
        m_stale = true;
    };
    connect(&m_bus, &ITransportBus::transportAdded, this, busChanged);
    connect(&m_bus, &ITransportBus::transportRemoved, this, busChanged);
}

bool cHeadsetFeed::feed(const QByteArray &report)
{
    if (m_stale) {
        for (int unit : {1, 2}) {
            if (!m_target)
                m_target = m_bus.hidTransport(unit);
        }
        m_stale = false;
    }
    // A copy: what the report sets off may plug or unplug, which resets the target.
    const QSharedPointer<cSimHidTransport> hid = m_target;
    if (!hid)
        return false;
    feed(hid, report);
    return true;
}

void cHeadsetFeed::feed(const QSharedPointer<cSimHidTransport> &hid, const QByteArray &report)
{
    // A transport that is not started drops the report, and the trace says so.
    m_recorder.recordInput(hid.data(), report, !hid->started());
    hid->feedInput(report);
}
