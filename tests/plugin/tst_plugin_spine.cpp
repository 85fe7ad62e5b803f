// The plugin's life as the host drives it: entry, initialisation, registration of its provider,
// shutdown, and the manifest the provider reads.
#include "IAbstractDeviceProvider.h"
#include "IPlugin.h"
#include "NexaroHost.h"
#include "cDevMgrLowService.h"
#include "cHost.h"
#include "cPluginContext.h"
#include "cServiceRecorder.h"
#include "cToolRun.h"
#include "cTransportFactory.h"

#include <QDomElement>
#include <QtTest>

#include <memory>

namespace {

const QString g_pluginFile = QStringLiteral(Q71_TEST_PLUGIN_FILE);

IPlugin *entrypointOf(const QString &file)
{
    QLibrary library(file);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    const auto entrypoint = reinterpret_cast<cPluginEntrypoint>(library.resolve("entrypoint"));
    return entrypoint ? entrypoint() : nullptr;
}

QObject *providerObject(const Nexaro::cServiceTrace &registration)
{
    return registration.arguments.value(0).value.value<cAbstractDeviceProviderPtr>().data();
}

} // namespace

class tst_PluginSpine : public QObject
{
    Q_OBJECT
private:
    // Initialises the plugin under `alias`, its manifest in `directory`, as a host loading it from
    // there would; the plugin or, when initialize() failed, null.
    IPlugin *initializeIn(const QString &directory, const QString &alias)
    {
        IPlugin *plugin = entrypointOf(g_pluginFile);
        m_context.reset(new cPluginContext(alias, directory, cLog("q71.test")));
        Nexaro::registerAliasDirectory(alias, directory);
        return plugin->initialize(m_context.get()) ? plugin : nullptr;
    }
    // Initialises the plugin with `manifest` as its manifest under `alias`; its provider, or null.
    cAbstractDeviceProviderPtr initializeWith(cHost &host, const QByteArray &manifest, const QString &alias)
    {
        if (!writeFile(m_manifestDir.filePath("Device_Manifest.xml"), manifest))
            return cAbstractDeviceProviderPtr();
        m_plugin = initializeIn(m_manifestDir.path(), alias);
        return m_plugin ? host.services().devMgr()->provider(alias) : cAbstractDeviceProviderPtr();
    }
    std::unique_ptr<cPluginContext> m_context;
    QTemporaryDir m_manifestDir;
    IPlugin *m_plugin = nullptr;

private slots:
    // Runs first: the plugin object is the library's one static object, untouched so far.
    void shutdownBeforeInitializeUnregistersNothing()
    {
        cHost host;
        cServiceRecorder recorder;
        IPlugin *plugin = entrypointOf(g_pluginFile);
        QVERIFY(plugin);
        QCOMPARE(entrypointOf(g_pluginFile), plugin);
        plugin->shutdown();

        const QList<Nexaro::cServiceTrace> calls = recorder.calls("unregisterDeviceProvider");
        QCOMPARE(calls.size(), 1);
        QVERIFY(calls.constFirst().ok);
        QCOMPARE(calls.constFirst().arguments.size(), 1);
        QVERIFY(!providerObject(calls.constFirst()));
    }

    void providerRegisteredUnderItsAliasUntilShutdown()
    {
        cHost host;
        {
            cServiceRecorder recorder;
            QVERIFY2(host.loadPlugin(g_pluginFile, "HeadsetAlias"), qPrintable(host.pluginError()));
            // The manifest is parsed before the provider is registered, with the element by reference,
            // and the alias the provider's constructor found its manifest with is the one registered.
            QCOMPARE(recorder.callSignatures(),
                     QStringList({"parseManifest(const QDomElement)",
                                  "registerDeviceProvider(cAbstractDeviceProviderPtr,QString)"}));
            const Nexaro::cServiceTrace registration = recorder.calls("registerDeviceProvider").constFirst();
            QCOMPARE(registration.arguments.at(1).value.toString(), QStringLiteral("HeadsetAlias"));
            QCOMPARE(providerObject(registration), host.provider().data());
        }
        const QPointer<QObject> registered = host.provider().data();
        {
            // Each recorder keeps copies of the arguments it saw, the provider among them, while it lives.
            cServiceRecorder recorder;
            host.shutdownPlugin();
            QCOMPARE(recorder.callSignatures(),
                     QStringList("unregisterDeviceProvider(cAbstractDeviceProviderPtr)"));
        }
        QVERIFY(host.services().devMgr()->providers().isEmpty());
        QVERIFY2(registered.isNull(), "nobody holds the provider after shutdown");
    }

