#pragma once
#include "Types.h"
#include "cJsonValue.h"
#include "cTappedTransport.h"

#include <QByteArray>

// What a transport of any bus shares, whichever transport interface it implements: the
// information its bus found it with, the started state the device sets, and the tap it tells
// its running state, reports and completions through. A transport with no
// reports of its own answers every report call with nothing, and power changes need nothing from
// it (the bus's own hardware suspends and resumes itself). The concrete classes add the
// meta-object, and with it their signals.
template<class Interface> class cTransportBase : public Interface, public cTappedTransport
{
public:
    const cJsonValue &info() override { return m_info; }
    void start() override
    {
        m_started = true;
        emit this->tap().runningChanged(true);
    }
    void stop() override
    {
        m_started = false;
        emit this->tap().runningChanged(false);
    }
    bool started() override { return m_started; }

    QByteArray read() override { return QByteArray(); }
    bool setFeature(const QByteArray &) override { return false; }
    QByteArray feature(int) override { return QByteArray(); }
    bool feature(QByteArray &) override { return false; }
    void write(int, const QByteArray &) override { }
    void processPowerChange(PowerType::PowerType_t) override { }

protected:
    explicit cTransportBase(const cJsonValue &info)
        : cTappedTransport(this)
        , m_info(info)
    { }

private:
    cJsonValue m_info;
    bool m_started = false;
};

// A render endpoint that offers no audio models of its own: the host's audio device carries the
// ones a device drives.
template<class Base> class cRenderWithoutModels : public Base
{
public:
    cDolbyModelPtr getDolbyModel() override { return cDolbyModelPtr(); }
    cChannelAttenuationModelPtr getChannelAttenuationModel() override
    {
        return cChannelAttenuationModelPtr();
    }
    cGainModelPtr getGainModel() override { return cGainModelPtr(); }
    cEqualizerModelPtr getSimpleEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEnggEqualizerModel() override { return cEqualizerModelPtr(); }

protected:
    using Base::Base;
};
