#include "cDesktopActions.h"

#include "DesktopLog.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QStringList>

#include <utility>

namespace {

const char g_shell[] = "/bin/sh";

QStringList knownEvents()
{
    QStringList events {cDesktopActions::dolbyEvent(true), cDesktopActions::dolbyEvent(false),
                        cDesktopActions::microphoneEvent()};
    for (int key = 1; key <= 3; ++key)
        events << cDesktopActions::keyEvent(key, true) << cDesktopActions::keyEvent(key, false);
    return events;
}

} // namespace

cDesktopActions::cDesktopActions(QObject *parent)
    : QObject(parent)
{ }

cDesktopActions::~cDesktopActions()
{
    // The processes are children: each one's destructor kills it and reaps it.
    for (QProcess *process : std::as_const(m_running))
        process->disconnect(this);
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
    const QStringList known = knownEvents();
    settings.beginGroup(QStringLiteral("actions"));
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
    auto *process = new QProcess(this);
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

void cDesktopActions::finish(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_running.isEmpty() && !deadline.hasExpired()) {
        // finished() is emitted from within the wait, which takes the process off the list.
        QProcess *process = m_running.constFirst();
        if (!process->waitForFinished(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    for (QProcess *process : std::as_const(m_running))
        qCWarning(lcQ71Desktop, "a command still runs at the end and is stopped: %s",
                  qUtf8Printable(process->arguments().value(1)));
}
