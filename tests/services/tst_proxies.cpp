// Every operation of the three service proxies against the host's services: the method name and
// argument type names each one passes, in order, and what it gives and logs when its service is
// missing. Most of these operations are never reached through the plugin's own behaviour, so the
// proxies are compiled into this test rather than driven through the built plugin.
#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "cAudioDeviceMgr.h"
#include "cDevMgrLow.h"
#include "cHost.h"
#include "cProfiler.h"
#include "cProfilerEventReceiver.h"
#include "cServiceRecorder.h"
#include "cTransportFactory.h"

#include <QDomDocument>
#include <QtTest>
#include <functional>

namespace {

// What an operation returned, reduced to what its failure default is told by.
typedef std::function<QString()> cOperation;

QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("null string") : value;
}
template<class T> QString text(const QSharedPointer<T> &value)
{
    return value ? QStringLiteral("object") : QStringLiteral("null pointer");
}
QString text(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
QString text(int value)
{
    return QString::number(value);
}
QString text(const cJsonValue &value)
{
    return value == cJsonValue(cJsonValue::JsonValueType(0)) ? QStringLiteral("empty value")
                                                             : QStringLiteral("value");
}
QString text(const cAudioDeviceList &value)
{
    return value.isEmpty() ? QStringLiteral("empty list") : QStringLiteral("list");
}
template<class F> cOperation returning(F call)
{
    return [call] { return text(call()); };
}
template<class F> cOperation doing(F call)
{
    return [call] {
        call();
        return QStringLiteral("nothing");
    };
}

const QString g_text = QStringLiteral("text");
QDomElement deviceElement()
{
    QDomDocument document;
    document.setContent(QStringLiteral("<device model='Q71'/>"));
    return document.documentElement();
}

} // namespace

Q_DECLARE_METATYPE(cOperation)

class tst_Proxies : public QObject
{
    Q_OBJECT
private slots:
    void operations_data();
    void operations();
    void keyEventsCarryTheirThreeArguments();
    void pointerArgumentsAreReleased();
    void proxiesAnswerToTheirInterface();
};

