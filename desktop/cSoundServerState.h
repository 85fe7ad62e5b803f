#pragma once
#include <QHash>
#include <QString>
#include <QVector>

// A sink or source of the sound server, with what tells its sound card (empty where it has none).
struct cSoundDevice
{
    QString name;
    QString sysfsPath;
    QString busPath;

    // This device as its sound card tells it, where it tells nothing itself: PipeWire's protocol
    // server before 1.0 gives a sink or source the properties of its own node only, which name no
    // card, while the card's own carry them; PulseAudio and later PipeWire copy them to the sink.
    cSoundDevice onCard(const cSoundDevice &card) const
    {
        if (!sysfsPath.isEmpty() || !busPath.isEmpty())
            return *this;
        return {name, card.sysfsPath, card.busPath};
    }
};

// The server's sound cards as devices, by their index.
using cSoundCards = QHash<quint32, cSoundDevice>;

// What the sound server holds at one moment, as far as its default devices are concerned. Monitor
// sources, which only echo a sink, are not among the sources.
struct cSoundServerState
{
    enum Kind { Sink, Source };

    QString defaultSink;
    QString defaultSource;
    QVector<cSoundDevice> sinks;
    QVector<cSoundDevice> sources;

    const QString &defaultOf(Kind kind) const { return kind == Sink ? defaultSink : defaultSource; }
    const QVector<cSoundDevice> &devicesOf(Kind kind) const { return kind == Sink ? sinks : sources; }
    bool has(Kind kind, const QString &name) const
    {
        for (const cSoundDevice &device : devicesOf(kind))
            if (device.name == name)
                return true;
        return false;
    }
};
