#pragma once
#include "Types.h"

#include <QtGlobal>

// The headset's HID reports, in both directions. Every report is five bytes. Input reports are
// volume reports (id 1) or answers to a setup (id 2), whose second byte says what they answer.
// Output reports carry id 2, a command, a value and two zero bytes.
namespace HeadsetReport {

constexpr int ReportLength = 5;

enum : quint8 {
    VolumeReportId = 0x01,
    AnswerReportId = 0x02,
    OutputReportId = 0x02,

    // What an answer answers, and the bits of its third byte.
    StatusSubId = 0x01,
    KeySubId = 0x10,
    VolumeUpBit = 0x01,
    VolumeDownBit = 0x02,
    DolbyBit = 0x01,
    Light2Bit = 0x02,
    Light3Bit = 0x04,
    Notification2Bit = 0x08,

    // The key setup commands give each programmable key its code; a key report then carries the
    // code of each key held down.
    Key1Code = 0x11,
    Key2Code = 0x22,
    Key3Code = 0x33,

    SetupStartCommand = 0x08,
    Key1SetupCommand = 0x10,
    Key2SetupCommand = 0x20,
    Key3SetupCommand = 0x40,
    StatusCommand = 0x01,
    MicLightCommand = 0x02,
    MicNotificationCommand = 0x04,
    ExitCommand = 0x80,
    KeysReleaseCommand = 0x70,
};

// The microphone settings that a status answer's third byte tells.
constexpr MicLight::MicLight_t micLightOf(quint8 status)
{
    return (status & Light2Bit) ? MicLight::Setting2
        : (status & Light3Bit)  ? MicLight::Setting3
                                : MicLight::Setting1;
}

constexpr MicMuteNotification::MicMuteNotification_t micNotificationOf(quint8 status)
{
    return (status & Notification2Bit) ? MicMuteNotification::Setting2 : MicMuteNotification::Setting1;
}

} // namespace HeadsetReport
