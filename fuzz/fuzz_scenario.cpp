// A scenario file as q71-host reads it: the input is the file's text, written to a file and read
// back through the program's own reader (cScenarioFile), which checks every line in a first pass
// and reads the commands again in a second. The same text with its last line break added or
// taken away must read as the same commands: the reader's end of file is where a last line
// without a break is handled. The lines that parse are then played against the plugin on virtual
// time, with both printers writing the trace, so that what a user may hand the emulator reaches
// the runner too (the program itself refuses to run a scenario with a bad line; the good ones are
// played here all the same).
#include "FuzzApplication.h"
#include "NexaroHost.h"
#include "cClock.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cScenarioFile.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cSimBus.h"
#include "cTimelineSink.h"
#include "cTrace.h"

#include <QBuffer>
#include <QTemporaryFile>

namespace {

// The file the inputs are written to, one after the other.
QTemporaryFile *g_file = nullptr;

// What the reader made of one text: the commands of the first pass, the lines of the second, and
// how many lines were malformed.
struct cReading
{
    cScenario scenario;
    QList<int> secondPass;
    int errors = 0;
};

cReading read(const QByteArray &text)
{
    if (!g_file->resize(0) || !g_file->seek(0) || g_file->write(text) != text.size() || !g_file->flush())
        abort();
    cReading reading;
    reading.scenario.source = QStringLiteral("fuzz.q71");
    cScenarioFile file;
    cScenarioParser parser;
    if (!file.open(g_file->fileName()) || !file.check(&parser, [&](const cScenarioCommand &command) {
            reading.scenario.commands << command;
        }))
        abort();
    reading.errors = parser.errorCount();
    // It fails exactly when it has something to say about a line.
    if ((reading.errors == 0) != parser.errors().isEmpty())
        abort();
    cScenarioCommand command;
    while (file.next(&command))
        reading.secondPass << command.line;
    // The second reading stops at the first malformed line, as the program's run would.
    if (reading.errors == 0 && !file.errorString().isEmpty())
        abort();
    return reading;
}

QList<int> linesOf(const cScenario &scenario)
{
    QList<int> lines;
    for (const cScenarioCommand &command : scenario.commands)
        lines << command.line;
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::startApplication(argc, argv);
    Fuzz::preloadPlugin(cHost::defaultPluginFile());
    g_file = new QTemporaryFile;
    if (!g_file->open())
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const cReading reading = read(text);
    const QList<int> lines = linesOf(reading.scenario);
    // The second pass reads what the first did, up to the first malformed line.
    if (reading.secondPass != lines.mid(0, reading.errors == 0 ? lines.size() : reading.secondPass.size()))
        abort();
    const cReading toggled = read(text.endsWith('\n') ? text.chopped(1) : text + '\n');
    if (toggled.errors != reading.errors || linesOf(toggled.scenario) != lines)
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
        runner.run(reading.scenario);
        trace.finish();
        for (cHostServices::Service service : cHostServices::All)
            host.services().setAvailable(service, true);
    }
    Nexaro::setLocaleOverride(QString()); // "locale" outlives the run otherwise
    cVirtualEventDispatcher::current()->advance(1000);
    return 0;
}
