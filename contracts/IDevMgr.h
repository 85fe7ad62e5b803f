#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QDomElement>
#include <QObject>
#include <QString>

// The device manager as the rest of the host sees it: enumeration and property writes by a
// filter value, model metadata and lookup of devices.
class IDevMgr : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cJsonValue enumerate(const cJsonValue &filter) = 0;
    Q_INVOKABLE virtual void writeProperty(const cJsonValue &filter, const cJsonValue &prop) = 0;
    Q_INVOKABLE virtual QDomElement metaData(const QString &deviceModel) = 0;
    Q_INVOKABLE virtual cAbstractDevicePtr findDevice(const QString &uid) = 0;
    Q_INVOKABLE virtual cAbstractDeviceList findDevices(const cJsonValue &filter) = 0;
};
