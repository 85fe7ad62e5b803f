#pragma once
#include "cTransportBase.h"

#include <QMap>

// What every simulated transport shares: a transport of any bus, whose feature reports are kept
// per report id (byte 0), as a device would answer them back.
template<class Interface> class cSimTransportBase : public cTransportBase<Interface>
{
public:
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

protected:
    using cTransportBase<Interface>::cTransportBase;

private:
    QMap<quint8, QByteArray> m_features;
};
