#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QByteArray>
#include <QMap>

// What every simulated transport shares, whichever transport interface it implements. The
// concrete classes add the meta-object (and with it their signals), so that a device sees the
// same class names and signals it would see on a real host.
template<class Interface> class cSimTransportBase : public Interface
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

    // Feature reports are kept per report id (byte 0), as a device would answer them back.
    bool setFeature(const QByteArray &featureReport) override
    {
        if (featureReport.isEmpty())
            return false;
        m_features.insert(quint8(featureReport.at(0)), featureReport);
        return true;
    }
    QByteArray feature(int reportId) override { return m_features.value(quint8(reportId)); }
    bool feature(QByteArray &report) override
    {
        if (report.isEmpty() || !m_features.contains(quint8(report.at(0))))
            return false;
        report = m_features.value(quint8(report.at(0)));
        return true;
    }

    void write(int, const QByteArray &) override { }
    void processPowerChange(PowerType::PowerType_t) override { }

protected:
    explicit cSimTransportBase(const cJsonValue &info)
        : m_info(info)
    { }
    // A transport that someone watches announces its running state with a signal of its own.
    virtual void notifyRunning(bool) { }

private:
    cJsonValue m_info;
    bool m_started = false;
    QMap<quint8, QByteArray> m_features;
};
