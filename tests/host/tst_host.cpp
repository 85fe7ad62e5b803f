#include "IMicrophoneModel.h"
#include "IProfilerDevice.h"
#include "IServiceMgr.h"
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cFakeDevice.h"
#include "cFakeProvider.h"
#include "cHost.h"
#include "cProfilerEventReceiver.h"
#include "cSimHidTransport.h"

#include <QtTest>

namespace {
// Like a plugin's model it adds no meta-object of its own: calls by name land on the
// interface's meta-object and reach the overrides through the virtual table.
class cFakeMicrophone : public IMicrophoneModel
{
public:
    MicCaps::MicCaps_t getCaps() override { return MicCaps::LightAndNotification; }
    MicLight::MicLight_t getLightConfig() override { return m_light; }
    bool setLightConfig(MicLight::MicLight_t type) override
    {
        if (type < MicLight::Setting1 || type > MicLight::Setting3)
            return false;
        m_light = type;
        return true;
    }
    MicMuteNotification::MicMuteNotification_t getNotificationConfig() override { return m_notification; }
    bool setNotificationConfig(MicMuteNotification::MicMuteNotification_t type) override
    {
        if (type != MicMuteNotification::Setting1 && type != MicMuteNotification::Setting2)
            return false;
        m_notification = type;
        return true;
    }
    bool isMuted() override { return true; }

private:
    MicLight::MicLight_t m_light = MicLight::Setting1;
    MicMuteNotification::MicMuteNotification_t m_notification = MicMuteNotification::Setting1;
};

class cExitListener : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void onExitApplication() { ++exits; }
    int exits = 0;
};
} // namespace

class tst_Host : public QObject
{
    Q_OBJECT
private slots:
    void microphoneIsCalledByName();
    void deviceWithoutMicrophone();
    void keyEventsReachTheProfiler();
    void profilerDeviceCategoryComesFromTheDevice();
    void exitReachesSubscribers();
    void serviceTakenAwayFailsAndComesBack();
    void plugAndUnplugDriveTheDeviceFlow();
};

void tst_Host::microphoneIsCalledByName()
{
    auto *device = new cFakeDevice(QString());
    const cAbstractDevicePtr owner(device);
    device->serve(QStringLiteral("IMicrophoneModel"), cMicrophoneModelPtr(new cFakeMicrophone));

    const cMicrophoneClient microphone = cHost::microphone(owner);
    QVERIFY(microphone.isValid());
    bool invoked = false;
    QCOMPARE(microphone.getCaps(&invoked), MicCaps::LightAndNotification);
    QVERIFY(invoked);
    QVERIFY(microphone.setLightConfig(MicLight::Setting3, &invoked));
    QCOMPARE(microphone.getLightConfig(), MicLight::Setting3);

    invoked = false;
    QVERIFY(!microphone.setLightConfig(MicLight::MicLight_t(0), &invoked));
    QVERIFY2(invoked, "a refusal is the model's answer, not a failed call");
    QCOMPARE(microphone.getLightConfig(), MicLight::Setting3);

    QVERIFY(microphone.setNotificationConfig(MicMuteNotification::Setting2));
    QCOMPARE(microphone.getNotificationConfig(), MicMuteNotification::Setting2);
    QVERIFY(!microphone.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(0)));
    QVERIFY(microphone.isMuted(&invoked));
    QVERIFY(invoked);
}

void tst_Host::deviceWithoutMicrophone()
{
    const cMicrophoneClient microphone = cHost::microphone(cAbstractDevicePtr(new cFakeDevice(QString())));
    QVERIFY(!microphone.isValid());
    bool invoked = true;
    QVERIFY(!microphone.setLightConfig(MicLight::Setting2, &invoked));
    QVERIFY(!invoked);
    QVERIFY(!cHost::microphone(cAbstractDevicePtr()).isValid());
}

// Posted with the tags a device uses: "GKey::GKey_t", then the model and the category as "QString".
void tst_Host::keyEventsReachTheProfiler()
{
    cHost host;
    GKey::GKey_t key = GKey::G2;
    QString model = QStringLiteral("Q71");
    QString category = QStringLiteral("Headset");
    const auto post = [&](const char *event) {
        return IServiceMgr::instance()->postEvent(
            QStringLiteral("Profiler_Events"), QLatin1String(event), QGenericArgument("GKey::GKey_t", &key),
            QGenericArgument("QString", &model), QGenericArgument("QString", &category));
    };
    QVERIFY(post("GKeyPressed"));
    key = GKey::G3;
    model.clear();
    QVERIFY(post("GKeyReleased"));

    const QList<cProfilerEventReceiver::cGKeyEvent> events = host.profilerEvents()->events();
    QCOMPARE(events.size(), 2);
    QVERIFY(events.at(0).pressed);
    QCOMPARE(events.at(0).key, GKey::G2);
    QCOMPARE(events.at(0).model, QStringLiteral("Q71"));
    QCOMPARE(events.at(0).category, QStringLiteral("Headset"));
    QVERIFY(!events.at(1).pressed);
    QCOMPARE(events.at(1).key, GKey::G3);
    QCOMPARE(events.at(1).model, QString());
}

