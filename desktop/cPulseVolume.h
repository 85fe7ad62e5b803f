#pragma once
#include "cSoundCard.h"
#include "cSoundServerState.h"

#include <QObject>
#include <QString>

#include <deque>

struct pa_context;
struct pa_card_info;
struct pa_sink_info;
struct pa_threaded_mainloop;

// The volume of sound cards' sinks on the desktop's sound server (PulseAudio, or PipeWire through
// the same protocol), reached with libpulse from a thread of its own, so that a slow or missing
// server never holds up the Qt thread or the headsets' traffic. What each step came to arrives as
// a signal on the Qt thread.
//
// The sink is looked up at each step, by the properties that name its sound card (cSoundCard): a
// card the server loads after the headset appeared is found all the same, and a listing is cheap.
// Steps run one at a time, each reading the volume the previous one left.
class cPulseVolume : public QObject
{
    Q_OBJECT
public:
    // Connects at once, so that the first step finds the server ready.
    explicit cPulseVolume(QObject *parent = nullptr);
    ~cPulseVolume() override;

    // Raises (positive `percent`) or lowers the volume of the sink that plays through `card`,
    // by that share of the full volume, on every channel and keeping their balance, never above
    // the full volume nor below silence. A server that went away is connected to again.
    void step(const cSoundCard &card, int percent);

signals:
    // The sink's new volume, its loudest channel in percent of the full volume, rounded.
    void stepped(const QString &cardPath, const QString &sinkName, int percent);
    void noSink(const QString &cardPath);
    // The server could not be reached (or the step failed on it): why, as libpulse says.
    void serverFailed(const QString &reason);

private:
    struct cStep
    {
        cSoundCard card;
        int percent = 0;
        QByteArray sinkName;
        int result = 0;
    };

    // libpulse calls these back on the server's thread, with its lock held.
    static void contextStateCallback(pa_context *context, void *self);
    static void cardCallback(pa_context *context, const pa_card_info *card, int eol, void *self);
    static void sinkCallback(pa_context *context, const pa_sink_info *sink, int eol, void *self);
    static void volumeCallback(pa_context *context, int success, void *self);

    // These run with the server's lock held, on either thread.
    void connectContext();
    void startNext();
    void finishStep();
    void failStep();
    void failAll(const QString &reason);
    void setVolume(const pa_sink_info &sink);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    std::deque<cStep> m_steps;
    // The server's cards as the step in flight listed them, before its sinks.
    cSoundCards m_cards;
};
