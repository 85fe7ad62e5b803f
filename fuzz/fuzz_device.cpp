// A headset's whole life as the input tells it: every two bytes are one action of the host, the
// headset or the clock. The plugin is the built file, loaded and driven through the host library.
#include "FuzzApplication.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QMetaObject>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    Fuzz::preloadPlugin(cHost::defaultPluginFile());
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
            // The top bit picks the second headset, which has transports and a device of its own.
            const int unit = 1 + (action >> 7);
            const auto kind = TransportKind::TransportKind_t(argument % 3);
            const QSharedPointer<cSimHidTransport> hid = bus.hidTransport(unit);
            const cAbstractDevicePtr device = bus.device(host, unit);
            switch ((action & 0x7f) % 18) {
            case 0: // an input report of 0 to 15 bytes, mostly of the five a report has
                if (hid)
                    hid->feedInput(input.take(argument % 16));
                break;
            case 1:
                if (hid)
                    emit hid->writeComplete(qint8(argument));
                break;
            case 2: // time passes: completions arrive and the 100 ms shots fire
                cVirtualEventDispatcher::current()->advance(argument * 4);
                break;
            case 3: // a shot that no completion asked for
                if (device)
                    QMetaObject::invokeMethod(device.data(), "onWriteTimer");
                break;
            case 4: // mostly valid settings, and now and then any value a host could send
                microphone.setLightConfig(
                    MicLight::MicLight_t(argument < 200 ? argument % 4 : qint8(argument)));
                break;
            case 5:
                microphone.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(
                    argument < 200 ? argument % 3 : qint8(argument)));
                break;
            case 6:
                microphone.getCaps();
                microphone.getLightConfig();
                microphone.getNotificationConfig();
                microphone.isMuted();
                break;
            case 7:
                if (device)
                    microphone = cHost::microphone(device);
                break;
            case 8:
                host.exitApplication();
                break;
            case 9: // the host starts complete devices only; a device started by hand may be incomplete
                if (argument & 1)
                    host.start();
                else if (device)
                    device->start();
                break;
            case 10:
                if (argument & 1)
                    host.stop();
                else if (device)
                    device->stop();
                break;
            case 11:
                bus.unplug(kind, unit);
                break;
            case 12:
                bus.plug(kind, unit);
                break;
            case 13: // another product's transport, or a transport of no headset kind
                bus.plugTransport((argument & 4) ? cTransportFactory::foreign(kind, unit)
                                                 : cTransportFactory::headset(TransportKind::Other, unit));
                break;
            case 14:
                if (hid)
                    hid->setCompletionMode(cSimHidTransport::CompletionMode(argument % 3));
                break;
            case 15:
                if (hid)
                    hid->setCompletionLatency(argument);
                break;
            case 16:
                host.services().setAvailable(cHostServices::Service(argument % 3), argument & 4);
                break;
            case 17: // the plugin shut down under its devices, then initialised again
                host.shutdownPlugin();
                if (argument & 1)
                    host.loadPlugin();
                host.deviceManager()->setAutoStart(argument & 2);
                break;
            }
        }
    }
    // Whatever the devices left pending runs out with the host gone.
    cVirtualEventDispatcher::current()->advance(1000);
    return 0;
}
