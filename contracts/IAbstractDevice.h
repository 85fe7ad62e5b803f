#pragma once
#include "IAbstractTransport.h"
#include "Types.h"
#include "cJsonValue.h"

#include <QObject>
#include <QString>

// One physical device, joined from its transports. The host owns it through a
// cAbstractDevicePtr.
class IAbstractDevice : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    // A further strong reference to an object the device serves under an interface class
    // name, or null.
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual QString id() = 0;
    Q_INVOKABLE virtual void setId(const QString &id) = 0;
    Q_INVOKABLE virtual QString model() = 0;
    Q_INVOKABLE virtual QString displayName() = 0;
    // The device's own value, so that callers see later changes such as its "uid".
    Q_INVOKABLE virtual const cJsonValue &deviceInfo() = 0;
    Q_INVOKABLE virtual void writeProperty(const cJsonValue &prop) = 0;
    Q_INVOKABLE virtual bool addTransport(cAbstractTransportPtr transport) = 0;
    Q_INVOKABLE virtual void removeTransport(cAbstractTransportPtr transport) = 0;
    Q_INVOKABLE virtual DeviceValidationResult::DeviceValidationResult_t validate() = 0;
    Q_INVOKABLE virtual void start() = 0;
    Q_INVOKABLE virtual void stop() = 0;
};
