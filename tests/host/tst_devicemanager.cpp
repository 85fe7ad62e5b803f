#include "IServiceMgr.h"
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cFakeDevice.h"
#include "cFakeProvider.h"
#include "cHostMetaTypes.h"
#include "cHostServices.h"
#include "cTransportFactory.h"

#include <QSignalSpy>
#include <QtTest>

using namespace TransportKind;

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// Records the device manager's signals as one ordered list of lines.
class cFlowLog : public QObject
{
public:
    explicit cFlowLog(cDeviceManager *manager)
    {
        connect(manager, &cDeviceManager::createDeviceCalled, this,
                [this](const QString &alias, const QString &kind, bool created) {
                    lines << QStringLiteral("createDevice %1 %2 %3").arg(alias, kind, yesNo(created));
                });
        connect(manager, &cDeviceManager::addTransportCalled, this,
                [this](IAbstractDevice *device, const QString &kind, bool accepted) {
                    lines << QStringLiteral("addTransport %1 %2 %3").arg(name(device), kind, yesNo(accepted));
                });
        connect(manager, &cDeviceManager::removeTransportCalled, this,
                [this](IAbstractDevice *device, const QString &kind) {
                    lines << QStringLiteral("removeTransport %1 %2").arg(name(device), kind);
                });
        connect(manager, &cDeviceManager::validated, this, [this](IAbstractDevice *device, int result) {
            lines << QStringLiteral("validate %1 %2").arg(name(device)).arg(result);
        });
        connect(manager, &cDeviceManager::transportUnclaimed, this,
                [this](const QString &kind, const QString &uid) {
                    lines << QStringLiteral("unclaimed %1 %2").arg(kind, uid);
                });
        connect(manager, &cDeviceManager::deviceRemoved, this,
                [this](IAbstractDevice *device) { lines << QStringLiteral("removed %1").arg(name(device)); });
    }

    // Devices are named in the order this log first sees them: d1, d2, ...
    QString name(IAbstractDevice *device)
    {
        if (!m_devices.contains(device))
            m_devices.append(device);
        return QStringLiteral("d%1").arg(m_devices.indexOf(device) + 1);
    }

    QStringList lines;

private:
    QList<IAbstractDevice *> m_devices;
};

class tst_DeviceManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void existingDevicesAreAskedBeforeProviders();
    void providersAreAskedInRegistrationOrder();
    void transportNobodyTakesIsReported();
    void removalGoesToTheHoldingDeviceAndReleasesEmptyDevices();
    void onlyCompleteDevicesStartAndLosingATransportStopsFirst();
    void autoStartOnCompletion();
    void providerOfAnotherContractVersionIsRefused();
    void unregisteredProviderIsNoLongerAsked();

private:
    cAbstractDeviceProviderPtr registerByName(IAbstractDeviceProvider *provider, const QString &alias);

    cHostServices *m_services = nullptr;
    cDeviceManager *m_manager = nullptr;
};

void tst_DeviceManager::initTestCase()
{
    registerHostMetaTypes();
}

void tst_DeviceManager::init()
{
    m_services = new cHostServices;
    m_services->registerAll();
    m_manager = new cDeviceManager(m_services->devMgr());
}

void tst_DeviceManager::cleanup()
{
    delete m_manager;
    delete m_services;
}

// Registers as a plugin does: by name, with the tags its proxy passes.
cAbstractDeviceProviderPtr tst_DeviceManager::registerByName(IAbstractDeviceProvider *provider,
                                                             const QString &alias)
{
    cAbstractDeviceProviderPtr pointer(provider);
    QString aliasCopy = alias;
    const bool ok = IServiceMgr::instance()->callService(
        cHostServices::name(cHostServices::DevMgr), QStringLiteral("registerDeviceProvider"),
        QGenericArgument("cAbstractDeviceProviderPtr", &pointer), QGenericArgument("QString", &aliasCopy));
    if (!ok)
        qWarning("registerDeviceProvider could not be called by name");
    return pointer;
}

