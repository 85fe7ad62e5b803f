#include "cDesktopActions.h"

#include "DesktopLog.h"

#include <QEventLoop>
#include <QSettings>
#include <QStringList>
#include <QTimer>

#include <utility>
#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

const char g_shell[] = "/bin/sh";
// How long a stopped command's group has for SIGTERM before SIGKILL.
const int g_termGraceMs = 500;

#ifdef Q_OS_UNIX
// Runs in the child between fork and exec, where only async-signal-safe calls may: these are. The
// command leads a group of its own, and starts with no signal blocked whatever the program that
// runs it blocks (q71-host reads SIGINT and SIGTERM from a signalfd, and a mask outlives exec).
void setUpCommand()
{
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setpgid(0, 0);
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Qt 5 runs its code in the child through this virtual; Qt 6 takes a function instead.
class cGroupLeaderProcess : public QProcess
{
public:
    using QProcess::QProcess;

protected:
    void setupChildProcess() override { setUpCommand(); }
};
#endif

QProcess *newGroupLeader(QObject *parent)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return new cGroupLeaderProcess(parent);
#else
    auto *process = new QProcess(parent);
    process->setChildProcessModifier(&setUpCommand);
    return process;
#endif
}
#else
// Elsewhere a command is stopped on its own.
QProcess *newGroupLeader(QObject *parent)
{
    return new QProcess(parent);
}
#endif

} // namespace

QStringList cDesktopActions::events()
{
    QStringList events {dolbyEvent(true), dolbyEvent(false), microphoneEvent()};
    for (int key = 1; key <= 3; ++key)
        events << keyEvent(key, true) << keyEvent(key, false);
    return events;
}

cDesktopActions::cDesktopActions(QObject *parent)
    : QObject(parent)
{ }

cDesktopActions::~cDesktopActions()
{
    stopAll();
}

QString cDesktopActions::keyEvent(int key, bool pressed)
{
    return QStringLiteral("G%1.%2").arg(key).arg(pressed ? QLatin1String("pressed")
                                                         : QLatin1String("released"));
}

QString cDesktopActions::dolbyEvent(bool on)
{
    return on ? QStringLiteral("dolby.on") : QStringLiteral("dolby.off");
}

void cDesktopActions::load(QSettings &settings)
{
    const QStringList known = events();
    settings.beginGroup(settingsGroup());
    for (const QString &key : settings.childKeys()) {
        if (!known.contains(key)) {
            qCWarning(lcQ71Desktop, "[actions] %s: no such event (%s)", qUtf8Printable(key),
                      qUtf8Printable(known.join(QStringLiteral(", "))));
            continue;
        }
        // QSettings reads an unquoted value with commas as a list; the command is the whole line.
        m_commands.insert(key, settings.value(key).toStringList().join(QStringLiteral(", ")));
    }
    settings.endGroup();
}

void cDesktopActions::run(const QString &event, const QString &model, int device,
                          const QList<QPair<QString, QString>> &more)
{
    const QString command = m_commands.value(event);
    if (command.isEmpty())
        return;
    if (m_running.size() >= MaxRunning) {
        qCWarning(lcQ71Desktop, "action %s: not run, %d commands are still running", qUtf8Printable(event),
                  MaxRunning);
        return;
    }
    QProcess *process = newGroupLeader(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("Q71_EVENT"), event);
    environment.insert(QStringLiteral("Q71_MODEL"), model);
    environment.insert(QStringLiteral("Q71_DEVICE"), QString::number(device));
    for (const auto &variable : more)
        environment.insert(variable.first, variable.second);
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::errorOccurred, this, [this, process, event](QProcess::ProcessError error) {
        // A command that started and then failed is reported when it finishes.
        if (error != QProcess::FailedToStart)
            return;
        qCWarning(lcQ71Desktop, "action %s: cannot start %s: %s", qUtf8Printable(event), g_shell,
                  qUtf8Printable(process->errorString()));
        release(process);
    });
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this, process, event](int exitCode, QProcess::ExitStatus status) {
                onFinished(process, event, exitCode, status);
            });
    m_running.append(process);
    process->start(QLatin1String(g_shell), {QStringLiteral("-c"), command});
    // The child makes its group too; from here as well, so that a stop right after the start
    // finds the group whichever of the two ran first (this one fails once the child has exec'd).
#ifdef Q_OS_UNIX
    if (process->processId() > 0)
        ::setpgid(pid_t(process->processId()), pid_t(process->processId()));
#endif
}

void cDesktopActions::onFinished(QProcess *process, const QString &event, int exitCode,
                                 QProcess::ExitStatus status)
{
    if (status == QProcess::CrashExit)
        qCWarning(lcQ71Desktop, "action %s: the command was killed", qUtf8Printable(event));
    else if (exitCode != 0)
        qCWarning(lcQ71Desktop, "action %s: the command exited with status %d", qUtf8Printable(event),
                  exitCode);
    release(process);
}

void cDesktopActions::release(QProcess *process)
{
    m_running.removeOne(process);
    process->deleteLater();
}

void cDesktopActions::finish(int timeoutMs, const std::function<bool()> &stopped)
{
    if (!m_running.isEmpty() && !(stopped && stopped())) {
        // Said, for the end of the run would otherwise seem to hang for no reason.
        qCInfo(lcQ71Desktop, "waiting up to %d ms for the commands still running (%d)", timeoutMs,
               int(m_running.size()));
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        // release() takes a finished command off the list before this runs.
        for (QProcess *process : std::as_const(m_running))
            connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                    [this, &loop] {
                        if (m_running.isEmpty())
                            loop.quit();
                    });
        loop.exec();
    }
    for (QProcess *process : std::as_const(m_running))
        qCWarning(lcQ71Desktop, "a command still runs at the end and is stopped: %s",
                  qUtf8Printable(process->arguments().value(1)));
    stopAll();
}

void cDesktopActions::stopAll()
{
    const QList<QProcess *> running = std::exchange(m_running, {});
    for (QProcess *process : running) {
        // Its end is this class's doing, no failure of the command's to report.
        process->disconnect(this);
        stop(process);
        delete process;
    }
}

void cDesktopActions::stop(QProcess *process)
{
#ifndef Q_OS_UNIX
    process->kill();
    process->waitForFinished(-1);
#else
    const pid_t group = pid_t(process->processId());
    if (group <= 0)
        return;
    ::kill(-group, SIGTERM);
    process->waitForFinished(g_termGraceMs);
    // What ignored SIGTERM, the shell or what it started, goes now; the shell is reaped here,
    // so that no "Destroyed while process is still running" follows.
    ::kill(-group, SIGKILL);
    process->waitForFinished(-1);
#endif
}
