#include "cPulseDefaults.h"

#include "PulseDevice.h"
#include "PulseThread.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

namespace {

const pa_usec_t g_retryUsec = 1000 * 1000;
const pa_usec_t g_waitUsec = 1000 * 1000;

} // namespace

cPulseDefaults::cPulseDefaults(QObject *parent)
    : QObject(parent)
    , m_loop(startPulseThread())
{
    pa_threaded_mainloop_lock(m_loop);
    connectContext();
    pa_threaded_mainloop_unlock(m_loop);
}

cPulseDefaults::~cPulseDefaults()
{
    pa_threaded_mainloop_lock(m_loop);
    drain();
    dropContext();
    if (m_retry)
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_retry);
    pa_threaded_mainloop_unlock(m_loop);
    // What the thread queued for this object before it stopped goes with the object.
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void cPulseDefaults::setDefault(cSoundServerState::Kind kind, const QString &device)
{
    pa_threaded_mainloop_lock(m_loop);
    const QByteArray name = device.toUtf8();
    auto *setting = new cSetting {this, device};
    const bool ready = m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
    pa_operation *operation = nullptr;
    if (ready)
        operation = kind == cSoundServerState::Sink
            ? pa_context_set_default_sink(m_context, name.constData(), &settingCallback, setting)
            : pa_context_set_default_source(m_context, name.constData(), &settingCallback, setting);
    if (operation) {
        setting->sent = true;
        ++m_settings;
        pa_operation_unref(operation);
    } else {
        settingCallback(ready ? m_context : nullptr, 0, setting);
    }
    pa_threaded_mainloop_unlock(m_loop);
}

void cPulseDefaults::settingCallback(pa_context *context, int success, void *data)
{
    const QScopedPointer<cSetting> setting(static_cast<cSetting *>(data));
    cPulseDefaults *self = setting->self;
    if (setting->sent && self->m_settings > 0) {
        --self->m_settings;
        pa_threaded_mainloop_signal(self->m_loop, 0);
        // A connection is not dropped from within its own callback.
        if (self->m_settings == 0 && self->m_refreshWanted)
            self->retryLater(0);
    }
    if (success)
        return;
    const QString reason = context ? QString::fromUtf8(pa_strerror(pa_context_errno(context)))
                                   : QStringLiteral("no connection to the server");
    const QString device = setting->device;
    QMetaObject::invokeMethod(
        self, [=] { emit self->setFailed(device, reason); }, Qt::QueuedConnection);
}

int cPulseDefaults::refresh()
{
    pa_threaded_mainloop_lock(m_loop);
    const int fresh = m_connection + 1;
    if (m_settings == 0)
        connectContext();
    else
        m_refreshWanted = true;
    pa_threaded_mainloop_unlock(m_loop);
    return fresh;
}

std::optional<cSoundServerState> cPulseDefaults::readNow(int fresh)
{
    pa_threaded_mainloop_lock(m_loop);
    drain();
    // The refresh may still be waiting for the answers drain() waited for.
    if (m_connection < fresh)
        connectContext();
    waitUntil([this, fresh] { return m_lastConnection >= fresh; });
    std::optional<cSoundServerState> state;
    if (m_lastConnection >= fresh)
        state = m_lastState;
    pa_threaded_mainloop_unlock(m_loop);
    return state;
}

void cPulseDefaults::drain()
{
    // Defaults given back as the run ends (its devices let go of as if unplugged) reach the server
    // before the connection closes.
    waitUntil([this] { return m_settings == 0; });
}

void cPulseDefaults::waitUntil(const std::function<bool()> &done)
{
    // A server that does not answer soon is not waited for.
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    timeval until;
    pa_timeval_add(pa_gettimeofday(&until), g_waitUsec);
    m_waitExpired = false;
    pa_time_event *timeout = api->time_new(
        api, &until,
        [](pa_mainloop_api *, pa_time_event *, const timeval *, void *self) {
            auto *defaults = static_cast<cPulseDefaults *>(self);
            defaults->m_waitExpired = true;
            pa_threaded_mainloop_signal(defaults->m_loop, 0);
        },
        this);
    while (!done() && !m_waitExpired && m_context && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
        pa_threaded_mainloop_wait(m_loop);
    api->time_free(timeout);
}

void cPulseDefaults::connectContext()
{
    dropContext();
    if (m_retry) {
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_retry);
        m_retry = nullptr;
    }
    ++m_connection;
    m_refreshWanted = false;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "q71-host");
    pa_context_set_state_callback(m_context, &cPulseDefaults::contextStateCallback, this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *context, pa_subscription_event_type_t event, uint32_t index, void *self) {
            subscribeCallback(context, int(event), index, self);
        },
        this);
    // Never start a server of our own: the desktop's is the one the user hears.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        retryLater(g_retryUsec);
}

