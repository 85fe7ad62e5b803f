#pragma once
#include "IAbstractDevice.h"
#include "Types.h"
#include "cJsonValue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWeakPointer>

#include <array>

// One Q71 headset: joins its HID, audio render and audio capture transports, decodes the HID
// input reports, writes the output reports through two paced queues, and serves its audio
// device, microphone model and profiler device.
//
// Everything runs on the thread that owns the device: the transports' signals arrive through
// automatic connections and the only timers target the device. No lock is taken.
//
// The class is split by concern over several sources: cQ71Device.cpp (object and identity),
// cQ71Device_transports.cpp, cQ71Device_input.cpp, cQ71Device_output.cpp, cQ71Device_exit.cpp.
class cQ71Device : public IAbstractDevice
{
    Q_OBJECT
public:
    explicit cQ71Device(const cJsonValue &deviceInfo);
    ~cQ71Device() override;

    cObjectPtr queryInterface(const QString &ifc) override;
    QString id() override;
    void setId(const QString &id) override;
    QString model() override;
    QString displayName() override;
    const cJsonValue &deviceInfo() override;
    void writeProperty(const cJsonValue &prop) override;
    bool addTransport(cAbstractTransportPtr transport) override;
    void removeTransport(cAbstractTransportPtr transport) override;
    DeviceValidationResult::DeviceValidationResult_t validate() override;
    void start() override;
    void stop() override;

    // Clears the input state and issues the setup reports, unless a setup already waits for the
    // headset's answer.
    virtual void initializeHeadset();
    // Writes the two exit reports at once, past the queues.
    virtual void releaseHeadset();

    // Asks the profiler for this headset's profiler device. `self` is the pointer that owns this
    // device; the device keeps a weak copy of it to refer to itself later.
    void attachProfilerDevice(cAbstractDevicePtr self);

    // The microphone model's view of the device. The setters refuse values outside their set.
    MicLight::MicLight_t micLight() const { return m_micLight; }
    MicMuteNotification::MicMuteNotification_t micNotification() const { return m_micNotification; }
    bool setMicLight(MicLight::MicLight_t type);
    bool setMicNotification(MicMuteNotification::MicMuteNotification_t type);

public slots:
    void onReadyRead();
    void onWriteComplete(int cookie);
    void onWriteTimer();

protected:
    // Reached by the host through the "MainApp_Events" subscription when the application exits.
    Q_INVOKABLE virtual void onExitApplication();

private:
    void updateGKey(quint8 newByte, quint8 previousByte, quint8 code, GKey::GKey_t key);
    void decodeVolumeReport(const QByteArray &report);
    void decodeStatusReport(const QByteArray &report);
    void decodeKeyReport(const QByteArray &report);
    static QByteArray outputReport(quint8 command, quint8 value = 0x00);
    void admitSetting(const QByteArray &report);
    void write(const QByteArray &report);
    void createAudioDeviceIfComplete();
    void destroyAudioDeviceIfIncomplete();
    void detachHidTransport();

    cJsonValue m_deviceInfo;
    QString m_model;
    QString m_profilerCategory;
    cAbstractTransportPtr m_hidTransport;
    cAudioRenderTransportPtr m_renderTransport;
    cAudioCaptureTransportPtr m_captureTransport;
    cAudioDevicePtr m_audioDevice;
    cMicrophoneModelPtr m_microphoneModel;
    std::array<quint8, 5> m_lastStatus {};
    std::array<quint8, 3> m_lastKeyCodes {};
    bool m_headsetAnswered = false;
    bool m_awaitingAnswer = false;
    QList<QByteArray> m_startupQueue;
    QList<QByteArray> m_settingsQueue;
    // Before the headset first reports them, the settings read as an all-clear status byte
    // would set them: light 1, notification 1.
    MicLight::MicLight_t m_micLight = MicLight::Setting1;
    MicMuteNotification::MicMuteNotification_t m_micNotification = MicMuteNotification::Setting1;
    cProfilerDevicePtr m_profilerDevice;
    // Qt 4 could form a weak pointer from the object itself that shared its owner's count block;
    // Qt 5 and 6 cannot, so the device keeps a weak copy of its owner instead.
    QWeakPointer<IAbstractDevice> m_self;
};