void tst_DeviceManager::existingDevicesAreAskedBeforeProviders()
{
    auto *provider = new cFakeProvider(QStringLiteral("Q71-"));
    const cAbstractDeviceProviderPtr keep = registerByName(provider, QStringLiteral("Fake"));
    QCOMPARE(m_services->devMgr()->providers().size(), 1);
    cFlowLog log(m_manager);

    const cAbstractDevicePtr first = m_manager->offerTransport(cTransportFactory::headset(Hid, 1));
    QVERIFY(first);
    const cAbstractDevicePtr second = m_manager->offerTransport(cTransportFactory::headset(Render, 1));
    QCOMPARE(second, first);
    const cAbstractDevicePtr otherUnit = m_manager->offerTransport(cTransportFactory::headset(Capture, 2));
    QVERIFY(otherUnit && otherUnit != first);
    QCOMPARE(m_manager->offerTransport(cTransportFactory::headset(Capture, 1)), first);

    const QStringList expected = {
        "createDevice Fake hid yes",
        "validate d1 2",
        "addTransport d1 render yes",
        "validate d1 2",
        "addTransport d1 capture no",
        "createDevice Fake capture yes",
        "validate d2 2",
        "addTransport d1 capture yes",
        "validate d1 4",
    };
    QCOMPARE(log.lines, expected);
    QCOMPARE(provider->createDeviceCalls(), 2);
    QCOMPARE(m_manager->devices().size(), 2);
}

void tst_DeviceManager::providersAreAskedInRegistrationOrder()
{
    auto *picky = new cFakeProvider(QStringLiteral("Foreign-"));
    auto *headsets = new cFakeProvider(QStringLiteral("Q71-"));
    const cAbstractDeviceProviderPtr keepPicky = registerByName(picky, QStringLiteral("Picky"));
    const cAbstractDeviceProviderPtr keepHeadsets = registerByName(headsets, QStringLiteral("Headsets"));
    cFlowLog log(m_manager);

    QVERIFY(m_manager->offerTransport(cTransportFactory::headset(Hid)));
    QVERIFY(m_manager->offerTransport(cTransportFactory::foreign(Hid)));
    const QStringList expected = {
        "createDevice Picky hid no",
        "createDevice Headsets hid yes",
        "validate d1 2",
        // The headset's device is asked first and refuses another product's transport.
        "addTransport d1 hid no",
        "createDevice Picky hid yes",
        "validate d2 2",
    };
    QCOMPARE(log.lines, expected);
}

void tst_DeviceManager::transportNobodyTakesIsReported()
{
    const cAbstractDeviceProviderPtr keep
        = registerByName(new cFakeProvider(QStringLiteral("Q71-")), QStringLiteral("Fake"));
    cFlowLog log(m_manager);

    const cAbstractTransportPtr plain = cTransportFactory::headset(Other);
    QVERIFY(!m_manager->offerTransport(plain));
    QVERIFY(!m_manager->withdrawTransport(plain));
    QCOMPARE(log.lines, QStringList({"createDevice Fake other no", "unclaimed other Q71-1-other"}));
    QVERIFY(m_manager->devices().isEmpty());
}

