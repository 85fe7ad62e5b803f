// The service manager: calls by name (matching, results, failures, tracing, the method cache) and
// events (handler lookup, order, arguments, subscriptions that change or die during delivery).
#include "IServiceMgr.h"
#include "NexaroHost.h"
#include "cJsonValue.h"

#include <QDomDocument>
#include <QtTest>

#include <functional>
#include <utility>

namespace GKey {
enum GKey_t { G1 = 1, G2 = 2, G3 = 3 };
}
namespace GenericButton {
enum GenericButton_t { Left = 1, Right = 2 };
}
struct cPayload
{ };
typedef QSharedPointer<cPayload> cPayloadPtr;
Q_DECLARE_METATYPE(GKey::GKey_t)
Q_DECLARE_METATYPE(GenericButton::GenericButton_t)
Q_DECLARE_METATYPE(cPayloadPtr)

// A service to call and a receiver of events, writing what ran to a shared log.
class cTestObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    cTestObject(const QString &name, QStringList *log)
        : m_name(name)
        , m_log(log)
    { }
    std::function<void()> action; // run once by the next ExitApplication, as the handler's last step

    Q_INVOKABLE QString toContextId(GKey::GKey_t key) { return ran(QStringLiteral("G%1").arg(int(key))); }
    Q_INVOKABLE QString toContextId(GenericButton::GenericButton_t b)
    {
        return ran("B" + QString::number(b));
    }
    Q_INVOKABLE void destroyAudioDevice(cPayloadPtr device) { ran(device ? "ptr" : "null"); }
    Q_INVOKABLE void destroyAudioDevice(QString name) { ran("name " + name); }
    Q_INVOKABLE QString parseManifest(const QDomElement &e, const QString &a) { return ran(e.tagName() + a); }
    Q_INVOKABLE const cJsonValue &deviceInfo()
    {
        ran("deviceInfo");
        return m_info;
    }
    Q_INVOKABLE void handleExitApplication() { ran(m_name + " handle"); }

public slots:
    void onExitApplication()
    {
        ran(m_name);
        if (const std::function<void()> run = std::exchange(action, nullptr))
            run();
    }
    void onGKeyPressed(GKey::GKey_t key, QString model) { ran(m_name + ' ' + QString::number(key) + model); }

signals:
    void onSignalOnly();

private:
    QString ran(const QString &what)
    {
        *m_log << what;
        return what;
    }
    QString m_name;
    QStringList *m_log;
    cJsonValue m_info;
};

class cOtherService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "2")
public:
    Q_INVOKABLE QString toContextId(GKey::GKey_t key) { return QStringLiteral("other G%1").arg(int(key)); }
};

class cRecorder final : public Nexaro::IServiceObserver
{
public:
    QList<Nexaro::cServiceTrace> traces;
    void observe(const Nexaro::cServiceTrace &trace) override { traces << trace; }
};

static QStringList g_messages;
static void captureMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_messages << text;
}

static const QString kService = "Test.Service";

class tst_NexaroServices : public QObject
{
    Q_OBJECT
    IServiceMgr *m_mgr = IServiceMgr::instance();
    cTestObject *m_service = nullptr;
    QStringList m_log;
    QMap<QString, QPointer<cTestObject>> m_receivers;

    cTestObject *receiver(const QString &name) const { return m_receivers.value(name).data(); }
    void subscribe(const QString &source, const QStringList &names)
    {
        for (const QString &name : names)
            QVERIFY(m_mgr->subscribeEvents(source, receiver(name), "on"));
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<GKey::GKey_t>("GKey::GKey_t");
        qRegisterMetaType<GenericButton::GenericButton_t>("GenericButton::GenericButton_t");
        qRegisterMetaType<cPayloadPtr>("cPayloadPtr");
    }
    void init()
    {
        m_service = new cTestObject("service", &m_log);
        Nexaro::registerService(kService, m_service);
        m_log.clear();
        for (const char *name : {"a", "b", "c", "d"})
            m_receivers.insert(name, new cTestObject(name, &m_log));
    }
    void cleanup()
    {
        delete m_service;
        for (const QPointer<cTestObject> &r : std::as_const(m_receivers))
            delete r.data();
        m_receivers.clear();
    }

