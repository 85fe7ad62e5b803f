#pragma once
#include "Types.h"
#include "cDesktopActions.h"
#include "cSavedMicrophone.h"

#include <QHash>
#include <QObject>
#include <QPair>

class IAbstractDevice;
class QSettings;
class cHost;
class cScenarioRunner;
struct cModelCall;

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

    // Gives the commands still running up to `timeoutMs` before the run ends.
    void finish(int timeoutMs) { m_actions.finish(timeoutMs); }

private:
    void onDeviceStarting(IAbstractDevice *device);
    void onModelCalled(const QString &uid, const cModelCall &call);
    void onGKey(bool pressed, int key, const QString &model);
    void watchHid(const cAbstractTransportPtr &transport);
    void onMicrophoneReported(const cAbstractDevicePtr &device);
    cAbstractDevicePtr holding(const QWeakPointer<IAbstractTransport> &transport) const;

    cHost &m_host;
    cScenarioRunner &m_runner;
    cDesktopActions m_actions;
    cSavedMicrophone m_microphone;
    // The device that read the last input report, where the transport tells of its input: a key
    // event names the model, not the device.
    int m_inputDevice = 0;
    // The microphone settings each device's headset last reported (light, notification), by
    // device number, so that the user's command runs when they change and not at every status.
    QHash<int, QPair<int, int>> m_microphoneStates;
};
