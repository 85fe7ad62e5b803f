#include "cDeviceManager.h"

#include "IAbstractDeviceProvider.h"
#include "TransportKind.h"
#include "cDevMgrLowService.h"

cDeviceManager::cDeviceManager(cDevMgrLowService *registry, QObject *parent)
    : QObject(parent)
    , m_registry(registry)
{ }

cDeviceManager::~cDeviceManager() = default;

cAbstractDevicePtr cDeviceManager::offerTransport(const cAbstractTransportPtr &transport)
{
    if (!transport)
        return cAbstractDevicePtr();
    if (const cAbstractDevicePtr holder = deviceHolding(transport))
        return holder;

    const QString kind = TransportKind::nameOf(transport.data());

    // Existing devices first: a headset's second and third transports belong to the device its
    // first one created, and a provider asked first would make a second, incomplete device.
    const cAbstractDeviceList devices = m_devices;
    for (const cAbstractDevicePtr &device : devices) {
        const bool accepted = device->addTransport(transport);
        emit addTransportCalled(device.data(), kind, accepted);
        if (accepted) {
            tookTransport(device, transport);
            return device;
        }
    }

    const QList<cDevMgrLowService::cProvider> providers = m_registry->providers();
    for (const cDevMgrLowService::cProvider &entry : providers) {
        const cAbstractDevicePtr device = entry.provider->createDevice(transport);
        emit createDeviceCalled(entry.alias, kind, !device.isNull());
        if (device) {
            m_devices.append(device);
            const int deviceNumber = m_nextNumber++;
            m_numbers.insert(device.data(), deviceNumber);
            device->setId(QStringLiteral("device-%1").arg(deviceNumber));
            emit deviceAdded(device.data());
            tookTransport(device, transport);
            return device;
        }
    }
    return cAbstractDevicePtr();
}

bool cDeviceManager::withdrawTransport(const cAbstractTransportPtr &transport)
{
    int index = -1;
    for (int i = 0; i < m_holdings.size() && index < 0; ++i) {
        if (m_holdings.at(i).transport == transport)
            index = i;
    }
    if (index < 0)
        return false;

    const cAbstractDevicePtr device = m_holdings.at(index).device;
    // A running device keeps using its transports; the bus has already taken this one away, so
    // the device is stopped before it learns of the loss.
    stopDevice(device);
    device->removeTransport(transport);
    emit removeTransportCalled(device.data(), TransportKind::nameOf(transport.data()));
    m_holdings.removeAt(index);
    emit validated(device.data(), device->validate());
    if (transportsOf(device).isEmpty())
        removeDevice(device);
    return true;
}

cAbstractDevicePtr cDeviceManager::deviceHolding(const cAbstractTransportPtr &transport) const
{
    for (const cHolding &holding : m_holdings) {
        if (holding.transport == transport)
            return holding.device;
    }
    return cAbstractDevicePtr();
}

cAbstractDevicePtr cDeviceManager::deviceNumbered(int deviceNumber) const
{
    for (const cAbstractDevicePtr &device : m_devices) {
        if (deviceNumber > 0 && number(device.data()) == deviceNumber)
            return device;
    }
    return cAbstractDevicePtr();
}

int cDeviceManager::numberHolding(const IAbstractTransport *transport) const
{
    // The holdings, not a bus: a transport being unplugged has already left its bus while its
    // device still stops it.
    for (const cHolding &holding : m_holdings) {
        if (holding.transport.data() == transport)
            return number(holding.device.data());
    }
    return 0;
}

cAbstractDevicePtr cDeviceManager::oldestDevice() const
{
    cAbstractDevicePtr oldest;
    for (const cAbstractDevicePtr &device : m_devices) {
        if (!oldest || number(device.data()) < number(oldest.data()))
            oldest = device;
    }
    return oldest;
}

QList<cAbstractTransportPtr> cDeviceManager::transportsOf(const cAbstractDevicePtr &device) const
{
    QList<cAbstractTransportPtr> transports;
    for (const cHolding &holding : m_holdings) {
        if (holding.device == device)
            transports.append(holding.transport);
    }
    return transports;
}

bool cDeviceManager::startDevice(const cAbstractDevicePtr &device)
{
    if (!device || !m_devices.contains(device) || isStarted(device))
        return false;
    if (device->validate() != DeviceValidationResult::Complete)
        return false;
    emit deviceStarting(device.data());
    device->start();
    m_started.append(device.data());
    return true;
}

bool cDeviceManager::stopDevice(const cAbstractDevicePtr &device)
{
    if (!device || !m_started.removeOne(device.data()))
        return false;
    emit deviceStopping(device.data());
    device->stop();
    return true;
}

bool cDeviceManager::isStarted(const cAbstractDevicePtr &device) const
{
    return device && m_started.contains(device.data());
}

int cDeviceManager::startAll()
{
    int started = 0;
    const cAbstractDeviceList devices = m_devices;
    for (const cAbstractDevicePtr &device : devices)
        started += startDevice(device) ? 1 : 0;
    return started;
}

int cDeviceManager::stopAll()
{
    int stopped = 0;
    const cAbstractDeviceList devices = m_devices;
    for (const cAbstractDevicePtr &device : devices)
        stopped += stopDevice(device) ? 1 : 0;
    return stopped;
}

void cDeviceManager::clear()
{
    // Newest first, as a bus that goes away takes its transports back.
    while (!m_holdings.isEmpty()) {
        const cAbstractTransportPtr transport = m_holdings.constLast().transport;
        withdrawTransport(transport);
    }
}

void cDeviceManager::tookTransport(const cAbstractDevicePtr &device, const cAbstractTransportPtr &transport)
{
    m_holdings.append({transport, device});
    const DeviceValidationResult::DeviceValidationResult_t result = device->validate();
    emit validated(device.data(), result);
    if (m_autoStart && result == DeviceValidationResult::Complete)
        startDevice(device);
}

void cDeviceManager::removeDevice(const cAbstractDevicePtr &device)
{
    emit deviceRemoved(device.data());
    m_started.removeAll(device.data());
    m_devices.removeAll(device);
    m_numbers.remove(device.data());
}
