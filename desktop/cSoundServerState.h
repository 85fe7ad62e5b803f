#pragma once
#include <QString>
#include <QVector>

// A sink or source of the sound server, with what tells its sound card (empty where it has none).
struct cSoundDevice
{
    QString name;
    QString sysfsPath;
    QString busPath;
};

// What the sound server holds at one moment, as far as its default devices are concerned. Monitor
// sources, which only echo a sink, are not among the sources.
struct cSoundServerState
{
    enum Kind
    {
        Sink,
        Source
    };

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
