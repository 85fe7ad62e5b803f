#include "cHeadsetVolume.h"

#include "DesktopLog.h"
#include "cAudioDeviceMgrService.h"

cHeadsetVolume::cHeadsetVolume(cAudioDeviceMgrService *audio, int step, QObject *parent)
    : QObject(parent)
    , m_audio(audio)
    , m_step(step)
{
    connect(audio, &cAudioDeviceMgrService::volumeStepped, this, &cHeadsetVolume::onVolumeStepped);
    connect(&m_pulse, &cPulseVolume::stepped, this, &cHeadsetVolume::onStepped);
    connect(&m_pulse, &cPulseVolume::noSink, this, &cHeadsetVolume::onNoSink);
    connect(&m_pulse, &cPulseVolume::serverFailed, this, &cHeadsetVolume::onServerFailed);
}

void cHeadsetVolume::onVolumeStepped(const QString &uid, int direction)
{
    const int percent = direction * m_step;
    const cSoundCard card = cSoundCard::ofAudioDevice(*m_audio, uid);
    if (!card.isValid())
        return;
    m_uidOfCard.insert(card.sysfsPath(), uid);
    m_pulse.step(card, percent);
}

void cHeadsetVolume::onStepped(const QString &cardPath, const QString &sinkName, int percent)
{
    qCInfo(lcQ71Desktop, "volume of %s (sound card %s): %d %%", qPrintable(sinkName), qPrintable(cardPath),
           percent);
    emit volumeChanged(m_uidOfCard.value(cardPath), percent);
}

void cHeadsetVolume::onNoSink(const QString &cardPath)
{
    if (m_cardsWarned.contains(cardPath))
        return;
    m_cardsWarned.insert(cardPath);
    qCWarning(lcQ71Desktop,
              "no sink of the sound server plays through sound card %s: the headset's volume wheel changes "
              "nothing there",
              qPrintable(cardPath));
}

void cHeadsetVolume::onServerFailed(const QString &reason)
{
    if (m_serverWarned)
        return;
    m_serverWarned = true;
    qCWarning(
        lcQ71Desktop,
        "the sound server cannot be reached (%s): the headsets' volume wheels change nothing on the desktop",
        qPrintable(reason));
}
