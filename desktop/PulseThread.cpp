#include "PulseThread.h"

#include <pulse/thread-mainloop.h>

#include <csignal>
#include <pthread.h>

namespace {

struct cMaskSetting
{
    pa_threaded_mainloop *loop;
    sigset_t mask;
    bool taken;
};

void takeMask(pa_mainloop_api *api, pa_defer_event *event, void *data)
{
    auto *setting = static_cast<cMaskSetting *>(data);
    pthread_sigmask(SIG_SETMASK, &setting->mask, nullptr);
    api->defer_free(event);
    setting->taken = true;
    pa_threaded_mainloop_signal(setting->loop, 0);
}

} // namespace

pa_threaded_mainloop *startPulseThread()
{
    cMaskSetting setting {pa_threaded_mainloop_new(), {}, false};
    pthread_sigmask(SIG_SETMASK, nullptr, &setting.mask);
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(setting.loop);
    api->defer_new(api, &takeMask, &setting);
    // Held from before the start, so that the thread's first pass, which takes the mask, is over
    // before the caller adds anything to run there.
    pa_threaded_mainloop_lock(setting.loop);
    pa_threaded_mainloop_start(setting.loop);
    while (!setting.taken)
        pa_threaded_mainloop_wait(setting.loop);
    pa_threaded_mainloop_unlock(setting.loop);
    return setting.loop;
}
