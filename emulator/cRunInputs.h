#pragma once
#include "ICaptureReader.h"
#include "cDesktopConfig.h"
#include "cPluginStage.h"
#include "cRunChecks.h"
#include "cScenario.h"
#include "cScenarioFile.h"

#include <memory>

struct cEmulatorOptions;

// What a run reads, checked and opened before anything of it happens: the scenario (read to its
// end here, and again as it runs), the capture to replay, the golden to check against, the
// configuration file, and the plugin staged with its manifest.
class cRunInputs
{
public:
    // 0, or the exit code of a run that cannot start, its reasons told on standard error.
    // `stdinClosed`: the program started with no standard input.
    int open(const cEmulatorOptions &options, bool stdinClosed);

    // What the runner plays when there is a capture to replay and no scenario: the headset is
    // plugged and started, the capture plays out, and some time is left for what its last report
    // sets off.
    static cScenario replayScenario(qint64 lengthMs);

    cScenarioFile scenario;
    QString title; // names the run in the timeline's first line
    std::unique_ptr<ICaptureReader> capture; // the capture to replay, when there is one
    cRunChecks checks;
    cDesktopConfig config; // open when the run reads one
    cPluginStage stage; // where the plugin is loaded from, and the manifest it reads

private:
    bool readCapture(const cEmulatorOptions &options, QString *error);
    int loadScenario(const cEmulatorOptions &options, bool stdinClosed);
};