void tst_Proxies::operations_data()
{
    QTest::addColumn<int>("service");
    QTest::addColumn<cOperation>("operation");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QString>("resultType");
    QTest::addColumn<QString>("failureDefault");

    const auto row = [](const char *name, cHostServices::Service service, cOperation operation,
                        const char *signature, const char *resultType, const char *failureDefault) {
        QTest::newRow(name) << int(service) << operation << QString::fromLatin1(signature)
                            << QString::fromLatin1(resultType) << QString::fromLatin1(failureDefault);
    };
    const cHostServices::Service devMgr = cHostServices::DevMgr, profiler = cHostServices::Profiler,
                                 audio = cHostServices::AudioDeviceMgr;
    const cAbstractDevicePtr device; // a null device is enough to be passed on
    const cAudioDevicePtr noAudioDevice;

    row("registerBus", devMgr, doing([] { cDevMgrLow().registerBus(cAbstractDevBusPtr()); }),
        "registerBus(cAbstractDevBusPtr)", "", "nothing");
    row("unregisterBus", devMgr, doing([] { cDevMgrLow().unregisterBus(cAbstractDevBusPtr()); }),
        "unregisterBus(cAbstractDevBusPtr)", "", "nothing");
    row("registerDeviceProvider", devMgr,
        doing([] { cDevMgrLow().registerDeviceProvider(cAbstractDeviceProviderPtr(), QStringLiteral("A")); }),
        "registerDeviceProvider(cAbstractDeviceProviderPtr,QString)", "", "nothing");
    row("unregisterDeviceProvider", devMgr,
        doing([] { cDevMgrLow().unregisterDeviceProvider(cAbstractDeviceProviderPtr()); }),
        "unregisterDeviceProvider(cAbstractDeviceProviderPtr)", "", "nothing");
    row("generateUid", devMgr, returning([] { return cDevMgrLow().generateUid(); }), "generateUid()",
        "QString", "null string");
    row("parseManifest", devMgr, returning([] { return cDevMgrLow().parseManifest(deviceElement()); }),
        "parseManifest(const QDomElement)", "cJsonValue", "empty value");

    row("toContextId(GKey)", profiler, returning([] { return cProfiler().toContextId(GKey::G2); }),
        "toContextId(GKey::GKey_t)", "QString", "null string");
    row("toContextId(GenericButton)", profiler,
        returning([] { return cProfiler().toContextId(GenericButton::Left); }),
        "toContextId(GenericButton::GenericButton_t)", "QString", "null string");
    row("stringToGKey", profiler, returning([] { return int(cProfiler().stringToGKey(g_text)); }),
        "stringToGKey(const QString)", "GKey::GKey_t", "0");
    row("stringToGenericButton", profiler,
        returning([] { return int(cProfiler().stringToGenericButton(g_text)); }),
        "stringToGenericButton(const QString)", "GenericButton::GenericButton_t", "0");
    row("gKeyToString", profiler, returning([] { return cProfiler().gKeyToString(GKey::G1); }),
        "gKeyToString(GKey::GKey_t)", "QString", "null string");
    row("stringToMKey", profiler, returning([] { return int(cProfiler().stringToMKey(g_text)); }),
        "stringToMKey(const QString)", "MKey::MKey_t", "0");
    row("mKeyToString", profiler, returning([] { return cProfiler().mKeyToString(MKey::M1); }),
        "mKeyToString(MKey::MKey_t)", "QString", "null string");
    row("getMState", profiler, returning([] { return int(cProfiler().getMState(g_text)); }),
        "getMState(const QString)", "MKey::MKey_t", "0");
    row("setMState", profiler, returning([] { return cProfiler().setMState(g_text, g_text, MKey::M2); }),
        "setMState(const QString,const QString,MKey::MKey_t)", "bool", "false");
    row("playScriptingMacroByName", profiler,
        returning([] { return cProfiler().playScriptingMacroByName(g_text, g_text); }),
        "playScriptingMacroByName(const QString,const QString)", "bool", "false");
    row("abortScriptingMacro", profiler, returning([] { return cProfiler().abortScriptingMacro(); }),
        "abortScriptingMacro()", "bool", "false");
    row("isMouseCategory", profiler, returning([] { return cProfiler().isMouseCategory(g_text); }),
        "isMouseCategory(const QString)", "bool", "false");
    row("createProfilerDevice", profiler,
        returning([device] { return cProfiler().createProfilerDevice(device); }),
        "createProfilerDevice(cAbstractDevicePtr)", "cProfilerDevicePtr", "null pointer");
    row("refreshBacklighting", profiler, doing([] { cProfiler().refreshBacklighting(); }),
        "refreshBacklighting()", "", "nothing");
    row("refreshProfileBacklighting", profiler,
        doing([device] { cProfiler().refreshProfileBacklighting(cProfilePtr(), device); }),
        "refreshProfileBacklighting(cProfilePtr,cAbstractDevicePtr)", "", "nothing");
    row("refreshMousePointerSettings", profiler,
        doing([] { cProfiler().refreshMousePointerSettings(g_text, g_text); }),
        "refreshMousePointerSettings(const QString,const QString)", "", "nothing");
    row("setBacklightReactToProfiler", profiler, doing([] { cProfiler().setBacklightReactToProfiler(true); }),
        "setBacklightReactToProfiler(bool)", "", "nothing");

    row("createAudioDevice", audio, returning([] {
            return cAudioDeviceMgr().createAudioDevice(
                QWeakPointer<IAbstractDevice>(), cAudioRenderTransportPtr(), cAudioCaptureTransportPtr());
        }),
        "createAudioDevice(QWeakPointer<IAbstractDevice>,cAudioRenderTransportPtr,cAudioCaptureTransportPtr)",
        "cAudioDevicePtr", "null pointer");
    row("destroyAudioDevice(pointer)", audio,
        doing([noAudioDevice] { cAudioDeviceMgr().destroyAudioDevice(noAudioDevice); }),
        "destroyAudioDevice(cAudioDevicePtr)", "", "nothing");
    row("destroyAudioDevice(uid)", audio, doing([] { cAudioDeviceMgr().destroyAudioDevice(g_text); }),
        "destroyAudioDevice(const QString)", "", "nothing");
    row("getDevice", audio, returning([] { return cAudioDeviceMgr().getDevice(g_text); }),
        "getDevice(const QString)", "cAudioDevicePtr", "null pointer");
    row("getActiveDevice(model)", audio, returning([] { return cAudioDeviceMgr().getActiveDevice(g_text); }),
        "getActiveDevice(const QString)", "cAudioDevicePtr", "null pointer");
    row("getActiveDevice()", audio, returning([] { return cAudioDeviceMgr().getActiveDevice(); }),
        "getActiveDevice()", "cAudioDevicePtr", "null pointer");
    row("getDevices", audio, returning([] { return cAudioDeviceMgr().getDevices(); }), "getDevices()",
        "cAudioDeviceList", "empty list");
}

