// The operations of the three service proxies the plugin never makes, against the host's services:
// the method name and argument type names each one passes, in order, the result it asks for, and
// what it gives and logs when its service is missing. The proxies are compiled into this test, as
// the built plugin never reaches them. The operations the plugin makes are pinned through the built
// plugin: registerDeviceProvider, parseManifest and unregisterDeviceProvider by tst_plugin_spine
// and tst_plugin_faults, createAudioDevice and destroyAudioDevice(cAudioDevicePtr) by
// pointerArgumentsAreReleased, tst_plugin_protocol::serviceTraffic and the golden scenarios
// (fault_service_audio), createProfilerDevice by the golden scenarios (fault_service_profiler).
#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "cAudioDeviceMgr.h"
#include "cDevMgrLow.h"
#include "cHost.h"
#include "cProfiler.h"
#include "cProfilerEventReceiver.h"
#include "cServiceRecorder.h"
#include "cTransportFactory.h"

#include <QtTest>
#include <functional>

namespace {

// An operation of a proxy, reduced to whether it gave its result type's default.
typedef std::function<QString()> cOperation;

template<class F> cOperation returning(F call)
{
    return [call] {
        const auto result = call();
        return result == decltype(result)() ? "default" : "value";
    };
}
template<class F> cOperation doing(F call)
{
    return [call] {
        call();
        return "nothing";
    };
}

const QString g_text = "text";
#define GIVES(call) returning([] { return call; })
#define DOES(call) doing([] { call; })

} // namespace

Q_DECLARE_METATYPE(cOperation)

class tst_Proxies : public QObject
{
    Q_OBJECT
private slots:
    void operations_data()
    {
        QTest::addColumn<int>("service");
        QTest::addColumn<cOperation>("operation");
        QTest::addColumn<QString>("resultType"); // empty: the operation returns nothing

        // Each row is named by the signature the operation passes.
        const auto row = [](cHostServices::Service service, const char *signature, cOperation operation,
                            const char *resultType = "") {
            QTest::newRow(signature) << int(service) << operation << QString::fromLatin1(resultType);
        };
        const cHostServices::Service devMgr = cHostServices::DevMgr, profiler = cHostServices::Profiler,
                                     audio = cHostServices::AudioDeviceMgr;

        row(devMgr, "registerBus(cAbstractDevBusPtr)", DOES(cDevMgrLow().registerBus(cAbstractDevBusPtr())));
        row(devMgr, "unregisterBus(cAbstractDevBusPtr)",
            DOES(cDevMgrLow().unregisterBus(cAbstractDevBusPtr())));
        row(devMgr, "generateUid()", GIVES(cDevMgrLow().generateUid()), "QString");

        row(profiler, "toContextId(GKey::GKey_t)", GIVES(cProfiler().toContextId(GKey::G2)), "QString");
        row(profiler, "toContextId(GenericButton::GenericButton_t)",
            GIVES(cProfiler().toContextId(GenericButton::Left)), "QString");
        row(profiler, "stringToGKey(const QString)", GIVES(cProfiler().stringToGKey(g_text)), "GKey::GKey_t");
        row(profiler, "stringToGenericButton(const QString)",
            GIVES(cProfiler().stringToGenericButton(g_text)), "GenericButton::GenericButton_t");
        row(profiler, "gKeyToString(GKey::GKey_t)", GIVES(cProfiler().gKeyToString(GKey::G1)), "QString");
        row(profiler, "stringToMKey(const QString)", GIVES(cProfiler().stringToMKey(g_text)), "MKey::MKey_t");
        row(profiler, "mKeyToString(MKey::MKey_t)", GIVES(cProfiler().mKeyToString(MKey::M1)), "QString");
        row(profiler, "getMState(const QString)", GIVES(cProfiler().getMState(g_text)), "MKey::MKey_t");
        row(profiler, "setMState(const QString,const QString,MKey::MKey_t)",
            GIVES(cProfiler().setMState(g_text, g_text, MKey::M2)), "bool");
        row(profiler, "playScriptingMacroByName(const QString,const QString)",
            GIVES(cProfiler().playScriptingMacroByName(g_text, g_text)), "bool");
        row(profiler, "abortScriptingMacro()", GIVES(cProfiler().abortScriptingMacro()), "bool");
        row(profiler, "isMouseCategory(const QString)", GIVES(cProfiler().isMouseCategory(g_text)), "bool");
        row(profiler, "refreshBacklighting()", DOES(cProfiler().refreshBacklighting()));
        row(profiler, "refreshProfileBacklighting(cProfilePtr,cAbstractDevicePtr)",
            DOES(cProfiler().refreshProfileBacklighting(cProfilePtr(), cAbstractDevicePtr())));
        row(profiler, "refreshMousePointerSettings(const QString,const QString)",
            DOES(cProfiler().refreshMousePointerSettings(g_text, g_text)));
        row(profiler, "setBacklightReactToProfiler(bool)",
            DOES(cProfiler().setBacklightReactToProfiler(true)));

        row(audio, "destroyAudioDevice(const QString)", DOES(cAudioDeviceMgr().destroyAudioDevice(g_text)));
        row(audio, "getDevice(const QString)", GIVES(cAudioDeviceMgr().getDevice(g_text)), "cAudioDevicePtr");
        row(audio, "getActiveDevice(const QString)", GIVES(cAudioDeviceMgr().getActiveDevice(g_text)),
            "cAudioDevicePtr");
        row(audio, "getActiveDevice()", GIVES(cAudioDeviceMgr().getActiveDevice()), "cAudioDevicePtr");
        row(audio, "getDevices()", GIVES(cAudioDeviceMgr().getDevices()), "cAudioDeviceList");
    }

