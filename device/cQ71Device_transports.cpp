// Transports and lifecycle of cQ71Device: which transports the device takes, when its audio
// device exists, start and stop.
#include "cQ71Device.h"

#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "TransportProbe.h"
#include "cAudioDeviceMgr.h"

bool cQ71Device::addTransport(cAbstractTransportPtr transport)
{
    bool attached = false;
    if (transport) {
        const cJsonValue &transportInfo = transport->info();
        // Only the first kind the transport implements is considered: a HID transport that fails
        // the HID probe is not tried as an audio transport.
        const TransportProbe::Kind kind = TransportProbe::kindOf(transport.data());
        const bool matches = TransportProbe::matches(m_deviceInfo, kind, transportInfo);
        switch (kind) {
        case TransportProbe::Hid:
            if (!m_hidTransport && matches) {
                m_hidTransport = transport;
                connect(transport.data(), SIGNAL(readyRead()), this, SLOT(onReadyRead()));
                connect(transport.data(), SIGNAL(writeComplete(int)), this, SLOT(onWriteComplete(int)));
                attached = true;
            }
            break;
        case TransportProbe::AudioRender:
            if (!m_renderTransport && matches) {
                m_renderTransport = qSharedPointerDynamicCast<IAudioRenderTransport>(transport);
                attached = true;
            }
            break;
        case TransportProbe::AudioCapture:
            if (!m_captureTransport && matches) {
                m_captureTransport = qSharedPointerDynamicCast<IAudioCaptureTransport>(transport);
                attached = true;
            }
            break;
        case TransportProbe::None:
            break;
        }
    }
    // Also after a refusal: an audio device that the service failed to give is asked for again
    // at every attempt.
    createAudioDeviceIfComplete();
    return attached;
}

void cQ71Device::removeTransport(cAbstractTransportPtr transport)
{
    if (transport) {
        // Transports are recognised by their "uid", not by object: the host may describe the same
        // transport through another object.
        const cJsonValue uid = transport->info()["uid"];
        if (m_hidTransport && m_hidTransport->info()["uid"] == uid)
            detachHidTransport();
        else if (m_renderTransport && m_renderTransport->info()["uid"] == uid)
            m_renderTransport.reset();
        else if (m_captureTransport && m_captureTransport->info()["uid"] == uid)
            m_captureTransport.reset();
    }
    destroyAudioDeviceIfIncomplete();
}

void cQ71Device::detachHidTransport()
{
    // A detached transport that still signals must not reach the decoder or the queue: they would
    // read from, or write to, whatever HID transport the device holds by then. A queued signal
    // that was already under way finds the field empty (or another transport's reports) and is
    // handled by the slots' own check.
    disconnect(m_hidTransport.data(), nullptr, this, nullptr);
    m_hidTransport.reset();
}

DeviceValidationResult::DeviceValidationResult_t cQ71Device::validate()
{
    if (m_hidTransport && m_renderTransport && m_captureTransport)
        return DeviceValidationResult::Complete;
    if (m_hidTransport || m_renderTransport || m_captureTransport)
        return DeviceValidationResult::Incomplete;
    return DeviceValidationResult::Invalid;
}

void cQ71Device::start()
{
    m_lastStatus.fill(0);
    m_lastKeyCodes.fill(0);
    m_headsetAnswered = false;
    m_awaitingAnswer = false;

    // The host starts complete devices only. An incomplete one starts what it has, and sets the
    // headset up only when it can talk to it.
    if (m_hidTransport)
        m_hidTransport->start();
    if (m_renderTransport)
        m_renderTransport->start();
    if (m_captureTransport)
        m_captureTransport->start();
    if (m_hidTransport)
        initializeHeadset();
}

void cQ71Device::stop()
{
    if (m_hidTransport)
        m_hidTransport->stop();
    if (m_renderTransport)
        m_renderTransport->stop();
    if (m_captureTransport)
        m_captureTransport->stop();
    m_startupQueue.clear();
    m_settingsQueue.clear();
}

void cQ71Device::createAudioDeviceIfComplete()
{
    if (m_audioDevice || !m_renderTransport || !m_captureTransport)
        return;
    cAudioDeviceMgr audioDeviceMgr;
    m_audioDevice = audioDeviceMgr.createAudioDevice(m_self, m_renderTransport, m_captureTransport);
}

void cQ71Device::destroyAudioDeviceIfIncomplete()
{
    if (!m_audioDevice || (m_renderTransport && m_captureTransport))
        return;
    cAudioDeviceMgr audioDeviceMgr;
    audioDeviceMgr.destroyAudioDevice(m_audioDevice);
    // Cleared whatever the service said: the device no longer has both halves of the audio path.
    m_audioDevice.reset();
}
