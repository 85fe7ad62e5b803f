#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QByteArray>
#include <QObject>

// One I/O channel of a device that the host discovered. The host owns the object; the device
// that takes it starts and stops it. A concrete HID transport also declares the signals
// "readyRead()" (an input report is waiting) and "writeComplete(int)" (a write finished, with
// its cookie), which devices connect to by name.
class IAbstractTransport : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    // The transport's own description; it carries "uid" and the probe entries.
    Q_INVOKABLE virtual const cJsonValue &info() = 0;
    Q_INVOKABLE virtual void start() = 0;
    Q_INVOKABLE virtual void stop() = 0;
    Q_INVOKABLE virtual bool started() = 0;
    Q_INVOKABLE virtual QByteArray read() = 0;
    Q_INVOKABLE virtual bool setFeature(const QByteArray &featureReport) = 0;
    Q_INVOKABLE virtual QByteArray feature(int reportId) = 0;
    Q_INVOKABLE virtual bool feature(QByteArray &report) = 0;
    Q_INVOKABLE virtual void write(int cookie, const QByteArray &outputReport) = 0;
    Q_INVOKABLE virtual void processPowerChange(PowerType::PowerType_t change) = 0;
};
