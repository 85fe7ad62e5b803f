#include "CtlExit.h"
#include "HeadsetReport.h"
#include "cCtlCommandLine.h"
#include "cCtlOutput.h"
#include "cHeadsetBus.h"
#include "cHeadsetMonitor.h"
#include "cSignalStop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusObjectPath>

#include <cstdio>
#include <memory>

namespace {

int failWith(const CtlExit::cFailure &failure)
{
    std::fprintf(stderr, "q71ctl: %s\n", qPrintable(failure.message));
    return failure.code;
}

int runOnce(const cCtlCommandLine &commandLine, const QDBusConnection &connection, cCtlOutput *output)
{
    cHeadsetBus bus(connection);
    QByteArray text;
    if (commandLine.command() == cCtlCommandLine::List) {
        QList<QVariantMap> headsets;
        if (!bus.headsets(&headsets))
            return failWith(bus.failure());
        text = commandLine.json() ? HeadsetReport::listJson(headsets) : HeadsetReport::listText(headsets);
    } else if (commandLine.command() == cCtlCommandLine::Show) {
        QVariantMap properties;
        if (!bus.headset(commandLine.number(), &properties))
            return failWith(bus.failure());
        text = commandLine.json() ? HeadsetReport::showJson(properties) : HeadsetReport::showText(properties);
    } else if (!bus.set(commandLine.number(), *commandLine.setting(), commandLine.value())) {
        return failWith(bus.failure());
    }
    // A reader that left early wanted no more: nothing is lost that it asked for.
    output->write(text);
    return CtlExit::Ok;
}

int runMonitor(QCoreApplication &app, const cSignalStop &stop, bool json, const QDBusConnection &connection,
               cCtlOutput *output)
{
    cHeadsetMonitor monitor(connection, json, output);
    CtlExit::cFailure failure;
    if (!monitor.start(&failure))
        return failWith(failure);
    QObject::connect(&stop, &cSignalStop::caught, &app, [&app] { app.exit(CtlExit::Ok); });
    QObject::connect(&monitor, &cHeadsetMonitor::finished, &app,
                     [&app, &failure](const CtlExit::cFailure &end) {
                         failure = end;
                         app.exit(end.code);
                     });
    // On stderr, which a script reading the events does not parse: the monitor listens from now on.
    std::fprintf(stderr, "q71ctl: monitoring the headsets of %s; Ctrl-C stops\n",
                 qPrintable(cHeadsetBus::serviceName()));
    const int code = app.exec();
    return failure.code != CtlExit::Ok ? failWith(failure) : code;
}

int run(QCoreApplication &app, const cCtlCommandLine &commandLine, const cSignalStop *stop,
        const QDBusConnection &connection)
{
    if (!connection.isConnected()) {
        return failWith({CtlExit::NoService,
                         CtlExit::noServiceLine(
                             QStringLiteral("no session bus (%1)").arg(connection.lastError().message()))});
    }
    cCtlOutput output;
    if (stop)
        return runMonitor(app, *stop, commandLine.json(), connection, &output);
    return runOnce(commandLine, connection, &output);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Q71_CTL_VERSION));

    cCtlCommandLine commandLine;
    switch (commandLine.parse(QCoreApplication::arguments())) {
    case cCtlCommandLine::Help:
        std::fputs(qPrintable(commandLine.helpText()), stdout);
        return CtlExit::Ok;
    case cCtlCommandLine::Version:
        std::printf("q71ctl %s\n", Q71_CTL_VERSION);
        return CtlExit::Ok;
    case cCtlCommandLine::Error:
        return failWith({CtlExit::Refused, commandLine.error() + QStringLiteral("; see q71ctl --help")});
    case cCtlCommandLine::Run:
        break;
    }

    // QtDBus (6.4 as tested) may still be reading a message from the bus while the process ends,
    // into types registered at run time. Registered before the bus is first touched, the registry
    // of those types outlives the bus's thread, which is taken down in the reverse order.
    qMetaTypeId<QDBusObjectPath>();
    // A monitor ends on SIGINT or SIGTERM, which reach it only if they are blocked before the bus's
    // thread starts: that thread would otherwise take them to their default action.
    std::unique_ptr<cSignalStop> stop;
    if (commandLine.command() == cCtlCommandLine::Monitor)
        stop.reset(new cSignalStop(true));
    return run(app, commandLine, stop.get(), QDBusConnection::sessionBus());
}
