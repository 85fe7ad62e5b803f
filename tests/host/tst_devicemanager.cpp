// The host's device flow with providers and devices of its own: who is offered a transport in
// which order, when devices are released, started and stopped, which providers are never asked,
// and the simulated bus in front of it.
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cFakeDevice.h"
#include "cFakeProvider.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cTransportFactory.h"

#include <QSignalSpy>
#include <QtTest>

using namespace TransportKind;

// Records the device manager's signals, one line for each transport offered or removed; devices
// are named d1, d2, ... in the order the log first sees them.
class cFlowLog : public QObject
{
public:
    explicit cFlowLog(cDeviceManager *manager)
    {
        const auto yes = [](bool value) { return QLatin1String(value ? "yes" : "no"); };
        connect(manager, &cDeviceManager::transportOffered, this,
                [this](const QString &, const QString &uid) { lines << "offer " + uid; });
        connect(manager, &cDeviceManager::createDeviceCalled, this,
                [=](const QString &alias, const QString &kind, bool created) {
                    add(QStringLiteral("createDevice %1 %2 %3").arg(alias, kind, yes(created)));
                });
        connect(manager, &cDeviceManager::addTransportCalled, this,
                [=](IAbstractDevice *device, const QString &kind, bool accepted) {
                    add(QStringLiteral("addTransport %1 %2 %3").arg(name(device), kind, yes(accepted)));
                });
        connect(manager, &cDeviceManager::removeTransportCalled, this,
                [this](IAbstractDevice *device, const QString &kind) {
                    lines << QStringLiteral("removeTransport %1 %2").arg(name(device), kind);
                });
        connect(manager, &cDeviceManager::validated, this, [this](IAbstractDevice *device, int result) {
            add(QStringLiteral("validate %1 %2").arg(name(device)).arg(result));
        });
        connect(manager, &cDeviceManager::transportUnclaimed, this,
                [this](const QString &kind, const QString &uid) { add("unclaimed " + kind + ' ' + uid); });
        connect(manager, &cDeviceManager::deviceRemoved, this,
                [this](IAbstractDevice *device) { add("removed " + name(device)); });
    }

    QString name(IAbstractDevice *device)
    {
        if (!m_devices.contains(device))
            m_devices.append(device);
        return QStringLiteral("d%1").arg(m_devices.indexOf(device) + 1);
    }

    QStringList lines;

private:
    void add(const QString &event) { lines.last() += ", " + event; }

    QList<IAbstractDevice *> m_devices;
};

class tst_DeviceManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void offersGoToDevicesFirstThenProvidersInOrder();
    void removalGoesToTheHoldingDeviceAndReleasesEmptyDevices();
    void onlyCompleteDevicesStartAndLosingATransportStopsFirst();
    void refusedAndUnregisteredProvidersAreNotAsked();
    void busPlugsEachTransportOnce();

private:
    cFakeProvider *addProvider(const QString &uidPrefix, const QString &alias);

    cHost *m_host = nullptr;
    cDeviceManager *m_manager = nullptr;
};

void tst_DeviceManager::init()
{
    m_host = new cHost;
    m_manager = m_host->deviceManager();
}

void tst_DeviceManager::cleanup()
{
    delete m_host;
}

cFakeProvider *tst_DeviceManager::addProvider(const QString &uidPrefix, const QString &alias)
{
    auto *provider = new cFakeProvider(uidPrefix);
    m_host->services().devMgr()->registerDeviceProvider(cAbstractDeviceProviderPtr(provider), alias);
    return provider;
}

