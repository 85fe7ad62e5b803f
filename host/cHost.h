#pragma once
#include "Types.h"
#include "cDeviceManager.h"
#include "cHostServices.h"
#include "cMicrophoneClient.h"
#include "cPluginLoader.h"
#include "cProfilerEventReceiver.h"

#include <QList>
#include <QObject>

class ITransportBus;

// The host application in one object: its three services registered under their names, the
// profiler listening for key events, the device manager, and the plugin it loads. Transports come
// from the buses it is given; the host offers what appears on them to its devices.
class cHost : public QObject
{
    Q_OBJECT
public:
    explicit cHost(QObject *parent = nullptr);
    // Takes every transport back from the devices (they see removeTransport, newest first), shuts
    // the plugin down and takes the services away. The plugin library stays loaded.
    ~cHost() override;

    // The plugin as the build tree places it, named without its platform suffix.
    static QString defaultPluginFile();

    // True once the plugin is loaded, initialised, and its device provider is accepted under
    // `alias`; otherwise pluginError() says why (the plugin may still be loaded).
    bool loadPlugin(const QString &fileName = defaultPluginFile(),
                    const QString &alias = QLatin1String(cPluginLoader::DefaultAlias));
    void shutdownPlugin();
    QString pluginError() const { return m_pluginError; }
    cAbstractDeviceProviderPtr provider() const;

    // Listens to `bus` from now on: what is on it already is offered at once, in its order. The
    // bus stays the caller's.
    void attachBus(ITransportBus *bus);

    cHostServices &services() { return m_services; }
    cDeviceManager *deviceManager() { return &m_deviceManager; }
    cProfilerEventReceiver *profilerEvents() { return &m_profilerEvents; }
    // The device holding `transport`, or null.
    cAbstractDevicePtr deviceHolding(const cAbstractTransportPtr &transport) const;

    // Start and stop every device the device manager may start; the count of devices affected.
    int start();
    int stop();

    // The host application is closing: "ExitApplication" on "MainApp_Events". True when some
    // subscriber handled it.
    bool exitApplication();

    static cMicrophoneClient microphone(const cAbstractDevicePtr &device)
    {
        return cMicrophoneClient(device);
    }

private:
    cHostServices m_services;
    // After the services, so that what is left of the devices goes before the services do.
    cDeviceManager m_deviceManager;
    cProfilerEventReceiver m_profilerEvents;
    cPluginLoader m_loader;
    QString m_pluginError;
    QList<ITransportBus *> m_buses;
};
