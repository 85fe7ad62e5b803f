#include "cHeadsetFixture.h"

#include "cClock.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cVirtualEventDispatcher.h"

#include <QtTest>

#include <utility>

const QStringList cHeadsetFixture::setupReports
    = {"02 08 00 00 00", "02 10 11 00 00", "02 20 22 00 00", "02 40 33 00 00", "02 01 00 00 00"};

void cHeadsetFixture::setUp()
{
    QVERIFY2(cVirtualEventDispatcher::current(), "the headset tests run on virtual time");
    m_clock = new cClock;
    m_bus = new cSimBus;
    m_host = new cHost;
    m_host->attachBus(m_bus);
    QVERIFY2(m_host->loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(m_host->pluginError()));
    m_device = plugHeadset();
    QVERIFY(m_device);
    m_hid = m_bus->hidTransport();
}

void cHeadsetFixture::tearDown()
{
    m_hid.reset();
    m_device.reset();
    delete std::exchange(m_host, nullptr);
    delete std::exchange(m_bus, nullptr);
    delete std::exchange(m_clock, nullptr);
    // Whatever timers the last test left run out here, and deferred deletions are carried out.
    cVirtualEventDispatcher::current()->advance(1000);
}

cAbstractDevicePtr cHeadsetFixture::plugHeadset(int unit)
{
    m_bus->plugHeadset(unit);
    return m_bus->device(*m_host, unit);
}

void cHeadsetFixture::input(const char *hexReport)
{
    m_hid->feedInput(QByteArray::fromHex(hexReport));
}

QStringList cHeadsetFixture::written() const
{
    QStringList reports;
    for (const cSimHidTransport::cWrite &write : m_hid->writes()) {
        reports.append(QString::fromLatin1(write.report.toHex(' ')).toUpper());
        if (write.cookie != -1)
            reports.last() += QStringLiteral(" cookie %1").arg(write.cookie);
    }
    return reports;
}
