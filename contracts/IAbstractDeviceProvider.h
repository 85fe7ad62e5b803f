#pragma once
#include "IAbstractDevice.h"
#include "IAbstractTransport.h"
#include "Types.h"

#include <QDomElement>
#include <QObject>
#include <QString>

// Turns transports that the host discovered into devices of one product.
class IAbstractDeviceProvider : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    // A new device holding `transport`, or null when the transport is not the product's.
    Q_INVOKABLE virtual cAbstractDevicePtr createDevice(cAbstractTransportPtr transport) = 0;
    Q_INVOKABLE virtual QDomElement deviceMetaData(const QString &deviceModel) = 0;
};