    void initializeWithoutDeviceManager()
    {
        cHost host;
        host.services().setAvailable(cHostServices::DevMgr, false);
        IPlugin *plugin = nullptr;
        {
            cCriticalLog log;
            QVERIFY(plugin = initializeIn(QFileInfo(g_pluginFile).absolutePath(), "Q71Device"));
            QCOMPARE(log.lines(),
                     QStringList({"Failed to call 'parseManifest' on service DevMgr.DevMgrLow",
                                  "Failed to call 'registerDeviceProvider' on service DevMgr.DevMgrLow"}));
        }

        // The provider was kept: once the device manager is back, shutdown hands it over to be
        // unregistered.
        host.services().setAvailable(cHostServices::DevMgr, true);
        cServiceRecorder recorder;
        plugin->shutdown();
        const QList<Nexaro::cServiceTrace> calls = recorder.calls("unregisterDeviceProvider");
        QCOMPARE(calls.size(), 1);
        QVERIFY(providerObject(calls.constFirst()));
    }

    void manifest_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("parsed");

        const QByteArray twoDevices
            = "<m><device model='Q71' name='first'><profiler category='Headset'/></device>"
              "<device model='Q72' name='second'/></m>";
        QTest::newRow("no device element")
            << QByteArrayLiteral("<m><headset model='Q71'/></m>") << "Q71" << false << false;
        QTest::newRow("first of two devices") << twoDevices << "Q71" << true << true;
        QTest::newRow("second of two devices is never used") << twoDevices << "Q72" << false << true;
        QTest::newRow("model compared with its case") << twoDevices << "q71" << false << true;
    }

    void manifest()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, model);
        QFETCH(bool, found);
        QFETCH(bool, parsed);

        cHost host;
        cServiceRecorder recorder;
        const cAbstractDeviceProviderPtr provider = initializeWith(host, content, "ManifestTest");
        QVERIFY(provider);

        QCOMPARE(recorder.calls(QStringLiteral("parseManifest")).size(), parsed ? 1 : 0);
        const QDomElement element = provider->deviceMetaData(model);
        QCOMPARE(!element.isNull(), found);
        if (found)
            QCOMPARE(element.attribute(QStringLiteral("name")), QStringLiteral("first"));
        // Without a device element the provider claims nothing.
        if (!parsed)
            QVERIFY(!provider->createDevice(cTransportFactory::headset(TransportKind::Hid)));
        m_plugin->shutdown();
    }

    void profilerCategory_data()
    {
        QTest::addColumn<QString>("profiler"); // replaces the shipped manifest's profiler element
        QTest::addColumn<bool>("present");

        QTest::newRow("category given") << "<profiler category=\"Speakers\"/>" << true;
        QTest::newRow("category empty") << "<profiler category=\"\"/>" << false;
        QTest::newRow("category missing") << "<profiler/>" << false;
        QTest::newRow("no profiler element") << "" << false;
    }

    // The device information carries the profiler category only when the manifest names one: an
    // empty string there would be a category the host files profiles and key events under.
    void profilerCategory()
    {
        QFETCH(QString, profiler);
        QFETCH(bool, present);

        QString content = QString::fromUtf8(
            readFile(QFileInfo(g_pluginFile).absoluteDir().filePath("Device_Manifest.xml")));
        const QString original = "<profiler category=\"Headset\"/>";
        QVERIFY(content.contains(original));
        content.replace(original, profiler);
        cHost host;
        const cAbstractDeviceProviderPtr provider = initializeWith(host, content.toUtf8(), "CategoryTest");
        QVERIFY(provider);

        // Twice: the provider fills the category in on every match, into information it keeps.
        for (int i = 0; i < 2; ++i) {
            const cAbstractDevicePtr device
                = provider->createDevice(cTransportFactory::headset(TransportKind::Hid));
            QVERIFY(device);
            const cJsonValue &info = device->deviceInfo();
            QCOMPARE(info.contains(QStringLiteral("profiler")), present);
            QCOMPARE(info["profiler"]["category"].toString(),
                     present ? QStringLiteral("Speakers") : QString());
        }
        m_plugin->shutdown();
    }
};

QTEST_GUILESS_MAIN(tst_PluginSpine)

#include "tst_plugin_spine.moc"
