#include "IAbstractDeviceProvider.h"
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cHost.h"

#include <QtTest>

// The built plugin, loaded as the host loads it, registers its provider and recognises the
// transports the host's simulated bus reports for a headset.
class tst_PluginSmoke : public QObject
{
    Q_OBJECT
private slots:
    void loadsAndRegistersItsProvider();
};

void tst_PluginSmoke::loadsAndRegistersItsProvider()
{
    cHost host;
    QVERIFY2(host.loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(host.pluginError()));
    const QList<cDevMgrLowService::cProvider> providers = host.services().devMgr()->providers();
    QCOMPARE(providers.size(), 1);
    QCOMPARE(providers.constFirst().alias, QStringLiteral("Q71Device"));
    QCOMPARE(host.provider(), providers.constFirst().provider);
    // The manifest was found beside the plugin through the alias.
    QVERIFY(!host.provider()->deviceMetaData(QStringLiteral("Q71")).isNull());

    const cAbstractDevicePtr device = host.plugHeadset();
    QVERIFY(device);
    QCOMPARE(device->validate(), DeviceValidationResult::Complete);
    QCOMPARE(host.deviceManager()->devices().size(), 1);

    host.shutdownPlugin();
    QVERIFY(host.services().devMgr()->providers().isEmpty());
}

QTEST_GUILESS_MAIN(tst_PluginSmoke)
#include "tst_pluginsmoke.moc"
