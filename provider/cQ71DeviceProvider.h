#pragma once
#include "IAbstractDeviceProvider.h"
#include "cJsonValue.h"

#include <QDomElement>

// Builds a headset device around each transport of a Q71 that the host offers. The manifest is
// read once, at construction; the provider keeps no record of the devices it made.
class cQ71DeviceProvider : public IAbstractDeviceProvider
{
    Q_OBJECT
public:
    cQ71DeviceProvider();

    cAbstractDevicePtr createDevice(cAbstractTransportPtr transport) override;
    QDomElement deviceMetaData(const QString &deviceModel) override;

private:
    QDomElement m_deviceXml;
    cJsonValue m_deviceInfo;
};
