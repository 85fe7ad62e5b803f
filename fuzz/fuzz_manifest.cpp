// A device manifest as the plugin reads it: the input is the file "Device_Manifest.xml" beside the
// plugin. Each run initialises the plugin under an alias that resolves to that directory, so the
// provider reads the file through Brask::FileReadDom and has it parsed by the host's parseManifest;
// then the host offers it the headset's transports and asks for the model's metadata.
#include "FuzzApplication.h"
#include "IAbstractDeviceProvider.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cTransportFactory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir *g_directory = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    // The host finds a plugin's manifest in the plugin's own directory: the plugin is linked there.
    g_directory = new QTemporaryDir;
    const QString plugin = cHost::defaultPluginFile() + QStringLiteral(".so");
    if (!g_directory->isValid()
        || !QFile::link(plugin, g_directory->filePath(QStringLiteral("Q71Device.so")))) {
        fprintf(stderr, "cannot link %s into a temporary directory\n", qPrintable(plugin));
        abort();
    }
    Fuzz::preloadPlugin(g_directory->filePath(QStringLiteral("Q71Device")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile manifest(g_directory->filePath(QStringLiteral("Device_Manifest.xml")));
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || manifest.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        abort();
    manifest.close();

    cSimBus bus;
    cHost host;
    host.attachBus(&bus);
    host.loadPlugin(g_directory->filePath(QStringLiteral("Q71Device")), QStringLiteral("FuzzManifest"));
    const cAbstractDeviceProviderPtr provider = host.provider();
    if (!provider)
        abort(); // the plugin registers its provider whatever the manifest holds
    provider->deviceMetaData(QStringLiteral("Q71"));
    provider->deviceMetaData(QString());
    bus.plugHeadset();
    const cAbstractDevicePtr device = bus.device(host);
    bus.plugTransport(cTransportFactory::foreign(TransportKind::Hid));
    bus.plugTransport(cTransportFactory::headset(TransportKind::Other));
    if (device) {
        host.start();
        device->queryInterface(QStringLiteral("IMicrophoneModel"));
        host.exitApplication();
    }
    return 0;
}
