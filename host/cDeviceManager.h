#pragma once
#include "IAbstractDevice.h"
#include "Types.h"

#include <QHash>
#include <QList>
#include <QObject>

class cDevMgrLowService;

// The host's device flow: transports that appear are offered to the devices that exist, then to
// the registered providers; devices are kept while they hold a transport, and started and stopped
// on request. Every call into a device or provider that returns something is announced by a
// signal after it returned; start() and stop(), which return nothing, are announced before they
// are made, so that a trace can show what a device does while it starts or stops after the call
// that caused it.
//
// The host numbers its devices from 1 in the order they appear, never giving a number twice, and
// names each "device-N" after it, as the host application names the devices it keeps.
class cDeviceManager : public QObject
{
    Q_OBJECT
public:
    explicit cDeviceManager(cDevMgrLowService *registry, QObject *parent = nullptr);
    ~cDeviceManager() override;

    // A transport appeared. Returns the device that took it, or null when none did.
    cAbstractDevicePtr offerTransport(const cAbstractTransportPtr &transport);
    // A transport disappeared. False when no device held it.
    bool withdrawTransport(const cAbstractTransportPtr &transport);

    cAbstractDeviceList devices() const { return m_devices; }
    cAbstractDevicePtr deviceHolding(const cAbstractTransportPtr &transport) const;
    QList<cAbstractTransportPtr> transportsOf(const cAbstractDevicePtr &device) const;

    // The number of a device the manager holds, or of one whose removal is being announced; 0 for
    // any other.
    int number(const IAbstractDevice *device) const { return m_numbers.value(device, 0); }
    // The number the next device will take.
    int nextNumber() const { return m_nextNumber; }
    // The device numbered `deviceNumber`, while the manager holds it.
    cAbstractDevicePtr deviceNumbered(int deviceNumber) const;
    // The number of the device that holds `transport`; 0 when none does.
    int numberHolding(const IAbstractTransport *transport) const;
    // The oldest device held, the one commands without a number address.
    cAbstractDevicePtr oldestDevice() const;

    // Starts a device only when it reports itself complete; a device does not check that itself.
    bool startDevice(const cAbstractDevicePtr &device);
    // Stops a started device; false when it was not started.
    bool stopDevice(const cAbstractDevicePtr &device);
    bool isStarted(const cAbstractDevicePtr &device) const;
    int startAll();
    int stopAll();

    // When set, a device is started as soon as a transport makes it complete.
    void setAutoStart(bool on) { m_autoStart = on; }

    // Stops every device and releases the host's references to them and their transports.
    void clear();

signals:
    void addTransportCalled(IAbstractDevice *device, const QString &kind, bool accepted);
    void createDeviceCalled(const QString &providerAlias, const QString &kind, bool created);
    void deviceAdded(IAbstractDevice *device);
    void removeTransportCalled(IAbstractDevice *device, const QString &kind);
    void validated(IAbstractDevice *device, int result);
    void deviceStarting(IAbstractDevice *device);
    void deviceStopping(IAbstractDevice *device);
    // Emitted before the host drops its reference, so the device is still alive in the slot.
    void deviceRemoved(IAbstractDevice *device);

private:
    struct cHolding
    {
        cAbstractTransportPtr transport;
        cAbstractDevicePtr device;
    };

    void tookTransport(const cAbstractDevicePtr &device, const cAbstractTransportPtr &transport);
    void removeDevice(const cAbstractDevicePtr &device);

    cDevMgrLowService *m_registry;
    cAbstractDeviceList m_devices;
    QList<cHolding> m_holdings;
    QList<IAbstractDevice *> m_started;
    QHash<const IAbstractDevice *, int> m_numbers;
    int m_nextNumber = 1;
    bool m_autoStart = false;
};