void tst_Host::profilerDeviceCategoryComesFromTheDevice()
{
    cHost host;
    cJsonValue info;
    info["profiler"]["category"] = cJsonValue("Headset");
    cAbstractDevicePtr device(new cFakeDevice(QString(), info));
    cProfilerDevicePtr profilerDevice;
    QVERIFY(IServiceMgr::instance()->callService(
        cHostServices::name(cHostServices::Profiler), QStringLiteral("createProfilerDevice"),
        QGenericReturnArgument("cProfilerDevicePtr", &profilerDevice),
        QGenericArgument("cAbstractDevicePtr", &device)));
    QVERIFY(profilerDevice);
    QCOMPARE(profilerDevice->category(), QStringLiteral("Headset"));
    QVERIFY(profilerDevice->hasGKeys());
}

void tst_Host::exitReachesSubscribers()
{
    cHost host;
    QVERIFY(!host.exitApplication());
    cExitListener listener;
    IServiceMgr::instance()->subscribeEvents(QStringLiteral("MainApp_Events"), &listener,
                                             QStringLiteral("on"));
    QVERIFY(host.exitApplication());
    QCOMPARE(listener.exits, 1);
    IServiceMgr::instance()->unsubscribeEvents(QStringLiteral("MainApp_Events"), &listener);
}

void tst_Host::serviceTakenAwayFailsAndComesBack()
{
    cHost host;
    const QString name = cHostServices::name(cHostServices::Profiler);
    const QString g2 = QStringLiteral("G2");
    GKey::GKey_t key = GKey::None;
    const auto call = [&] {
        return IServiceMgr::instance()->callService(name, QStringLiteral("stringToGKey"),
                                                    QGenericReturnArgument("GKey::GKey_t", &key),
                                                    QGenericArgument("const QString", &g2));
    };

    host.services().setAvailable(cHostServices::Profiler, false);
    QVERIFY(!host.services().isAvailable(cHostServices::Profiler));
    QVERIFY(host.services().isAvailable(cHostServices::DevMgr));
    QVERIFY(!call());
    QCOMPARE(key, GKey::None);

    host.services().setAvailable(cHostServices::Profiler, true);
    QVERIFY(call());
    QCOMPARE(key, GKey::G2);
}

void tst_Host::plugAndUnplugDriveTheDeviceFlow()
{
    cHost host;
    auto *provider = new cFakeProvider(QStringLiteral("Q71-"));
    host.services().devMgr()->registerDeviceProvider(cAbstractDeviceProviderPtr(provider),
                                                     QStringLiteral("Fake"));

    const cAbstractDevicePtr device = host.plugHeadset(1);
    QVERIFY(device);
    QCOMPARE(device->validate(), DeviceValidationResult::Complete);
    QCOMPARE(provider->createDeviceCalls(), 1);
    // Plugging what is already plugged offers nothing again.
    QCOMPARE(host.plug(TransportKind::Hid, 1), host.transport(TransportKind::Hid, 1));
    QCOMPARE(provider->createDeviceCalls(), 1);
    QVERIFY(host.hidTransport(1));
    QVERIFY(!host.hidTransport(2));
    QCOMPARE(host.start(), 1);

    const QPointer<cFakeDevice> fake = provider->created().value(0);
    QVERIFY(host.unplug(TransportKind::Render, 1));
    QVERIFY(!host.unplug(TransportKind::Render, 1));
    QVERIFY(!host.deviceManager()->isStarted(device));
    QCOMPARE(host.device(1), device);
    QVERIFY(host.unplug(TransportKind::Hid, 1));
    QVERIFY(host.unplug(TransportKind::Capture, 1));
    QVERIFY(host.pluggedTransports().isEmpty());
    QVERIFY(!host.device(1));
    QVERIFY(host.deviceManager()->devices().isEmpty());
    QCOMPARE(fake->calls().filter(QStringLiteral("removeTransport")).size(), 3);
}

QTEST_GUILESS_MAIN(tst_Host)
#include "tst_host.moc"
