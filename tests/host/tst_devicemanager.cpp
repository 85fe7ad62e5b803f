// The host's device flow where the golden scenarios, with their one real provider, cannot go:
// several providers, a refused one, auto start, and the simulated bus in front of the flow.
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cFakeDevice.h"
#include "cFakeProvider.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cTransportFactory.h"

#include <QtTest>

using namespace TransportKind;

class tst_DeviceManager : public QObject
{
    Q_OBJECT
private:
    cFakeProvider *addProvider(const QString &uidPrefix, const QString &alias)
    {
        auto *provider = new cFakeProvider(uidPrefix);
        m_host->services().devMgr()->registerDeviceProvider(cAbstractDeviceProviderPtr(provider), alias);
        return provider;
    }

    cHost *m_host = nullptr;

private slots:
    void init() { m_host = new cHost; }
    void cleanup() { delete m_host; }

    void providersAreAskedInRegistrationOrder()
    {
        cDevMgrLowService *registry = m_host->services().devMgr();
        cFakeProvider *picky = addProvider("Foreign-", "Picky");
        cFakeProvider *headsets = addProvider("Q71-", "Headsets");
        // A provider built against another revision of the contract is never asked.
        const QSharedPointer<cFakeProvider> future(new cFakeProviderV2("Q71-"));
        QTest::ignoreMessage(QtWarningMsg,
                             "Refused the device provider of plugin 'Future': it implements interface "
                             "version '2', this host speaks version '1'");
        registry->registerDeviceProvider(future, "Future");

        cDeviceManager *manager = m_host->deviceManager();
        QVERIFY(manager->offerTransport(cTransportFactory::headset(Hid)));
        QVERIFY(manager->offerTransport(cTransportFactory::foreign(Hid)));
        const cAbstractTransportPtr plain = cTransportFactory::headset(Other);
        QVERIFY(!manager->offerTransport(plain));
        QVERIFY(!manager->withdrawTransport(plain));
        // Picky refuses the headset before Headsets takes it; it takes the foreign transport itself.
        QCOMPARE(picky->createDeviceCalls(), 3);
        QCOMPARE(headsets->createDeviceCalls(), 2);
        QCOMPARE(future->createDeviceCalls(), 0);
    }

    void autoStartStartsWhatATransportCompletes()
    {
        addProvider("Q71-", "Fake");
        cDeviceManager *manager = m_host->deviceManager();
        manager->setAutoStart(true);
        const cAbstractDevicePtr device = manager->offerTransport(cTransportFactory::headset(Hid));
        manager->offerTransport(cTransportFactory::headset(Render));
        manager->offerTransport(cTransportFactory::headset(Capture));
        QVERIFY(manager->isStarted(device));
        QVERIFY(!manager->startDevice(device));
        QCOMPARE(qSharedPointerDynamicCast<cFakeDevice>(device)->calls(), QStringList("start"));
    }

    void busAnnouncesEachTransportOnce()
    {
        cFakeProvider *provider = addProvider("Q71-", "Fake");
        cSimBus early;
        early.plug(Hid, 2);
        cSimBus bus;
        m_host->attachBus(&bus);
        bus.plugHeadset(1);
        QCOMPARE(bus.plug(Hid, 1), bus.transport(Hid, 1));
        QVERIFY(!bus.plugTransport(bus.transport(Hid, 1)));
        QCOMPARE(provider->createDeviceCalls(), 1);

        // What a bus holds when it is attached is offered at once, and only once.
        m_host->attachBus(&early);
        m_host->attachBus(&early);
        QCOMPARE(provider->createDeviceCalls(), 2);

        const cAbstractDevicePtr device = bus.device(*m_host, 1);
        QVERIFY(bus.unplug(Render, 1));
        QVERIFY(!bus.unplug(Render, 1));
        QCOMPARE(bus.device(*m_host, 1), device);
        bus.unplugAll();
        QVERIFY(bus.transports().isEmpty() && !bus.device(*m_host, 1));

        // A device without a microphone model: the host's calls to it fail without reaching anything.
        bool invoked = true;
        QVERIFY(!cHost::microphone(device).setLightConfig(MicLight::Setting2, &invoked));
        QVERIFY(!invoked);
    }

    // A trace, a script and the session bus name devices by these numbers. That a removed device's
    // number is not given again, and is still known while the removal is announced, every golden
    // trace shows (unplug_orders: "drops device 1", then "device 2"); these are what a script or the
    // bus would reach after the removal.
    void numbersOfARemovedDevice()
    {
        addProvider("Q71-", "Fake");
        cDeviceManager *manager = m_host->deviceManager();
        const cAbstractTransportPtr first = cTransportFactory::headset(Hid, 1);
        const cAbstractDevicePtr one = manager->offerTransport(first);
        const cAbstractDevicePtr two = manager->offerTransport(cTransportFactory::headset(Hid, 2));
        QCOMPARE(manager->oldestDevice(), one);
        QVERIFY(manager->withdrawTransport(first));
        QCOMPARE(manager->number(one.data()), 0);
        QVERIFY(!manager->deviceNumbered(1));
        QCOMPARE(manager->numberHolding(first.data()), 0);
        QCOMPARE(manager->oldestDevice(), two);
    }
};

QTEST_GUILESS_MAIN(tst_DeviceManager)

#include "tst_devicemanager.moc"
