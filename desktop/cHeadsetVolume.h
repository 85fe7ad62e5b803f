#pragma once
#include "cPulseVolume.h"

#include <QHash>
#include <QObject>
#include <QSet>

class cAudioDeviceMgrService;

// What the volume wheel of a live headset does on the desktop: each step the plugin asks of a
// host audio device's volume model (incVolume, decVolume) steps the volume of the sound server's
// sink that plays through the headset's sound card. The audio device's render transport is the
// card's playback PCM; its "uid" is the PCM's sysfs path. A missing server and a card with no sink
// are warned about once (the server once in all, a card once each); nothing else waits on them.
class cHeadsetVolume : public QObject
{
    Q_OBJECT
public:
    // `step`: how far one step moves the sink, in percent of the full volume, 1 to 100.
    cHeadsetVolume(cAudioDeviceMgrService *audio, int step, QObject *parent = nullptr);

    // From the next step on.
    void setStep(int step) { m_step = step; }

signals:
    // Where a step left the sink of the audio device with that uid, in percent.
    void volumeChanged(const QString &uid, int percent);

private:
    void onVolumeStepped(const QString &uid, int direction);
    void onStepped(const QString &cardPath, const QString &sinkName, int percent);
    void onNoSink(const QString &cardPath);
    void onServerFailed(const QString &reason);

    cAudioDeviceMgrService *m_audio;
    cPulseVolume m_pulse;
    int m_step;
    // The audio device each card was last stepped for, to tell whose volume a result is.
    QHash<QString, QString> m_uidOfCard;
    bool m_serverWarned = false;
    QSet<QString> m_cardsWarned;
};