    void overloadsAndNormalisation()
    {
        const cPayloadPtr device(new cPayload);
        const QDomElement element = QDomDocument().createElement("device");
        QString id;
        QVERIFY(m_mgr->callService(kService, "toContextId", Q_RETURN_ARG(QString, id),
                                   Q_ARG(GKey::GKey_t, GKey::G2)));
        QCOMPARE(id, QStringLiteral("G2"));
        QVERIFY(m_mgr->callService(kService, "toContextId", Q_RETURN_ARG(QString, id),
                                   Q_ARG(GenericButton::GenericButton_t, GenericButton::Right)));
        QCOMPARE(id, QStringLiteral("B2"));
        QVERIFY(m_mgr->callService(kService, "destroyAudioDevice", Q_ARG(cPayloadPtr, device)));
        QVERIFY(m_mgr->callService(kService, "destroyAudioDevice", Q_ARG(QString, "Q71")));
        QVERIFY(m_mgr->callService(kService, "parseManifest", Q_RETURN_ARG(QString, id),
                                   Q_ARG(const QDomElement, element), Q_ARG(const QString, "Q71")));
        QCOMPARE(m_log, QStringList({"G2", "B2", "ptr", "name Q71", "deviceQ71"}));
    }

    void resultType()
    {
        // moc records a method returning a reference as returning void.
        cJsonValue info("untouched");
        QVERIFY(m_mgr->callService(kService, "deviceInfo"));
        QVERIFY(!m_mgr->callService(kService, "deviceInfo", Q_RETURN_ARG(cJsonValue, info)));
        QCOMPARE(info.toString(), QStringLiteral("untouched"));
        QVERIFY(m_mgr->callService(kService, "toContextId", Q_ARG(GKey::GKey_t, GKey::G3)));
        QCOMPARE(m_log, QStringList({"deviceInfo", "G3"}));
    }

