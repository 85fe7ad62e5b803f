#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QDomElement>
#include <QObject>
#include <QString>

// A device bus registered with the low-level device manager: it enumerates its devices, turns a
// manifest entry into device information and reacts to power changes.
class IAbstractDevBus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString name() = 0;
    Q_INVOKABLE virtual void enumerate() = 0;
    // The bus fills in `deviceInfo`.
    Q_INVOKABLE virtual void parseManifest(const QDomElement &deviceXml, cJsonValue *deviceInfo) = 0;
    Q_INVOKABLE virtual void processPowerChange(PowerType::PowerType_t change) = 0;
};
