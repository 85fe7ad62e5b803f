#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QByteArray>

// What every transport of the Linux bus shares, whichever transport interface it implements: the
// information read from udev when the node appeared, and the started state the device sets. A node
// with no reports of its own (a PCM) answers every report call with nothing. The concrete classes
// add the meta-object, and with it their signals.
template<class Interface> class cLinuxTransportBase : public Interface
{
public:
    const cJsonValue &info() override { return m_info; }
    void start() override
    {
        m_started = true;
        notifyRunning(true);
    }
    void stop() override
    {
        m_started = false;
        notifyRunning(false);
    }
    bool started() override { return m_started; }

    QByteArray read() override { return QByteArray(); }
    bool setFeature(const QByteArray &) override { return false; }
    QByteArray feature(int) override { return QByteArray(); }
    bool feature(QByteArray &) override { return false; }
    void write(int, const QByteArray &) override { }
    // The kernel suspends and resumes a USB device itself; its nodes need nothing from the host.
    void processPowerChange(PowerType::PowerType_t) override { }

protected:
    explicit cLinuxTransportBase(const cJsonValue &info)
        : m_info(info)
    { }
    // Each concrete class announces its running state with a signal of its own, for a trace.
    virtual void notifyRunning(bool) { }

private:
    cJsonValue m_info;
    bool m_started = false;
};