void tst_DeviceManager::removalGoesToTheHoldingDeviceAndReleasesEmptyDevices()
{
    auto *provider = new cFakeProvider(QStringLiteral("Q71-"));
    const cAbstractDeviceProviderPtr keep = registerByName(provider, QStringLiteral("Fake"));
    const cAbstractTransportPtr hid1 = cTransportFactory::headset(Hid, 1);
    const cAbstractTransportPtr render1 = cTransportFactory::headset(Render, 1);
    const cAbstractTransportPtr hid2 = cTransportFactory::headset(Hid, 2);
    m_manager->offerTransport(hid1);
    m_manager->offerTransport(render1);
    m_manager->offerTransport(hid2);
    QCOMPARE(provider->created().size(), 2);
    const QPointer<cFakeDevice> unit1 = provider->created().at(0);
    const QPointer<cFakeDevice> unit2 = provider->created().at(1);
    cFlowLog log(m_manager);
    log.name(unit1);
    log.name(unit2);

    QVERIFY(m_manager->withdrawTransport(hid2));
    QVERIFY2(!unit2, "a device without transports must be released");
    QVERIFY(m_manager->withdrawTransport(hid1));
    QVERIFY(unit1);
    QVERIFY(m_manager->transportsOf(m_manager->devices().value(0))
            == QList<cAbstractTransportPtr>({render1}));
    QVERIFY(!m_manager->withdrawTransport(hid1));

    const QStringList expected = {
        "removeTransport d2 hid", "validate d2 1", "removed d2", "removeTransport d1 hid", "validate d1 2",
    };
    QCOMPARE(log.lines, expected);
    QCOMPARE(unit1->calls().filter("removeTransport"), QStringList({"removeTransport(hid)"}));
}

void tst_DeviceManager::onlyCompleteDevicesStartAndLosingATransportStopsFirst()
{
    auto *provider = new cFakeProvider(QStringLiteral("Q71-"));
    const cAbstractDeviceProviderPtr keep = registerByName(provider, QStringLiteral("Fake"));
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
    const QStringList calls = provider->created().at(0)->calls();
    QCOMPARE(calls.mid(calls.size() - 3), QStringList({"start", "stop", "removeTransport(capture)"}));
}

void tst_DeviceManager::autoStartOnCompletion()
{
    const cAbstractDeviceProviderPtr keep
        = registerByName(new cFakeProvider(QStringLiteral("Q71-")), QStringLiteral("Fake"));
    m_manager->setAutoStart(true);
    QSignalSpy started(m_manager, &cDeviceManager::deviceStarted);
    m_manager->offerTransport(cTransportFactory::headset(Hid));
    m_manager->offerTransport(cTransportFactory::headset(Render));
    QCOMPARE(started.count(), 0);
    const cAbstractDevicePtr device = m_manager->offerTransport(cTransportFactory::headset(Capture));
    QCOMPARE(started.count(), 1);
    QVERIFY(m_manager->isStarted(device));
}

void tst_DeviceManager::providerOfAnotherContractVersionIsRefused()
{
    QSignalSpy refused(m_services->devMgr(), &cDevMgrLowService::providerRefused);
    QTest::ignoreMessage(QtWarningMsg,
                         "Refused the device provider of plugin 'Future': it implements interface "
                         "version '2', this host speaks version '1'");
    const cAbstractDeviceProviderPtr keep
        = registerByName(new cFakeProviderV2(QStringLiteral("Q71-")), QStringLiteral("Future"));
    QCOMPARE(refused.count(), 1);
    QVERIFY(m_services->devMgr()->providers().isEmpty());
    QVERIFY(!m_manager->offerTransport(cTransportFactory::headset(Hid)));
}

void tst_DeviceManager::unregisteredProviderIsNoLongerAsked()
{
    auto *provider = new cFakeProvider(QStringLiteral("Q71-"));
    cAbstractDeviceProviderPtr pointer = registerByName(provider, QStringLiteral("Fake"));
    QVERIFY(IServiceMgr::instance()->callService(cHostServices::name(cHostServices::DevMgr),
                                                 QStringLiteral("unregisterDeviceProvider"),
                                                 QGenericArgument("cAbstractDeviceProviderPtr", &pointer)));
    QVERIFY(m_services->devMgr()->providers().isEmpty());
    QVERIFY(!m_manager->offerTransport(cTransportFactory::headset(Hid)));
    QCOMPARE(provider->createDeviceCalls(), 0);
}

QTEST_GUILESS_MAIN(tst_DeviceManager)
#include "tst_devicemanager.moc"
