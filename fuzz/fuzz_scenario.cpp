// A scenario file as q71-host reads it: the input is the file's text. The lines that parse are then
// played against the plugin on virtual time, with both printers writing the trace, so that what a
// user may hand the emulator reaches the runner too (the program itself refuses to run a scenario
// with a bad line; the good ones are played here all the same).
#include "FuzzApplication.h"
#include "NexaroHost.h"
#include "cClock.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cSimBus.h"
#include "cTimelineSink.h"
#include "cTrace.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    Fuzz::preloadPlugin(cHost::defaultPluginFile());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    cScenarioParser parser;
    const bool parsed = parser.parse(QStringLiteral("fuzz.q71"),
                                     QByteArray(reinterpret_cast<const char *>(data), int(size)));
    // It fails exactly when it has something to say about a line.
    if (parsed != parser.errors().isEmpty())
        abort();

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    cClock clock;
    cTrace trace(clock);
    cJsonLinesSink json(&out);
    cTimelineSink timeline(&out, QStringLiteral("fuzz"));
    trace.addSink(&json);
    trace.addSink(&timeline);
    {
        // The bus outlives the host, which takes every transport back from the devices as it goes.
        cSimBus bus;
        cHost host;
        host.attachBus(&bus);
        if (!host.loadPlugin())
            abort();
        cScenarioRunner runner(host, bus, clock, trace);
        runner.run(parser.scenario());
        trace.finish();
        for (cHostServices::Service service : cHostServices::All)
            host.services().setAvailable(service, true);
    }
    Nexaro::setLocaleOverride(QString()); // "locale" outlives the run otherwise
    cVirtualEventDispatcher::current()->advance(1000);
    return 0;
}
