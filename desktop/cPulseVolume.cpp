#include "cPulseVolume.h"

#include "PulseDevice.h"
#include "PulseThread.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/thread-mainloop.h>
#include <pulse/volume.h>

namespace {

int percentOf(pa_volume_t volume)
{
    return int((quint64(volume) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

bool isGone(pa_context *context)
{
    return !context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context));
}

} // namespace

cPulseVolume::cPulseVolume(QObject *parent)
    : QObject(parent)
    , m_loop(startPulseThread())
{
    pa_threaded_mainloop_lock(m_loop);
    connectContext();
    pa_threaded_mainloop_unlock(m_loop);
}

cPulseVolume::~cPulseVolume()
{
    pa_threaded_mainloop_lock(m_loop);
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_threaded_mainloop_unlock(m_loop);
    // What the thread queued for this object before it stopped goes with the object.
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void cPulseVolume::step(const cSoundCard &card, int percent)
{
    pa_threaded_mainloop_lock(m_loop);
    m_steps.push_back({card, percent, QByteArray(), 0});
    // A step in flight starts the next one when it ends.
    if (m_steps.size() == 1) {
        if (isGone(m_context))
            connectContext();
        else if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
            startNext();
    }
    pa_threaded_mainloop_unlock(m_loop);
}

void cPulseVolume::connectContext()
{
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_unref(m_context);
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "q71-host");
    pa_context_set_state_callback(m_context, &cPulseVolume::contextStateCallback, this);
    // Never start a server of our own: the desktop's is the one whose volume the user hears.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        failAll(QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
}

void cPulseVolume::contextStateCallback(pa_context *context, void *self)
{
    auto *volume = static_cast<cPulseVolume *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY)
        volume->startNext();
    else if (!PA_CONTEXT_IS_GOOD(state))
        volume->failAll(QString::fromUtf8(pa_strerror(pa_context_errno(context))));
}

void cPulseVolume::startNext()
{
    if (m_steps.empty())
        return;
    m_cards.clear();
    pa_operation *listing = pa_context_get_card_info_list(m_context, &cPulseVolume::cardCallback, this);
    if (!listing)
        return failStep();
    pa_operation_unref(listing);
}

void cPulseVolume::cardCallback(pa_context *context, const pa_card_info *card, int eol, void *self)
{
    auto *volume = static_cast<cPulseVolume *>(self);
    if (volume->m_steps.empty())
        return;
    if (eol < 0)
        return volume->failStep();
    if (eol == 0) {
        volume->m_cards.insert(card->index, pulseDevice(card->name, card->proplist));
        return;
    }
    pa_operation *listing = pa_context_get_sink_info_list(context, &cPulseVolume::sinkCallback, self);
    if (!listing)
        return volume->failStep();
    pa_operation_unref(listing);
}

void cPulseVolume::sinkCallback(pa_context *, const pa_sink_info *sink, int eol, void *self)
{
    auto *volume = static_cast<cPulseVolume *>(self);
    // The server went away under the listing; failAll() has already let go of its steps.
    if (volume->m_steps.empty())
        return;
    if (eol < 0)
        return volume->failStep();
    const cStep &current = volume->m_steps.front();
    // setVolume() names the sink the step found.
    const bool sinkFound = !current.sinkName.isEmpty();
    if (eol > 0) {
        // The listing ended: a step whose sink was found ends once the server has set its volume.
        if (sinkFound)
            return;
        const QString cardPath = current.card.sysfsPath();
        QMetaObject::invokeMethod(
            volume, [volume, cardPath] { emit volume->noSink(cardPath); }, Qt::QueuedConnection);
        return volume->finishStep();
    }
    const cSoundDevice device
        = pulseDevice(sink->name, sink->proplist).onCard(volume->m_cards.value(sink->card));
    if (!sinkFound && current.card.matches(device.sysfsPath, device.busPath))
        volume->setVolume(*sink);
}

void cPulseVolume::setVolume(const pa_sink_info &sink)
{
    cStep &current = m_steps.front();
    const pa_volume_t change
        = pa_volume_t((quint64(PA_VOLUME_NORM) * quint64(qAbs(current.percent)) + 50) / 100);
    pa_cvolume volume = sink.volume;
    // Both scale every channel by the same factor, so that the balance stays.
    if (current.percent > 0)
        pa_cvolume_inc_clamp(&volume, change, PA_VOLUME_NORM);
    else
        pa_cvolume_dec(&volume, change);
    current.sinkName = sink.name;
    current.result = percentOf(pa_cvolume_max(&volume));
    pa_operation *setting = pa_context_set_sink_volume_by_index(m_context, sink.index, &volume,
                                                                &cPulseVolume::volumeCallback, this);
    if (!setting)
        return failStep();
    pa_operation_unref(setting);
}

void cPulseVolume::volumeCallback(pa_context *, int success, void *self)
{
    auto *volume = static_cast<cPulseVolume *>(self);
    if (volume->m_steps.empty())
        return;
    if (!success)
        return volume->failStep();
    const cStep &done = volume->m_steps.front();
    const QString cardPath = done.card.sysfsPath();
    const QString sinkName = QString::fromUtf8(done.sinkName);
    const int result = done.result;
    QMetaObject::invokeMethod(
        volume, [=] { emit volume->stepped(cardPath, sinkName, result); }, Qt::QueuedConnection);
    volume->finishStep();
}

void cPulseVolume::finishStep()
{
    m_steps.pop_front();
    startNext();
}

void cPulseVolume::failStep()
{
    const QString reason = QString::fromUtf8(pa_strerror(pa_context_errno(m_context)));
    QMetaObject::invokeMethod(
        this, [this, reason] { emit serverFailed(reason); }, Qt::QueuedConnection);
    finishStep();
}

void cPulseVolume::failAll(const QString &reason)
{
    // Without a server no step can be made; the next one connects again.
    if (m_steps.empty())
        return;
    m_steps.clear();
    QMetaObject::invokeMethod(
        this, [this, reason] { emit serverFailed(reason); }, Qt::QueuedConnection);
}
