#pragma once
#include "cDesktopActions.h"
#include "cSavedMicrophone.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPair>

class QSettings;
class cHost;
class cScenarioRunner;

// What a run's headsets do on the desktop, as the user's configuration file asks: the commands of
// the programmable keys and of the Dolby switch, and the saved microphone settings, given to a
// headset each time the plugin sets it up. A setup is the setup start report going out on the
// headset's HID transport: when the device starts, and again whenever the headset asks for one,
// which leaves the microphone as the plugin last knew it.
class cDesktopHooks : public QObject
{
    Q_OBJECT
public:
    // `settings` must outlive this object. The commands run on the wall clock only: a command is
    // a process, whose end no virtual time would ever see.
    cDesktopHooks(cHost &host, cScenarioRunner &runner, QSettings &settings, bool wallClock,
                  QObject *parent = nullptr);

    // Gives the commands still running up to `timeoutMs` before the run ends, none once
    // `stopped` says so, and stops what is left.
    void finish(int timeoutMs, const std::function<bool()> &stopped) { m_actions.finish(timeoutMs, stopped); }

private:
    void onDolbySwitched(const QString &uid, bool on);
    void onGKey(bool pressed, int key, const QString &model);
    void onHidWritten(int device, const QByteArray &report);
    void onHidReceived(int device, const QByteArray &report);
    // `state`: the light and notification settings the headset's status told.
    void onMicrophoneReported(int device, const QPair<int, int> &state);

    cHost &m_host;
    cScenarioRunner &m_runner;
    cDesktopActions m_actions;
    cSavedMicrophone m_microphone;
    // The microphone settings each device's headset last reported (light, notification), by
    // device number, so that the user's command runs when they change and not at every status.
    QHash<int, QPair<int, int>> m_microphoneStates;
};
