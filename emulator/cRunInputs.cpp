#include "cRunInputs.h"

#include "CaptureFormat.h"
#include "RunExit.h"
#include "cEmulatorOptions.h"
#include "cLiveHost.h"
#include "cScenarioParser.h"

namespace {

// What a replay without a scenario leaves after the capture's last report: a new setup takes four
// paced writes.
const qint64 g_replayTailMs = 500;

} // namespace

int cRunInputs::open(const cEmulatorOptions &options, bool stdinClosed)
{
    QString error;
    if (options.replayFile && !readCapture(options, &error))
        return RunExit::fail(error);
    checks.setStrict(options.strict);
    if (options.checkFile && !checks.openGolden(*options.checkFile, &error))
        return RunExit::fail(error);
    if (options.live && !cLiveHost::isAvailable())
        return RunExit::fail(
            QStringLiteral("--live needs the Linux bus, and this q71-host was built without libudev"));
    if (const int status = loadScenario(options, stdinClosed))
        return status;
    const std::optional<QString> configFile = options.configToRead();
    if (configFile && !config.open(*configFile, options.configFile.has_value(), &error))
        return RunExit::fail(error);
    if (!stage.prepare(options.pluginFile, options.manifestFile, &error))
        return RunExit::fail(error);
    return 0;
}

cScenario cRunInputs::replayScenario(qint64 lengthMs)
{
    cScenario scenario;
    scenario.source = QStringLiteral("<replay>");
    cScenarioCommand plug;
    plug.kind = cScenarioCommand::Plug;
    for (TransportKind::TransportKind_t kind :
         {TransportKind::Hid, TransportKind::Render, TransportKind::Capture})
        plug.transports.append({kind, cTransportChoice::Headset});
    cScenarioCommand start;
    start.kind = cScenarioCommand::Start;
    cScenarioCommand wait;
    wait.kind = cScenarioCommand::Wait;
    wait.ms = lengthMs + g_replayTailMs;
    cScenarioCommand unplug = plug;
    unplug.kind = cScenarioCommand::Unplug;
    scenario.commands = {plug, start, wait, unplug};
    return scenario;
}

bool cRunInputs::readCapture(const cEmulatorOptions &options, QString *error)
{
    const QString &file = *options.replayFile;
    capture = CaptureFormat::read(file, options.replayDevice, error);
    if (!capture)
        return false;
    if (options.replayDevice.isEmpty() && capture->devices().size() > 1)
        *error = QStringLiteral("%1 holds the input of several devices (%2): choose one with --replay-device")
                     .arg(file, capture->devices().join(QStringLiteral(", ")));
    else if (capture->reportCount() == 0)
        *error = QStringLiteral("%1 holds no input reports to replay").arg(file);
    return error->isEmpty();
}

// Each malformed line of the scenario is reported on a line of its own, up to a limit.
int cRunInputs::loadScenario(const cEmulatorOptions &options, bool stdinClosed)
{
    if (!options.scenario && options.replayFile) {
        title = QStringLiteral("replay of %1").arg(cScenarioParser::printable(*options.replayFile));
        return 0;
    }
    if (!options.scenario && options.live) {
        title = QStringLiteral("the machine's headsets until stopped");
        return 0;
    }
    const QString file = options.scenario.value_or(QString());
    // A closed standard input would otherwise read as whatever file took its descriptor since.
    if (file == QLatin1String("-") && stdinClosed)
        return RunExit::fail(QStringLiteral("cannot read scenario <stdin>: standard input is closed"));
    cScenarioParser parser;
    // A live run refuses what it cannot do before anything of it happens, as a malformed line.
    QStringList refusals;
    const auto inspect = [&](const cScenarioCommand &command) {
        if (command.kind == cScenarioCommand::Expect)
            checks.setExpectations(true);
        const QString refusal = options.live ? cLiveHost::refusal(scenario.source(), command) : QString();
        if (!refusal.isEmpty())
            refusals << refusal;
    };
    if (!scenario.open(file) || !scenario.check(&parser, inspect))
        return RunExit::fail(cScenarioParser::printable(scenario.errorString()));
    if (parser.errorCount() > 0) {
        RunExit::printLines(parser.errors());
        return RunExit::Failure;
    }
    // A file name may hold bytes a terminal would act on.
    title = options.scenario ? cScenarioParser::printable(scenario.source())
                             : QStringLiteral("the built-in demo");
    RunExit::printLines(refusals);
    return refusals.isEmpty() ? 0 : RunExit::Failure;
}
