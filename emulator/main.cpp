// q71-host: loads the Q71Device plugin as the host application does and puts a simulated
// headset through a scenario, printing what happens as a timeline or as JSON Lines.
#include "RunExit.h"
#include "StandardInput.h"
#include "cEmulatorOptions.h"
#include "cEmulatorRun.h"
#include "cRunInputs.h"
#include "cVirtualEventDispatcher.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Taken before anything can open a file.
    const bool stdinClosed = StandardInput::isClosed();
    if (!cEmulatorOptions::realtimeIn(argc, argv))
        QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Q71_HOST_VERSION));

    // Everything the run needs is checked before anything of it happens.
    cEmulatorOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error))
        return RunExit::fail(error);
    cRunInputs inputs;
    if (const int status = inputs.open(options, stdinClosed))
        return status;
    cEmulatorRun run(options, inputs);
    return run.exec();
}
