// Output of cQ71Device: the setup sequence, the two paced queues and the microphone settings.
//
// Queued reports go out one per completed write, each 100 ms after the completion; a report is
// taken off its queue before it is written and never put back, so a lost completion stalls the
// queues until the next completion of any write, or until stop() empties them.
#include "cQ71Device.h"

#include "HeadsetReport.h"
#include "IAbstractTransport.h"

#include <QTimer>

using namespace HeadsetReport;

namespace {

constexpr int WriteCookie = -1;
constexpr int PacingMs = 100;

} // namespace

QByteArray cQ71Device::outputReport(quint8 command, quint8 value)
{
    QByteArray report(ReportLength, '\0');
    report[0] = char(OutputReportId);
    report[1] = char(command);
    report[2] = char(value);
    return report;
}

void cQ71Device::initializeHeadset()
{
    if (m_awaitingAnswer)
        return;

    m_lastStatus.fill(0);
    m_lastKeyCodes.fill(0);
    m_headsetAnswered = false;
    m_awaitingAnswer = true;

    // Reports still queued from an earlier setup stay ahead of these.
    m_startupQueue.append(outputReport(Key1SetupCommand, Key1Code));
    m_startupQueue.append(outputReport(Key2SetupCommand, Key2Code));
    m_startupQueue.append(outputReport(Key3SetupCommand, Key3Code));
    m_startupQueue.append(outputReport(StatusCommand));
    // Its completion starts the draining.
    write(outputReport(SetupStartCommand));
}

void cQ71Device::onWriteComplete(int cookie)
{
    // Every completion counts alike, whatever its cookie: writes in flight are not tracked.
    Q_UNUSED(cookie);
    if (m_startupQueue.isEmpty() && m_settingsQueue.isEmpty())
        return;
    QTimer::singleShot(PacingMs, this, SLOT(onWriteTimer()));
}

void cQ71Device::onWriteTimer()
{
    // Nothing is written to a missing transport: the reports wait for a HID transport to be
    // attached again, or for stop() to empty the queues.
    if (!m_hidTransport)
        return;
    if (!m_startupQueue.isEmpty())
        write(m_startupQueue.takeFirst());
    else if (!m_settingsQueue.isEmpty())
        write(m_settingsQueue.takeFirst());
}

bool cQ71Device::setMicLight(MicLight::MicLight_t type)
{
    quint8 value = 0;
    switch (type) {
    case MicLight::Setting1:
        value = MicLight1Value;
        break;
    case MicLight::Setting2:
        value = MicLight2Value;
        break;
    case MicLight::Setting3:
        value = MicLight3Value;
        break;
    default:
        return false;
    }
    admitSetting(outputReport(MicLightCommand, value));
    m_micLight = type;
    return true;
}

bool cQ71Device::setMicNotification(MicMuteNotification::MicMuteNotification_t type)
{
    if (type != MicMuteNotification::Setting1 && type != MicMuteNotification::Setting2)
        return false;
    admitSetting(
        outputReport(MicNotificationCommand,
                     type == MicMuteNotification::Setting1 ? MicNotification1Value : MicNotification2Value));
    m_micNotification = type;
    return true;
}

void cQ71Device::admitSetting(const QByteArray &report)
{
    // Until the headset has answered a setup it would lose settings, so they wait behind the
    // setup reports.
    if (m_headsetAnswered)
        write(report);
    else
        m_settingsQueue.append(report);
}

void cQ71Device::write(const QByteArray &report)
{
    if (m_hidTransport)
        m_hidTransport->write(WriteCookie, report);
}
