#pragma once
#include "Types.h"

#include <QtGlobal>

// The headset's HID reports, in both directions, written once for the plugin, the simulated
// headset, the trace and the desktop. Every report is five bytes: the report id and four data
// bytes. Input reports are volume reports (id 1) or answers to a setup (id 2), whose second byte
// says what they answer. Output reports carry id 2, a command, a value and two zero bytes.
namespace HeadsetReport {

constexpr int ReportLength = 5;
constexpr int KeyCount = 3;

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
    // code of each key held down, key N in byte N + 1.
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

    // The values of the microphone commands: the third light setting is bit 2, not the value 3.
    MicLight1Value = 0x01,
    MicLight2Value = 0x02,
    MicLight3Value = 0x04,
    MicNotification1Value = 0x01,
    MicNotification2Value = 0x02,
};

// The code key N (1 to KeyCount) reports while held down.
constexpr quint8 keyCode(int key)
{
    return key == 1 ? Key1Code : key == 2 ? Key2Code : Key3Code;
}

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

// An output report the host may write, with the words a reader of a trace knows it by. A command
// whose value says nothing takes any value.
struct cOutputMeaning
{
    quint8 command;
    int value; // AnyValue, or the one value that gives the report this meaning
    const char *name;
};
constexpr int AnyValue = -1;

constexpr cOutputMeaning OutputMeanings[] = {
    {SetupStartCommand, AnyValue, "setup start"},
    {Key1SetupCommand, Key1Code, "key 1 setup"},
    {Key2SetupCommand, Key2Code, "key 2 setup"},
    {Key3SetupCommand, Key3Code, "key 3 setup"},
    {StatusCommand, AnyValue, "status request"},
    {MicLightCommand, MicLight1Value, "mic light 1"},
    {MicLightCommand, MicLight2Value, "mic light 2"},
    {MicLightCommand, MicLight3Value, "mic light 3"},
    {MicNotificationCommand, MicNotification1Value, "mic notification 1"},
    {MicNotificationCommand, MicNotification2Value, "mic notification 2"},
    {ExitCommand, AnyValue, "exit"},
    {KeysReleaseCommand, AnyValue, "keys release"},
};

} // namespace HeadsetReport
