#include "PulseThread.h"

#include <pulse/thread-mainloop.h>

#include <csignal>
#include <pthread.h>

namespace {

struct cMaskSetting
{
    sigset_t mask;
};

void setMask(pa_mainloop_api *api, pa_defer_event *event, void *data)
{
    auto *setting = static_cast<cMaskSetting *>(data);
    pthread_sigmask(SIG_SETMASK, &setting->mask, nullptr);
    api->defer_free(event);
    delete setting;
}

} // namespace

pa_threaded_mainloop *startPulseThread()
{
    pa_threaded_mainloop *loop = pa_threaded_mainloop_new();
    auto *setting = new cMaskSetting;
    pthread_sigmask(SIG_SETMASK, nullptr, &setting->mask);
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(loop);
    // The first thing the thread does, before any connection.
    api->defer_new(api, &setMask, setting);
    pa_threaded_mainloop_start(loop);
    return loop;
}
