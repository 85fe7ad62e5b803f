#pragma once
#include "cSoundServerState.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct pa_context;
struct pa_server_info;
struct pa_card_info;
struct pa_sink_info;
struct pa_source_info;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;
struct timeval;

// The default sink and source of the desktop's sound server (PulseAudio, or PipeWire through the
// same protocol), followed with libpulse from a thread of its own: every change of the server's
// devices or defaults brings what it now holds to the Qt thread. A server that is not there yet,
// or goes away, is connected to again each second, since the headset may well come before the
// desktop session's server does.
class cPulseDefaults : public QObject
{
    Q_OBJECT
public:
    explicit cPulseDefaults(QObject *parent = nullptr);
    ~cPulseDefaults() override;

    void setDefault(cSoundServerState::Kind kind, const QString &device);

    // Reads the server again on a new connection, once the defaults asked of it are answered: a
    // decision that must rest on what the server holds now cannot trust what the running
    // connection was told, since PipeWire's protocol server (0.3.65, in Debian 12) can leave a
    // connection's idea of the defaults behind while other clients come and go. States of the
    // connection returned, or a later one, are fresh.
    int refresh();
    // The reading of connection `fresh` (one refresh() returned) or a later one, waited for here
    // (a second at most), for the run's end, when no event loop runs to bring it: none without a
    // server.
    std::optional<cSoundServerState> readNow(int fresh);

signals:
    // What the server held when `connection` read it; connections are numbered from 1.
    void stateChanged(const cSoundServerState &state, int connection);
    // A default could not be set: why, as libpulse says.
    void setFailed(const QString &device, const QString &reason);

private:
    // A default being set, for its callback.
    struct cSetting
    {
        cPulseDefaults *self;
        QString device;
        // Asked of the server, and so counted until it answers.
        bool sent = false;
    };

    // libpulse calls these back on the server's thread, with its lock held.
    static void contextStateCallback(pa_context *context, void *self);
    static void settingCallback(pa_context *context, int success, void *setting);
    static void subscribeCallback(pa_context *context, int event, quint32 index, void *self);
    static void retryCallback(pa_mainloop_api *api, pa_time_event *event, const timeval *, void *self);
    static void serverCallback(pa_context *context, const pa_server_info *server, void *self);
    static void cardCallback(pa_context *context, const pa_card_info *card, int eol, void *self);
    static void sinkCallback(pa_context *context, const pa_sink_info *sink, int eol, void *self);
    static void sourceCallback(pa_context *context, const pa_source_info *source, int eol, void *self);

    // These run with the server's lock held, on either thread.
    void drain();
    // Waits, the lock let go meanwhile, until `done`, the connection fails or a second passes.
    void waitUntil(const std::function<bool()> &done);
    void connectContext();
    void dropContext();
    void retryLater(std::uint64_t delayUsec);
    void read();
    // `complete`: every listing of the reading came to its end.
    void readDone(bool complete);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_time_event *m_retry = nullptr;
    // The connection's number, counted up by each new one.
    int m_connection = 0;
    // Its defaults asked for are answered first.
    bool m_refreshWanted = false;
    // What the reading in flight has gathered, and on which connection; a change during a reading
    // reads again after it.
    cSoundServerState m_reading;
    int m_readingConnection = 0;
    // The last whole reading, for readNow().
    cSoundServerState m_lastState;
    int m_lastConnection = 0;
    cSoundCards m_cards;
    bool m_busy = false;
    // Defaults asked of the server and not yet answered; drain() waits for them.
    int m_settings = 0;
    bool m_waitExpired = false;
    bool m_again = false;
};