void tst_Proxies::operations()
{
    QFETCH(int, service);
    QFETCH(cOperation, operation);
    QFETCH(QString, signature);
    QFETCH(QString, resultType);
    QFETCH(QString, failureDefault);

    cHost host;
    const QString serviceName = cHostServices::name(cHostServices::Service(service));
    const QString method = signature.left(signature.indexOf(QLatin1Char('(')));
    {
        // Declared once, at construction; called once, with the contract's type names, and the
        // host's service runs the overload those names select.
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
    QCOMPARE(operation(), failureDefault);
    QCOMPARE(log.lines(),
             QStringList(QStringLiteral("Failed to call '%1' on service %2").arg(method, serviceName)));
}

void tst_Proxies::keyEventsCarryTheirThreeArguments()
{
    cHost host;
    cServiceRecorder recorder;
    cProfiler::postGKeyPressed(GKey::G2, QString(), QStringLiteral("Headset"));
    cProfiler::postGKeyReleased(GKey::G3, QStringLiteral("Q71"), QString());

    QCOMPARE(recorder.posts(),
             QStringList({QStringLiteral("Profiler_Events GKeyPressed"),
                          QStringLiteral("Profiler_Events GKeyReleased")}));
    const QList<cProfilerEventReceiver::cGKeyEvent> events = host.profilerEvents()->events();
    QCOMPARE(events.size(), 2);
    // An empty model still travels as the second argument, tagged "QString".
    QCOMPARE(events.at(0).key, GKey::G2);
    QCOMPARE(events.at(0).model, QString());
    QCOMPARE(events.at(0).category, QStringLiteral("Headset"));
    QCOMPARE(events.at(1).key, GKey::G3);
    QCOMPARE(events.at(1).model, QStringLiteral("Q71"));
    // Nobody requires a service to post an event.
    QVERIFY(recorder.calls(QStringLiteral("requireService")).isEmpty());
}

void tst_Proxies::pointerArgumentsAreReleased()
{
    cHost host;
    QWeakPointer<IAudioRenderTransport> renderLeft;
    QWeakPointer<IAudioCaptureTransport> captureLeft;
    for (bool available : {true, false}) {
        host.services().setAvailable(cHostServices::AudioDeviceMgr, available);
        cCriticalLog log;
        {
            const auto render = qSharedPointerDynamicCast<IAudioRenderTransport>(
                cTransportFactory::headset(TransportKind::Render));
            const auto capture = qSharedPointerDynamicCast<IAudioCaptureTransport>(
                cTransportFactory::headset(TransportKind::Capture));
            renderLeft = render;
            captureLeft = capture;
            cAudioDevicePtr audio
                = cAudioDeviceMgr().createAudioDevice(QWeakPointer<IAbstractDevice>(), render, capture);
            QCOMPARE(!audio.isNull(), available);
            if (audio)
                cAudioDeviceMgr().destroyAudioDevice(audio);
        }
        // Neither the proxy nor the service kept a copy once the audio device was destroyed.
        QVERIFY(renderLeft.toStrongRef().isNull());
        QVERIFY(captureLeft.toStrongRef().isNull());
    }
}

void tst_Proxies::proxiesAnswerToTheirInterface()
{
    cHost host;
    QCOMPARE(cDevMgrLow().metaObject()->className(), "IDevMgrLow");
    QCOMPARE(cProfiler().metaObject()->className(), "IProfiler");
    QCOMPARE(cAudioDeviceMgr().metaObject()->className(), "IAudioDeviceMgr");

    // The use of a service is declared when the proxy is made, not at each call.
    cServiceRecorder recorder;
    cProfiler profiler;
    QCOMPARE(recorder.count(Nexaro::cServiceTrace::Require), 1);
    profiler.abortScriptingMacro();
    profiler.abortScriptingMacro();
    QCOMPARE(recorder.count(Nexaro::cServiceTrace::Require), 1);
    QCOMPARE(recorder.calls(QStringLiteral("abortScriptingMacro")).size(), 2);
}

QTEST_GUILESS_MAIN(tst_Proxies)
#include "tst_proxies.moc"