    void operations()
    {
        QFETCH(int, service);
        QFETCH(cOperation, operation);
        QFETCH(QString, resultType);

        cHost host;
        const QString signature = QString::fromLatin1(QTest::currentDataTag());
        const QString serviceName = cHostServices::name(cHostServices::Service(service));
        const QString method = signature.left(signature.indexOf(QLatin1Char('(')));
        {
            // Called once, with the contract's type names, and the host's service runs the overload
            // those names select.
            cServiceRecorder recorder;
            cCriticalLog log;
            operation();
            QCOMPARE(recorder.callSignatures(), QStringList(signature));
            const Nexaro::cServiceTrace call = recorder.calls(method).constFirst();
            QCOMPARE(call.name, serviceName);
            QCOMPARE(QString::fromLatin1(call.resultType), resultType);
            QVERIFY2(call.ok, "the host's service offers every operation of its interface");
            QCOMPARE(log.lines(), QStringList());
        }

        host.services().setAvailable(cHostServices::Service(service), false);
        cCriticalLog log;
        QCOMPARE(operation(), resultType.isEmpty() ? QStringLiteral("nothing") : QStringLiteral("default"));
        QCOMPARE(log.lines(),
                 QStringList(QStringLiteral("Failed to call '%1' on service %2").arg(method, serviceName)));
    }

    void keyEventsCarryEmptyStrings()
    {
        // The events the headset posts are pinned by the golden scenarios; an empty model or category
        // still travels as an argument of its own, tagged "QString".
        cHost host;
        cProfiler::postGKeyPressed(GKey::G2, QString(), "Headset");
        cProfiler::postGKeyReleased(GKey::G3, "Q71", QString());
        const QList<cProfilerEventReceiver::cGKeyEvent> events = host.profilerEvents()->events();
        QCOMPARE(events.size(), 2);
        QVERIFY(events.at(0).pressed && events.at(0).key == GKey::G2 && events.at(0).model.isEmpty());
        QCOMPARE(events.at(0).category, QStringLiteral("Headset"));
        QVERIFY(!events.at(1).pressed && events.at(1).key == GKey::G3 && events.at(1).category.isEmpty());
        QCOMPARE(events.at(1).model, QStringLiteral("Q71"));
    }

    void pointerArgumentsAreReleased()
    {
        cHost host;
        for (bool available : {true, false}) {
            host.services().setAvailable(cHostServices::AudioDeviceMgr, available);
            cCriticalLog log;
            auto render = qSharedPointerDynamicCast<IAudioRenderTransport>(
                cTransportFactory::headset(TransportKind::Render));
            auto capture = qSharedPointerDynamicCast<IAudioCaptureTransport>(
                cTransportFactory::headset(TransportKind::Capture));
            const QWeakPointer<IAudioRenderTransport> renderLeft = render;
            const QWeakPointer<IAudioCaptureTransport> captureLeft = capture;
            cAudioDevicePtr audio
                = cAudioDeviceMgr().createAudioDevice(QWeakPointer<IAbstractDevice>(), render, capture);
            QCOMPARE(!audio.isNull(), available);
            if (audio)
                cAudioDeviceMgr().destroyAudioDevice(audio);
            audio.reset();
            render.reset();
            capture.reset();
            // Neither the proxy nor the service kept a copy once the audio device was destroyed.
            QVERIFY(renderLeft.toStrongRef().isNull() && captureLeft.toStrongRef().isNull());
        }
    }
};

QTEST_GUILESS_MAIN(tst_Proxies)

#include "tst_proxies.moc"