void cPulseDefaults::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_settings = 0;
    m_busy = false;
    m_again = false;
}

void cPulseDefaults::retryLater(std::uint64_t delayUsec)
{
    if (m_retry)
        return;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), delayUsec);
    m_retry = pa_threaded_mainloop_get_api(m_loop)->time_new(pa_threaded_mainloop_get_api(m_loop), &when,
                                                             &cPulseDefaults::retryCallback, this);
}

void cPulseDefaults::retryCallback(pa_mainloop_api *api, pa_time_event *event, const timeval *, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    api->time_free(event);
    defaults->m_retry = nullptr;
    defaults->connectContext();
}

void cPulseDefaults::contextStateCallback(pa_context *context, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                                 | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation *subscribing = pa_context_subscribe(context, mask, nullptr, nullptr))
            pa_operation_unref(subscribing);
        defaults->read();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        defaults->retryLater(g_retryUsec);
        // Nothing more will be answered on this connection.
        pa_threaded_mainloop_signal(defaults->m_loop, 0);
    }
}

void cPulseDefaults::subscribeCallback(pa_context *, int, quint32, void *self)
{
    static_cast<cPulseDefaults *>(self)->read();
}

void cPulseDefaults::read()
{
    if (m_busy) {
        m_again = true;
        return;
    }
    m_reading = cSoundServerState();
    m_readingConnection = m_connection;
    pa_operation *reading = pa_context_get_server_info(m_context, &cPulseDefaults::serverCallback, this);
    if (!reading)
        return;
    m_busy = true;
    pa_operation_unref(reading);
}

void cPulseDefaults::serverCallback(pa_context *context, const pa_server_info *server, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    if (server) {
        defaults->m_reading.defaultSink = QString::fromUtf8(server->default_sink_name);
        defaults->m_reading.defaultSource = QString::fromUtf8(server->default_source_name);
    }
    defaults->m_cards.clear();
    pa_operation *listing = pa_context_get_card_info_list(context, &cPulseDefaults::cardCallback, self);
    if (listing)
        pa_operation_unref(listing);
    else
        defaults->readDone(false);
}

void cPulseDefaults::cardCallback(pa_context *context, const pa_card_info *card, int eol, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    if (eol == 0) {
        defaults->m_cards.insert(card->index, pulseDevice(card->name, card->proplist));
        return;
    }
    pa_operation *listing
        = eol > 0 ? pa_context_get_sink_info_list(context, &cPulseDefaults::sinkCallback, self) : nullptr;
    if (listing)
        pa_operation_unref(listing);
    else
        defaults->readDone(false);
}

void cPulseDefaults::sinkCallback(pa_context *context, const pa_sink_info *sink, int eol, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    if (eol == 0) {
        defaults->m_reading.sinks.append(
            pulseDevice(sink->name, sink->proplist).onCard(defaults->m_cards.value(sink->card)));
        return;
    }
    pa_operation *listing
        = eol > 0 ? pa_context_get_source_info_list(context, &cPulseDefaults::sourceCallback, self) : nullptr;
    if (listing)
        pa_operation_unref(listing);
    else
        defaults->readDone(false);
}

void cPulseDefaults::sourceCallback(pa_context *, const pa_source_info *source, int eol, void *self)
{
    auto *defaults = static_cast<cPulseDefaults *>(self);
    if (eol != 0)
        return defaults->readDone(eol > 0);
    // A sink's monitor carries the sink's card, but nobody speaks into it.
    if (source->monitor_of_sink == PA_INVALID_INDEX)
        defaults->m_reading.sources.append(
            pulseDevice(source->name, source->proplist).onCard(defaults->m_cards.value(source->card)));
}

void cPulseDefaults::readDone(bool complete)
{
    m_busy = false;
    // Half a listing would look like devices gone.
    if (complete) {
        m_lastState = m_reading;
        m_lastConnection = m_readingConnection;
        pa_threaded_mainloop_signal(m_loop, 0);
        const cSoundServerState state = m_reading;
        const int connection = m_readingConnection;
        QMetaObject::invokeMethod(
            this, [this, state, connection] { emit stateChanged(state, connection); }, Qt::QueuedConnection);
    }
    if (m_again) {
        m_again = false;
        read();
    }
}
