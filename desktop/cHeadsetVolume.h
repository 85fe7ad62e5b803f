#pragma once
#include "cPulseVolume.h"

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
    static constexpr int DefaultStep = 5;

    explicit cHeadsetVolume(cAudioDeviceMgrService *audio, QObject *parent = nullptr);

    // In percent of the full volume, 1 to 100.
    void setStep(int percent) { m_step = percent; }

private:
    void onVolumeStepped(const QString &uid, int direction);
    void onStepped(const QString &cardPath, const QString &sinkName, int percent);
    void onNoSink(const QString &cardPath);
    void onServerFailed(const QString &reason);

    cAudioDeviceMgrService *m_audio;
    cPulseVolume m_pulse;
    int m_step = DefaultStep;
    bool m_serverWarned = false;
    QSet<QString> m_cardsWarned;
};