    void missing_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("typeName");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const QString &service, const char *method,
                            const char *typeName, const QString &reason) {
            QTest::newRow(name) << service << QString(method) << QByteArray(typeName) << reason;
        };
        const QString noMethod = R"(callService: service "Test.Service" (cTestObject) has no method )";
        row("no service", "Missing.Service", "toContextId", "GKey::GKey_t",
            R"(callService: no service "Missing.Service" for toContextId(GKey::GKey_t))");
        row("no method", kService, "toContextIds", "GKey::GKey_t", noMethod + "toContextIds(GKey::GKey_t)");
        row("no overload", kService, "toContextId", "int", noMethod + "toContextId(int)");
        row("result type", kService, "toContextId", "GKey::GKey_t",
            R"(callService: toContextId(GKey::GKey_t) of service "Test.Service" returns QString, not QByteArray)");
    }
    void missing()
    {
        QFETCH(QString, service);
        QFETCH(QString, method);
        QFETCH(QByteArray, typeName);
        QFETCH(QString, reason);
        int key = GKey::G1;
        QByteArray result("untouched");
        const auto call = [&] {
            return m_mgr->callService(service, method, Q_RETURN_ARG(QByteArray, result),
                                      QGenericArgument(typeName.constData(), &key));
        };
        g_messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        const bool ok = call();
        qInstallMessageHandler(previous);
        QVERIFY(!ok);
        QCOMPARE(g_messages, QStringList()); // the caller's line is the only one a user sees
        QCOMPARE(result, QByteArray("untouched"));
        QCOMPARE(m_log, QStringList());

        QLoggingCategory::setFilterRules("nexaro.services.warning=true");
        QTest::ignoreMessage(QtWarningMsg, qPrintable(reason));
        QVERIFY(!call());
        QLoggingCategory::setFilterRules(QString());
    }

    // The plugin tests read names, type names, argument values and posts from the trace; these are
    // the parts they never meet.
    void observer()
    {
        cRecorder recorder;
        Nexaro::addObserver(&recorder);
        cPayload unregistered;
        QString id;
        QVERIFY(m_mgr->callService(kService, "toContextId", Q_RETURN_ARG(QString, id),
                                   Q_ARG(GKey::GKey_t, GKey::G2)));
        QVERIFY(!m_mgr->callService(kService, "toContextId", Q_RETURN_ARG(QString, id),
                                    Q_ARG(cPayload, unregistered)));
        QVERIFY(!m_mgr->requireService(kService, "2"));
        QVERIFY(m_mgr->subscribeEvents("Observed_Events", receiver("a"), "on"));
        Nexaro::removeObserver(&recorder);
        QVERIFY(m_mgr->unsubscribeEvents("Observed_Events", receiver("a")));

        QCOMPARE(recorder.traces.size(), 4);
        QCOMPARE(recorder.traces.at(0).result.toString(), QStringLiteral("G2"));
        const Nexaro::cServiceTrace &failed = recorder.traces.at(1);
        QVERIFY(!failed.ok && !failed.result.isValid());
        QCOMPARE(failed.arguments.at(0).typeName, QByteArray("cPayload"));
        QVERIFY(!failed.arguments.at(0).value.isValid());
        const Nexaro::cServiceTrace &require = recorder.traces.at(2);
        QVERIFY(require.kind == Nexaro::cServiceTrace::Require && !require.ok);
        QCOMPARE(require.member, QStringLiteral("2"));
        const Nexaro::cServiceTrace &subscribe = recorder.traces.at(3);
        QVERIFY(subscribe.kind == Nexaro::cServiceTrace::Subscribe && subscribe.receiver == receiver("a"));
    }

    void cacheKeepsAnswers()
    {
        // Names that keep their storage, as the proxies' do, are found by address on repeats.
        const QString method = "toContextId";
        QString id;
        GKey::GKey_t key = GKey::G1;
        GenericButton::GenericButton_t button = GenericButton::Left;
        // Type names compare by content: a buffer reused for another name reaches another overload.
        char typeName[40];
        for (int round = 0; round < 3; ++round) {
            qstrcpy(typeName, "GKey::GKey_t");
            QVERIFY(m_mgr->callService(kService, method, Q_RETURN_ARG(QString, id),
                                       QGenericArgument(typeName, &key)));
            QCOMPARE(id, QStringLiteral("G1"));
            qstrcpy(typeName, "GenericButton::GenericButton_t");
            QVERIFY(m_mgr->callService(kService, method, Q_RETURN_ARG(QString, id),
                                       QGenericArgument(typeName, &button)));
            QCOMPARE(id, QStringLiteral("B1"));
        }
        QVERIFY(m_mgr->requireService(kService, "1"));
        // A service object deleted without being unregistered is gone.
        delete m_service;
        m_service = nullptr;
        QVERIFY(!Nexaro::service(kService));
        QVERIFY(!m_mgr->callService(kService, method, Q_ARG(GenericButton::GenericButton_t, button)));
        QVERIFY(!m_mgr->requireService(kService, "1"));
    }

    void cachedCallsFollowChanges()
    {
        // Calls read the cached answers without a lock: a change made on another thread, and a
        // cache that was cleared, must still reach them.
        const QString method = "toContextId";
        GKey::GKey_t key = GKey::G1;
        QThread worker;
        QObject context;
        context.moveToThread(&worker);
        worker.start();
        const auto stop = qScopeGuard([&worker] {
            worker.quit();
            worker.wait();
        });
        const auto callOnWorker = [&] {
            QStringList ids;
            QMetaObject::invokeMethod(
                &context,
                [&] {
                    for (int i = 0; i < 2; ++i) {
                        QString id;
                        if (m_mgr->callService(kService, method, Q_RETURN_ARG(QString, id),
                                               Q_ARG(GKey::GKey_t, key)))
                            ids << id;
                    }
                },
                Qt::BlockingQueuedConnection);
            return ids;
        };
        QCOMPARE(callOnWorker(), QStringList({"G1", "G1"}));

        cOtherService other;
        Nexaro::registerService(kService, &other);
        QCOMPARE(callOnWorker(), QStringList({"other G1", "other G1"}));
        QVERIFY(!m_mgr->requireService(kService, "1"));
        Nexaro::clearMethodCache();
        QCOMPARE(callOnWorker(), QStringList({"other G1", "other G1"}));
        QVERIFY(!m_mgr->callService(kService, method,
                                    Q_ARG(GenericButton::GenericButton_t, GenericButton::Left)));

        Nexaro::unregisterService(kService);
        QCOMPARE(callOnWorker(), QStringList());
    }

    void eventDispatch()
    {
        const QString source = "MainApp_Events";
        QObject deaf;
        subscribe(source, {"a"});
        QVERIFY(m_mgr->subscribeEvents(source, receiver("b"), "handle"));
        QVERIFY(m_mgr->subscribeEvents(source, &deaf, "on"));
        subscribe(source, {"c"});
        QVERIFY(m_mgr->postEvent(source, "ExitApplication"));
        QCOMPARE(m_log, QStringList({"a", "b handle", "c"}));

        m_log.clear();
        QVERIFY(
            m_mgr->postEvent(source, "GKeyPressed", Q_ARG(GKey::GKey_t, GKey::G2), Q_ARG(QString, "Q71")));
        QCOMPARE(m_log, QStringList({"a 2Q71", "c 2Q71"}));
        QVERIFY(!m_mgr->postEvent(source, "SignalOnly")); // a signal is no handler
        QVERIFY(!m_mgr->postEvent(source, "ExitApplication", Q_ARG(QString, "Q71")));
        QVERIFY(!m_mgr->postEvent("Profiler_Events", "ExitApplication"));
        QCOMPARE(m_log.size(), 2);

        // Subscribing again keeps the receiver's place and takes the new prefix.
        m_log.clear();
        QVERIFY(m_mgr->subscribeEvents(source, receiver("a"), "handle"));
        QVERIFY(m_mgr->postEvent(source, "ExitApplication"));
        QCOMPARE(m_log, QStringList({"a handle", "b handle", "c"}));
        QVERIFY(m_mgr->unsubscribeEvents(source, &deaf));
        QVERIFY(!m_mgr->unsubscribeEvents(source, &deaf));
    }

    void changesDuringDelivery_data()
    {
        QTest::addColumn<QStringList>("change"); // whose handler, does what, to whom
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        const auto row = [](const char *name, const char *change, const char *first, const char *second) {
            QTest::newRow(name) << QString(change).split(' ') << QString(first).split(' ')
                                << QString(second).split(' ');
        };
        row("leaves itself", "a unsubscribe a", "a b c", "b c");
        row("removes a later one", "a unsubscribe b", "a c", "a c");
        row("removes an earlier one", "b unsubscribe a", "a b c", "b c");
        row("adds one", "a subscribe d", "a b c", "a b c d");
        row("deletes a later one", "a delete b", "a c", "a c");
        row("deletes itself", "a delete a", "a b c", "b c");
    }
    void changesDuringDelivery()
    {
        QFETCH(QStringList, change);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        const QString source = "Changes_Events";
        subscribe(source, {"a", "b", "c"});
        cTestObject *other = receiver(change.at(2));
        receiver(change.at(0))->action = [this, verb = change.at(1), other, source] {
            if (verb == "unsubscribe")
                m_mgr->unsubscribeEvents(source, other);
            else if (verb == "subscribe")
                m_mgr->subscribeEvents(source, other, "on");
            else
                delete other;
        };
        QVERIFY(m_mgr->postEvent(source, "ExitApplication"));
        QCOMPARE(m_log, first);
        m_log.clear();
        QVERIFY(m_mgr->postEvent(source, "ExitApplication"));
        QCOMPARE(m_log, second);
    }
};

QTEST_GUILESS_MAIN(tst_NexaroServices)
#include "tst_nexaro_services.moc"
