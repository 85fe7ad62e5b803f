#pragma once
#include "cDesktopActions.h"
#include "cSavedMicrophone.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPair>
#include <QScopedPointer>

#include <functional>
#include <optional>

class cDesktopConfig;
class cHost;

// What a host's headsets do on the desktop, as the user's configuration file asks: the commands
// of the programmable keys, of the Dolby switch and of a microphone change, the saved microphone
// settings given to a headset each time the plugin sets it up, and, where the headsets are the
// machine's own, the volume wheel stepping the headset's sink on the sound server.
//
// A setup is the setup start report going out on the headset's HID transport: when the device
// starts, and again whenever the headset asks for one, which leaves the microphone as the plugin
// last knew it. The object hears the host's services itself; the HID traffic and the keys' device
// come from whoever watches the transports (hidWritten(), hidReceived(), key()).
class cDesktop : public QObject
{
    Q_OBJECT
public:
    struct cSetup
    {
        // The commands run on the wall clock only: a command is a process, whose end no virtual
        // time would ever see.
        bool wallClock = false;
        // The volume wheels step the sound server's sinks (the machine's own headsets).
        bool soundServer = false;
        // From the command line, over the file's.
        std::optional<int> volumeStep;
    };

    // `config` must be open and outlive this object. Build it before the host plugs a device, so
    // that the first setup and the first volume step are heard.
    cDesktop(cHost &host, const cDesktopConfig &config, const cSetup &setup, QObject *parent = nullptr);
    ~cDesktop() override;

    // Where the volume step comes from: the command line's, else the file's, else the default.
    static int volumeStep(std::optional<int> option, const cDesktopConfig &config);

    void hidWritten(int device, const QByteArray &report);
    void hidReceived(int device, const QByteArray &report);
    // A programmable key of `device`'s headset went down or up.
    void key(bool pressed, int key, const QString &model, int device);
    // A microphone setting the host gave in the run holds for the rest of it; the file stays
    // the user's.
    void rememberMicrophone(bool light, int value) { m_microphone.remember(light, value); }
    // A microphone setting the user chose while the run goes on (on the session bus): given from
    // then on, and written to the file.
    void keepMicrophone(bool light, int value) { m_microphone.keep(light, value); }

    // Reads the configuration file again: the key and switch commands and the volume step apply
    // from the next event on. False, with the reason in `error`, for a file that cannot be read;
    // what was in use stays then.
    bool reload(QString *error);

    // Gives the commands still running up to `timeoutMs` before the run ends, none once
    // `stopped` says so, and stops what is left.
    // The headsets let go of at the run's end give their default devices back first.
    void finish(int timeoutMs, const std::function<bool()> &stopped);

signals:
    // The sound server's volume of `device`'s sink after a step of its wheel, in percent.
    void volumeChanged(int device, int percent);

private:
    void onDolbySwitched(const QString &uid, bool on);
    // `state`: the light and notification settings the headset's status told.
    void onMicrophoneReported(int device, const QPair<int, int> &state);

    cHost &m_host;
    const cSetup m_setup;
    const QString m_configPath;
    cDesktopActions m_actions;
    cSavedMicrophone m_microphone;
    // The microphone settings each device's headset last reported (light, notification), by
    // device number, so that the user's command runs when they change and not at every status.
    QHash<int, QPair<int, int>> m_microphoneStates;
    // The headsets' volume and default devices on the sound server, where the program was built
    // with libpulse.
    QScopedPointer<QObject> m_volume;
    QScopedPointer<QObject> m_defaults;
    std::function<void(int)> m_setVolumeStep;
    std::function<void()> m_settleDefaults;
};
