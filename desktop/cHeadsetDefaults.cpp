#include "cHeadsetDefaults.h"

#include "DesktopLog.h"
#include "cAudioDeviceMgrService.h"

cHeadsetDefaults::cHeadsetDefaults(cAudioDeviceMgrService *audio, QObject *parent)
    : QObject(parent)
    , m_audio(audio)
{
    connect(audio, &cAudioDeviceMgrService::audioDeviceCreated, this,
            &cHeadsetDefaults::onAudioDeviceCreated);
    connect(audio, &cAudioDeviceMgrService::audioDeviceDestroyed, this,
            &cHeadsetDefaults::onAudioDeviceDestroyed);
    connect(&m_server, &cPulseDefaults::stateChanged, this, &cHeadsetDefaults::onStateChanged);
    connect(&m_server, &cPulseDefaults::setFailed, this, &cHeadsetDefaults::onSetFailed);
}

void cHeadsetDefaults::onAudioDeviceCreated(const QString &uid)
{
    const cSoundCard card = cSoundCard::ofAudioDevice(*m_audio, uid);
    if (!card.isValid())
        return;
    m_cards.insert(uid, card);
    m_defaults.plug(card);
    m_freshFrom = m_server.refresh();
}

void cHeadsetDefaults::onAudioDeviceDestroyed(const QString &uid)
{
    const auto card = m_cards.constFind(uid);
    if (card == m_cards.constEnd())
        return;
    m_defaults.unplug(*card);
    m_cards.erase(card);
    m_freshFrom = m_server.refresh();
}

void cHeadsetDefaults::onStateChanged(const cSoundServerState &state, int connection)
{
    // A reading from before the last plug or unplug is left for the one that follows it.
    if (connection < m_freshFrom)
        return;
    apply(m_defaults.observe(state));
    apply(m_defaults.settle());
}

void cHeadsetDefaults::settleNow()
{
    if (m_defaults.isSettled())
        return;
    if (const std::optional<cSoundServerState> state = m_server.readNow(m_freshFrom))
        m_defaults.observe(*state);
    apply(m_defaults.settle());
}

void cHeadsetDefaults::apply(const QVector<cDefaultDevices::cChange> &changes)
{
    for (const cDefaultDevices::cChange &change : changes) {
        const char *kind = change.kind == cSoundServerState::Sink ? "sink" : "source";
        const QByteArray device = change.device.toUtf8();
        const QByteArray card = change.card.sysfsPath().toUtf8();
        switch (change.action) {
        case cDefaultDevices::cChange::Take:
            qCInfo(lcQ71Desktop, "default %s: %s (sound card %s)", kind, device.constData(),
                   card.constData());
            break;
        case cDefaultDevices::cChange::GiveBack:
            qCInfo(lcQ71Desktop, "default %s given back: %s (sound card %s left)", kind, device.constData(),
                   card.constData());
            break;
        case cDefaultDevices::cChange::LeaveToUser:
            qCInfo(lcQ71Desktop, "default %s %s chosen by the user: kept when sound card %s leaves", kind,
                   device.constData(), card.constData());
            continue;
        }
        m_server.setDefault(change.kind, change.device);
    }
}

void cHeadsetDefaults::onSetFailed(const QString &device, const QString &reason)
{
    qCWarning(lcQ71Desktop, "the sound server did not make %s its default: %s", qPrintable(device),
              qPrintable(reason));
}
