#pragma once
#include "TransportKind.h"
#include "Types.h"
#include "cHostServices.h"
#include "cMicrophoneClient.h"
#include "cPluginLoader.h"

#include <QList>
#include <QObject>

class cDeviceManager;
class cProfilerEventReceiver;
class cSimHidTransport;

// The host application in one object: its three services registered under their names, the
// profiler listening for key events, the device manager, a simulated bus that plugs and unplugs
// transports, and the plugin it loads.
class cHost : public QObject
{
    Q_OBJECT
public:
    explicit cHost(QObject *parent = nullptr);
    // Detaches every transport (devices see removeTransport), shuts the plugin down and takes the
    // services away. The plugin library stays loaded.
    ~cHost() override;

    // The plugin as the build tree places it, named without its platform suffix.
    static QString defaultPluginFile();

    // True once the plugin is loaded, initialised, and its device provider is accepted under
    // `alias`; otherwise pluginError() says why (the plugin may still be loaded).
    bool loadPlugin(const QString &fileName = defaultPluginFile(),
                    const QString &alias = QLatin1String(cPluginLoader::DefaultAlias));
    void shutdownPlugin();
    QString pluginError() const { return m_pluginError; }
    const cPluginLoader &pluginLoader() const { return m_loader; }
    cAbstractDeviceProviderPtr provider() const;

    cHostServices &services() { return m_services; }
    cDeviceManager *deviceManager() const { return m_deviceManager; }
    cProfilerEventReceiver *profilerEvents() const { return m_profilerEvents; }

    // A headset transport of unit `unit` appears on the bus and is offered to the devices. An
    // already plugged transport with the same uid is returned as it is, not offered again.
    cAbstractTransportPtr plug(TransportKind::TransportKind_t kind, int unit = 1);
    // Any transport appears (another product's, a second object with a known uid...). Returns the
    // device that took it, or null.
    cAbstractDevicePtr plugTransport(const cAbstractTransportPtr &transport);
    // HID, render and capture of one unit, in that order. The device they ended in, or null.
    cAbstractDevicePtr plugHeadset(int unit = 1);
    bool unplug(TransportKind::TransportKind_t kind, int unit = 1);
    bool unplugTransport(const cAbstractTransportPtr &transport);
    void unplugAll();

    QList<cAbstractTransportPtr> pluggedTransports() const { return m_plugged; }
    // The plugged headset transport of that kind and unit, or null.
    cAbstractTransportPtr transport(TransportKind::TransportKind_t kind, int unit = 1) const;
    QSharedPointer<cSimHidTransport> hidTransport(int unit = 1) const;
    // The device holding any plugged transport of the unit, or null.
    cAbstractDevicePtr device(int unit = 1) const;

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
    cDeviceManager *m_deviceManager;
    cProfilerEventReceiver *m_profilerEvents;
    cPluginLoader m_loader;
    QString m_pluginError;
    QList<cAbstractTransportPtr> m_plugged;
};
