#include "cBenchHost.h"

#include "cDeviceManager.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"

#include <QFileInfo>

namespace {
cBenchHost *g_instance = nullptr;

QByteArray report(char id, char b1, char b2, char b3, char b4)
{
    const char bytes[] = {id, b1, b2, b3, b4};
    return QByteArray(bytes, int(sizeof bytes));
}
} // namespace

cBenchHost::cBenchHost()
    : m_bus(new cSimBus)
    , m_host(new cHost)
{
    m_host->attachBus(m_bus);
    Q_ASSERT(!g_instance);
    g_instance = this;
    m_ready = m_host->loadPlugin();
    if (!m_ready)
        m_error = m_host->pluginError();
}

cBenchHost::~cBenchHost()
{
    delete m_host;
    delete m_bus;
    g_instance = nullptr;
}

cBenchHost &cBenchHost::instance()
{
    Q_ASSERT(g_instance);
    return *g_instance;
}

bool cBenchHost::attach(int count)
{
    if (count != m_attached) {
        m_bus->unplugAll();
        m_attached = 0;
        // Started, as the host starts complete devices: a transport delivers no input before.
        for (int unit = 1; unit <= count; ++unit) {
            if (!m_host->deviceManager()->startDevice(plug(unit)))
                return false;
            m_attached = unit;
        }
    }
    return true;
}

cAbstractDevicePtr cBenchHost::plug(int unit)
{
    m_bus->plugHeadset(unit);
    return m_bus->device(*m_host, unit);
}

void cBenchHost::unplug(int unit)
{
    m_bus->unplug(TransportKind::Capture, unit);
    m_bus->unplug(TransportKind::Render, unit);
    m_bus->unplug(TransportKind::Hid, unit);
}

QSharedPointer<cSimHidTransport> cBenchHost::hid(int unit) const
{
    return m_bus->hidTransport(unit);
}

cAbstractDevicePtr cBenchHost::device(int unit) const
{
    return m_bus->device(*m_host, unit);
}

QString cBenchHost::manifestFile()
{
    return QFileInfo(cHost::defaultPluginFile()).absolutePath() + QStringLiteral("/Device_Manifest.xml");
}

QByteArray cBenchHost::keyPressReport()
{
    return report(0x02, 0x10, 0x11, 0x00, 0x00);
}

QByteArray cBenchHost::keyReleaseReport()
{
    return report(0x02, 0x10, 0x00, 0x00, 0x00);
}

QByteArray cBenchHost::volumeUpReport()
{
    return report(0x01, 0x00, 0x01, 0x00, 0x00);
}