void tst_DeviceManager::offersGoToDevicesFirstThenProvidersInOrder()
{
    addProvider(QStringLiteral("Foreign-"), QStringLiteral("Picky"));
    addProvider(QStringLiteral("Q71-"), QStringLiteral("Headsets"));
    cFlowLog log(m_manager);

    const cAbstractDevicePtr first = m_manager->offerTransport(cTransportFactory::headset(Hid, 1));
    QVERIFY(first);
    QCOMPARE(m_manager->offerTransport(cTransportFactory::headset(Render, 1)), first);
    const cAbstractDevicePtr otherUnit = m_manager->offerTransport(cTransportFactory::headset(Capture, 2));
    QVERIFY(otherUnit && otherUnit != first);
    QCOMPARE(m_manager->offerTransport(cTransportFactory::headset(Capture, 1)), first);
    QVERIFY(m_manager->offerTransport(cTransportFactory::foreign(Hid)));
    const cAbstractTransportPtr plain = cTransportFactory::headset(Other);
    QVERIFY(!m_manager->offerTransport(plain));
    QVERIFY(!m_manager->withdrawTransport(plain));

    const QStringList expected = {
        "offer Q71-1-hid, createDevice Picky hid no, createDevice Headsets hid yes, validate d1 2",
        "offer Q71-1-render, addTransport d1 render yes, validate d1 2",
        "offer Q71-2-capture, addTransport d1 capture no, createDevice Picky capture no, "
        "createDevice Headsets capture yes, validate d2 2",
        "offer Q71-1-capture, addTransport d1 capture yes, validate d1 4",
        "offer Foreign-1-hid, addTransport d1 hid no, addTransport d2 hid no, createDevice Picky hid yes, "
        "validate d3 2",
        "offer Q71-1-other, addTransport d1 other no, addTransport d2 other no, addTransport d3 other no, "
        "createDevice Picky other no, createDevice Headsets other no, unclaimed other Q71-1-other",
    };
    QCOMPARE(log.lines, expected);
    QCOMPARE(m_manager->devices().size(), 3);
}

void tst_DeviceManager::removalGoesToTheHoldingDeviceAndReleasesEmptyDevices()
{
    cFakeProvider *provider = addProvider(QStringLiteral("Q71-"), QStringLiteral("Fake"));
    const cAbstractTransportPtr hid1 = cTransportFactory::headset(Hid, 1);
    const cAbstractTransportPtr render1 = cTransportFactory::headset(Render, 1);
    const cAbstractTransportPtr hid2 = cTransportFactory::headset(Hid, 2);
    for (const cAbstractTransportPtr &transport : {hid1, render1, hid2})
        m_manager->offerTransport(transport);
    const QPointer<cFakeDevice> unit1 = provider->created().value(0);
    const QPointer<cFakeDevice> unit2 = provider->created().value(1);
    cFlowLog log(m_manager);
    log.name(unit1);
    log.name(unit2);

    QVERIFY(m_manager->withdrawTransport(hid2));
    QVERIFY2(!unit2, "a device without transports must be released");
    QVERIFY(m_manager->withdrawTransport(hid1));
    QVERIFY(m_manager->transportsOf(m_manager->devices().value(0))
            == QList<cAbstractTransportPtr>({render1}));
    QVERIFY(!m_manager->withdrawTransport(hid1));

    QCOMPARE(log.lines,
             QStringList({"removeTransport d2 hid, validate d2 1, removed d2",
                          "removeTransport d1 hid, validate d1 2"}));
    QCOMPARE(unit1->calls(), QStringList({"removeTransport(hid)"}));
}

void tst_DeviceManager::onlyCompleteDevicesStartAndLosingATransportStopsFirst()
{
    cFakeProvider *provider = addProvider(QStringLiteral("Q71-"), QStringLiteral("Fake"));
    const cAbstractDevicePtr device = m_manager->offerTransport(cTransportFactory::headset(Hid));
    m_manager->offerTransport(cTransportFactory::headset(Render));
    QVERIFY(!m_manager->startDevice(device));
    QCOMPARE(m_manager->startAll(), 0);

    const cAbstractTransportPtr capture = cTransportFactory::headset(Capture);
    m_manager->offerTransport(capture);
    QSignalSpy started(m_manager, &cDeviceManager::deviceStarted);
    QSignalSpy stopped(m_manager, &cDeviceManager::deviceStopped);
    QCOMPARE(m_manager->startAll(), 1);
    QVERIFY(!m_manager->startDevice(device)); // already running
    QCOMPARE(started.count(), 1);

    m_manager->withdrawTransport(capture);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(!m_manager->isStarted(device));
    QCOMPARE(provider->created().value(0)->calls(),
             QStringList({"start", "stop", "removeTransport(capture)"}));

    // With auto-start the transport that completes the device starts it.
    m_manager->setAutoStart(true);
    m_manager->offerTransport(capture);
    QCOMPARE(started.count(), 2);
    QVERIFY(m_manager->isStarted(device));
}

