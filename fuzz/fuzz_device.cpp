// A headset's whole life as the input tells it: every two bytes are one action of the host, the
// headset or the clock. The plugin is the built file, loaded and driven through the host library.
#include "FuzzApplication.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QMetaObject>

#include <iterator>

namespace {

// What a step acts on: the run's bus, host and kept microphone model, and what the step's two
// bytes chose. The top bit of the action picks the second headset, which has transports and a
// device of its own.
struct cStepContext
{
    Fuzz::cInputBytes &input;
    cSimBus &bus;
    cHost &host;
    cMicrophoneClient &microphone;
    quint8 argument;
    int unit;
    TransportKind::TransportKind_t kind;
    QSharedPointer<cSimHidTransport> hid;
    cAbstractDevicePtr device;
};

struct cStep
{
    const char *name;
    void (*run)(cStepContext &step);
};

// The action byte's low seven bits pick a step by its place here: the seeds in fuzz/corpus spell
// their actions by these places, so a new step goes at the end.
const cStep g_steps[] = {
    {"input report of 0 to 15 bytes, mostly of the five a report has",
     [](cStepContext &s) {
         if (s.hid)
             s.hid->feedInput(s.input.take(s.argument % 16));
     }},
    {"write completion",
     [](cStepContext &s) {
         if (s.hid)
             emit s.hid->writeComplete(qint8(s.argument));
     }},
    {"time passes: completions arrive and the 100 ms shots fire",
     [](cStepContext &s) { cVirtualEventDispatcher::current()->advance(s.argument * 4); }},
    {"a shot that no completion asked for",
     [](cStepContext &s) {
         if (s.device)
             QMetaObject::invokeMethod(s.device.data(), "onWriteTimer");
     }},
    {"light setting, mostly valid, now and then any value a host could send",
     [](cStepContext &s) {
         s.microphone.setLightConfig(
             MicLight::MicLight_t(s.argument < 200 ? s.argument % 4 : qint8(s.argument)));
     }},
    {"notification setting, mostly valid",
     [](cStepContext &s) {
         s.microphone.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(
             s.argument < 200 ? s.argument % 3 : qint8(s.argument)));
     }},
    {"microphone model read",
     [](cStepContext &s) {
         s.microphone.getCaps();
         s.microphone.getLightConfig();
         s.microphone.getNotificationConfig();
         s.microphone.isMuted();
     }},
    {"microphone model of the unit's device",
     [](cStepContext &s) {
         if (s.device)
             s.microphone = cHost::microphone(s.device);
     }},
    {"application exit", [](cStepContext &s) { s.host.exitApplication(); }},
    {"start: the host starts complete devices only, one by hand may be incomplete",
     [](cStepContext &s) {
         if (s.argument & 1)
             s.host.start();
         else if (s.device)
             s.device->start();
     }},
    {"stop",
     [](cStepContext &s) {
         if (s.argument & 1)
             s.host.stop();
         else if (s.device)
             s.device->stop();
     }},
    {"unplug", [](cStepContext &s) { s.bus.unplug(s.kind, s.unit); }},
    {"plug", [](cStepContext &s) { s.bus.plug(s.kind, s.unit); }},
    {"another product's transport, or a transport of no headset kind",
     [](cStepContext &s) {
         s.bus.plugTransport((s.argument & 4) ? cTransportFactory::foreign(s.kind, s.unit)
                                              : cTransportFactory::headset(TransportKind::Other, s.unit));
     }},
    {"completion mode",
     [](cStepContext &s) {
         if (s.hid)
             s.hid->setCompletionMode(cSimHidTransport::CompletionMode(s.argument % 3));
     }},
    {"completion latency",
     [](cStepContext &s) {
         if (s.hid)
             s.hid->setCompletionLatency(s.argument);
     }},
    {"host service up or down",
     [](cStepContext &s) {
         s.host.services().setAvailable(cHostServices::Service(s.argument % 3), s.argument & 4);
     }},
    {"plugin shut down under its devices, then initialised again",
     [](cStepContext &s) {
         s.host.shutdownPlugin();
         if (s.argument & 1)
             s.host.loadPlugin();
         s.host.deviceManager()->setAutoStart(s.argument & 2);
     }},
};

// Q71_FUZZ_STEPS names each step as it runs, to read what a crashing input did.
bool g_printSteps = false;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    Fuzz::preloadPlugin(cHost::defaultPluginFile());
    g_printSteps = qEnvironmentVariableIsSet("Q71_FUZZ_STEPS");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::cInputBytes input(data, size);
    {
        cSimBus bus;
        cHost host;
        host.attachBus(&bus);
        if (!host.loadPlugin()) {
            fprintf(stderr, "%s\n", qPrintable(host.pluginError()));
            abort();
        }
        bus.plugHeadset();
        // Kept across unplugs and re-plugs, so that the host also uses a model whose device is gone.
        cMicrophoneClient microphone = cHost::microphone(bus.device(host));

        while (!input.atEnd()) {
            const quint8 action = input.next();
            const quint8 argument = input.next();
            const int unit = 1 + (action >> 7);
            cStepContext context {input,
                                  bus,
                                  host,
                                  microphone,
                                  argument,
                                  unit,
                                  TransportKind::TransportKind_t(argument % 3),
                                  bus.hidTransport(unit),
                                  bus.device(host, unit)};
            const cStep &step = g_steps[(action & 0x7f) % std::size(g_steps)];
            if (g_printSteps)
                fprintf(stderr, "unit %d, %u: %s\n", unit, unsigned(argument), step.name);
            step.run(context);
        }
    }
    // Whatever the devices left pending runs out with the host gone.
    cVirtualEventDispatcher::current()->advance(1000);
    return 0;
}
