// HID input of cQ71Device: one five-byte report per readyRead(), decoded into volume steps,
// the Dolby switch, the microphone settings and the programmable keys.
#include "cQ71Device.h"

#include "HeadsetReport.h"
#include "IAudioDevice.h"
#include "IDolbyModel.h"
#include "IVolumeModel.h"
#include "cProfiler.h"

using namespace HeadsetReport;

namespace {

quint8 byteAt(const QByteArray &report, int index)
{
    return static_cast<quint8>(report.at(index));
}

} // namespace

void cQ71Device::onReadyRead()
{
    // Signals of a transport already detached may still be queued; with no HID transport there is
    // nothing to read from.
    if (!m_hidTransport)
        return;

    const QByteArray report = m_hidTransport->read();
    if (report.size() != ReportLength)
        return;

    switch (byteAt(report, 0)) {
    case VolumeReportId:
        decodeVolumeReport(report);
        break;
    case AnswerReportId:
        // Any five-byte report with id 2 is the headset's answer to a setup.
        m_headsetAnswered = true;
        m_awaitingAnswer = false;
        if (byteAt(report, 1) == StatusSubId)
            decodeStatusReport(report);
        else if (byteAt(report, 1) == KeySubId)
            decodeKeyReport(report);
        break;
    default:
        break;
    }
}

void cQ71Device::decodeVolumeReport(const QByteArray &report)
{
    // Up wins over down, and a volume step over the headset's request to be set up again. Before
    // the audio device exists (or after it went) there is nothing to step.
    const quint8 keys = byteAt(report, 2);
    if (keys & (VolumeUpBit | VolumeDownBit)) {
        const cVolumeModelPtr volume = m_audioDevice ? m_audioDevice->getVolumeModel() : cVolumeModelPtr();
        if (!volume)
            return;
        if (keys & VolumeUpBit)
            volume->incVolume();
        else
            volume->decVolume();
    } else if (byteAt(report, 1) != 0) {
        initializeHeadset();
    }
}

void cQ71Device::decodeStatusReport(const QByteArray &report)
{
    const quint8 previous = m_lastStatus[2];
    for (int i = 0; i < ReportLength; ++i)
        m_lastStatus[i] = byteAt(report, i);

    const quint8 status = m_lastStatus[2];
    if (status == previous)
        return;

    if ((status ^ previous) & DolbyBit) {
        const cDolbyModelPtr dolby = m_audioDevice ? m_audioDevice->getDolbyModel() : cDolbyModelPtr();
        if (dolby)
            dolby->enableDolby(status & DolbyBit);
    }

    // The settings follow every change of the byte, even one of the Dolby bit alone.
    m_micLight = micLightOf(status);
    m_micNotification = micNotificationOf(status);
}

void cQ71Device::decodeKeyReport(const QByteArray &report)
{
    // Each key's event is posted before the next key is looked at, so a host sees the presses
    // and releases of one report in key order.
    updateGKey(byteAt(report, 2), m_lastKeyCodes[0], Key1Code, GKey::G1);
    updateGKey(byteAt(report, 3), m_lastKeyCodes[1], Key2Code, GKey::G2);
    updateGKey(byteAt(report, 4), m_lastKeyCodes[2], Key3Code, GKey::G3);
    for (int i = 0; i < 3; ++i)
        m_lastKeyCodes[i] = byteAt(report, 2 + i);
}

void cQ71Device::updateGKey(quint8 newByte, quint8 previousByte, quint8 code, GKey::GKey_t key)
{
    if (newByte == previousByte)
        return;
    // A change between two values that are not the key's code is neither a press nor a release.
    if (newByte == code)
        cProfiler::postGKeyPressed(key, m_model, m_profilerCategory);
    else if (previousByte == code)
        cProfiler::postGKeyReleased(key, m_model, m_profilerCategory);
}
