#include "cAudioDeviceMgrService.h"

#include "IAbstractDevice.h"
#include "cHostAudioDevice.h"

#include <utility>

cAudioDeviceMgrService::cAudioDeviceMgrService(QObject *parent)
{
    setParent(parent);
}

cAudioDevicePtr cAudioDeviceMgrService::createAudioDevice(QWeakPointer<IAbstractDevice> device,
                                                          cAudioRenderTransportPtr renderTransport,
                                                          cAudioCaptureTransportPtr captureTransport)
{
    if (!renderTransport || !captureTransport)
        return cAudioDevicePtr();

    QString name;
    QString model;
    // The strong reference lives only for these lines: holding it longer would keep the device
    // alive through its own audio device.
    if (const cAbstractDevicePtr owner = device.toStrongRef()) {
        name = owner->deviceInfo()["audio_device_name"].toString();
        model = owner->model();
    }
    const QString uid = QStringLiteral("AudioDevice-%1").arg(++m_created);
    QSharedPointer<cHostAudioDevice> audioDevice(
        new cHostAudioDevice(uid, name, model, device, renderTransport, captureTransport));
    connect(audioDevice.data(), &cHostAudioDevice::modelCalled, this, [this, uid](const cModelCall &call) {
        emit modelCalled(uid, call);
        if (call.effect == cModelCall::VolumeStep)
            emit volumeStepped(uid, call.value);
        else if (call.effect == cModelCall::DolbySwitch)
            emit dolbySwitched(uid, call.value != 0);
    });
    m_devices.append(audioDevice);
    emit audioDeviceCreated(uid);
    return audioDevice;
}

void cAudioDeviceMgrService::destroyAudioDevice(cAudioDevicePtr device)
{
    remove(m_devices.indexOf(device));
}

void cAudioDeviceMgrService::destroyAudioDevice(const QString &deviceUid)
{
    for (int i = 0; i < m_devices.size(); ++i) {
        if (m_devices.at(i)->deviceUid() == deviceUid) {
            remove(i);
            return;
        }
    }
}

cAudioDevicePtr cAudioDeviceMgrService::getDevice(const QString &deviceUid)
{
    for (const cAudioDevicePtr &device : std::as_const(m_devices)) {
        if (device->deviceUid() == deviceUid)
            return device;
    }
    return cAudioDevicePtr();
}

cAudioDevicePtr cAudioDeviceMgrService::getActiveDevice(const QString &deviceModel)
{
    for (int i = m_devices.size() - 1; i >= 0; --i) {
        if (m_devices.at(i)->deviceModel() == deviceModel)
            return m_devices.at(i);
    }
    return cAudioDevicePtr();
}

cAudioDevicePtr cAudioDeviceMgrService::getActiveDevice()
{
    return m_devices.isEmpty() ? cAudioDevicePtr() : m_devices.constLast();
}

QSharedPointer<cHostAudioDevice> cAudioDeviceMgrService::hostDevice(const cAudioDevicePtr &device)
{
    return qSharedPointerDynamicCast<cHostAudioDevice>(device);
}

cAbstractDevicePtr cAudioDeviceMgrService::deviceOf(const QString &deviceUid)
{
    const QSharedPointer<cHostAudioDevice> audio = hostDevice(getDevice(deviceUid));
    return audio ? audio->device().toStrongRef() : cAbstractDevicePtr();
}

void cAudioDeviceMgrService::remove(int index)
{
    if (index < 0)
        return;
    const cAudioDevicePtr device = m_devices.takeAt(index);
    // The device may live on in other hands; its model calls are no longer this manager's news.
    disconnect(device.data(), nullptr, this, nullptr);
    emit audioDeviceDestroyed(device->deviceUid());
}
