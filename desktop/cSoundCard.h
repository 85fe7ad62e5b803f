#pragma once
#include <QString>

// A headset's sound card as the sound server's devices name it. A server tells which card a sink or
// source plays through by one of two properties, set from udev when it found the card:
// "sysfs.path", the card's device path ("/devices/.../sound/card1"), and the bus path, udev's
// ID_PATH ("pci-0000:00:14.0-usb-0:4:1.0"), which PulseAudio calls "device.bus_path" and PipeWire
// "device.bus-path" (the card's "/sys/..." path where udev gave no ID_PATH). Which of them a sink
// carries depends on the server and its version, so a card is matched by whichever is there.
class cAudioDeviceMgrService;

class cSoundCard
{
public:
    cSoundCard() = default;
    cSoundCard(const QString &sysfsPath, const QString &busPath);

    // The card a PCM's sysfs path belongs to: "/sys/devices/.../sound/card1/pcmC1D0p" is
    // "/devices/.../sound/card1", its bus path udev's ID_PATH of the card where the program has
    // libudev. Invalid for a path that is no sound card's PCM.
    static cSoundCard fromPcm(const QString &pcmSysfsPath);
    // The card the host's audio device `uid` plays through (its render transport's PCM); invalid
    // when it has none.
    static cSoundCard ofAudioDevice(cAudioDeviceMgrService &audio, const QString &uid);

    bool isValid() const { return !m_sysfsPath.isEmpty(); }
    QString sysfsPath() const { return m_sysfsPath; }
    QString busPath() const { return m_busPath; }

    // Whether a server's device with these properties (empty where it has none) plays through this
    // card.
    bool matches(const QString &sysfsPath, const QString &busPath) const;

    bool operator==(const cSoundCard &other) const { return m_sysfsPath == other.m_sysfsPath; }

private:
    QString m_sysfsPath;
    QString m_busPath;
};