void tst_DeviceManager::refusedAndUnregisteredProvidersAreNotAsked()
{
    QSignalSpy refused(m_host->services().devMgr(), &cDevMgrLowService::providerRefused);
    const QSharedPointer<cFakeProvider> future(new cFakeProviderV2(QStringLiteral("Q71-")));
    QTest::ignoreMessage(QtWarningMsg,
                         "Refused the device provider of plugin 'Future': it implements interface "
                         "version '2', this host speaks version '1'");
    m_host->services().devMgr()->registerDeviceProvider(future, QStringLiteral("Future"));
    QCOMPARE(refused.count(), 1);

    const QSharedPointer<cFakeProvider> gone(new cFakeProvider(QStringLiteral("Q71-")));
    m_host->services().devMgr()->registerDeviceProvider(gone, QStringLiteral("Gone"));
    m_host->services().devMgr()->unregisterDeviceProvider(gone);
    QVERIFY(m_host->services().devMgr()->providers().isEmpty());
    QVERIFY(!m_manager->offerTransport(cTransportFactory::headset(Hid)));
    QCOMPARE(future->createDeviceCalls() + gone->createDeviceCalls(), 0);
}

void tst_DeviceManager::busPlugsEachTransportOnce()
{
    cFakeProvider *provider = addProvider(QStringLiteral("Q71-"), QStringLiteral("Fake"));
    cSimBus early;
    early.plug(Hid, 2);
    cSimBus bus;
    m_host->attachBus(&bus);
    bus.plugHeadset(1);
    const cAbstractDevicePtr device = bus.device(*m_host, 1);
    QVERIFY(device);
    QCOMPARE(bus.plug(Hid, 1), bus.transport(Hid, 1));
    QVERIFY(!bus.plugTransport(bus.transport(Hid, 1)));
    QCOMPARE(provider->createDeviceCalls(), 1);
    QVERIFY(bus.hidTransport(1) && !bus.hidTransport(2));
    QCOMPARE(m_host->start(), 1);

    // What a bus holds when it is attached is offered at once; a detached bus is no longer heard.
    m_host->attachBus(&early);
    QCOMPARE(provider->createDeviceCalls(), 2);
    m_host->detachBus(&early);
    QVERIFY(early.unplug(Hid, 2));
    QCOMPARE(m_manager->devices().size(), 2);

    QVERIFY(bus.unplug(Render, 1));
    QVERIFY(!bus.unplug(Render, 1));
    QVERIFY(!m_manager->isStarted(device));
    QCOMPARE(bus.device(*m_host, 1), device);
    QVERIFY(bus.unplug(Hid, 1));
    QVERIFY(bus.unplug(Capture, 1));
    QVERIFY(bus.transports().isEmpty());
    QVERIFY(!bus.device(*m_host, 1));
    QCOMPARE(m_manager->devices().size(), 1);

    // A device without a microphone model: the host's calls to it fail without reaching anything.
    const cMicrophoneClient microphone = cHost::microphone(device);
    bool invoked = true;
    QVERIFY(!microphone.isValid());
    QVERIFY(!microphone.setLightConfig(MicLight::Setting2, &invoked));
    QVERIFY(!invoked);
}

QTEST_GUILESS_MAIN(tst_DeviceManager)
#include "tst_devicemanager.moc"
