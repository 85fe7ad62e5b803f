#pragma once
#include "cDefaultDevices.h"
#include "cPulseDefaults.h"

#include <QHash>
#include <QObject>

class cAudioDeviceMgrService;

// What plugging a live headset in does to the desktop's default devices when the user asks for it
// ([audio] default=true): its sink and source become the sound server's defaults, and the earlier
// ones come back when it leaves (cDefaultDevices decides, cPulseDefaults talks to the server). A
// headset is known by its host audio device's render transport, the sound card's playback PCM.
// What a headset takes and gives back is decided on the server's state read again after it came or
// left.
// Each default it sets is one line of the trace.
class cHeadsetDefaults : public QObject
{
    Q_OBJECT
public:
    explicit cHeadsetDefaults(cAudioDeviceMgrService *audio, QObject *parent = nullptr);

    // Settles the headsets that left at once, waiting for the server here: for the run's end, when
    // its headsets are let go of with no event loop left to bring the server's answer.
    void settleNow();

private:
    void onAudioDeviceCreated(const QString &uid);
    void onAudioDeviceDestroyed(const QString &uid);
    void onStateChanged(const cSoundServerState &state, int connection);
    void apply(const QVector<cDefaultDevices::cChange> &changes);
    void onSetFailed(const QString &device, const QString &reason);

    cAudioDeviceMgrService *m_audio;
    cPulseDefaults m_server;
    cDefaultDevices m_defaults;
    // The sound card of each audio device, by its uid, which is all that is left of it once it is
    // destroyed.
    QHash<QString, cSoundCard> m_cards;
    // The first connection to the server that read it after the last headset came or left.
    int m_freshFrom = 0;
};
