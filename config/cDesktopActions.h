#pragma once
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

class QSettings;

// The user's commands for what happens on a headset, from the [actions] section of the
// configuration file: "G1.pressed", "G1.released" (G2, G3 alike), "dolby.on", "dolby.off",
// "mic.changed". Each runs through /bin/sh -c without anything waiting for it, with Q71_EVENT,
// Q71_MODEL and Q71_DEVICE (and what the event adds) in its environment; its standard input and output are
// null (standard output carries the trace), its standard error is the program's own.
//
// Each command is the leader of a process group of its own, so that stopping it stops what it
// started too (a "sleep &" would otherwise outlive the run, and Ctrl-C on the terminal reaches
// the run only, which stops its commands itself).
//
// A command that cannot start, exits with another status than 0 or is killed is one warning line
// naming its event. At most MaxRunning commands run at once: a key held down and let go in a
// burst must not fill the machine with processes, so an event beyond that is a warning and runs
// nothing.
class cDesktopActions : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxRunning = 8;

    explicit cDesktopActions(QObject *parent = nullptr);
    // Ends the commands still running (finish() first gives them time).
    ~cDesktopActions() override;

    // Takes the commands of `settings`' [actions]; a key this class has no event for is one
    // warning, as a misspelt one would otherwise be silently ignored.
    void load(QSettings &settings);
    // The commands of `settings` in place of those loaded before; what runs goes on.
    void reload(QSettings &settings)
    {
        m_commands.clear();
        load(settings);
    }

    // The command load() took for `event`, empty when there is none.
    QString command(const QString &event) const { return m_commands.value(event); }

    // Starts the command of `event`, when one is configured, with `more` added to its environment.
    void run(const QString &event, const QString &model, int device,
             const QList<QPair<QString, QString>> &more = {});

    // Waits up to `timeoutMs` in all for the commands still running, so that a short run does
    // not kill what it started and their failures are still reported; then stops the others. The
    // wait is an event loop, which QCoreApplication::exit() ends early; it is not begun when
    // `stopped` already says so.
    void finish(int timeoutMs, const std::function<bool()> &stopped = nullptr);

    static QString keyEvent(int key, bool pressed);
    static QString dolbyEvent(bool on);
    static QString microphoneEvent() { return QStringLiteral("mic.changed"); }
    // Every event a command can be given for.
    static QStringList events();
    // The section of the configuration file that holds the commands, one key per event.
    static QString settingsGroup() { return QStringLiteral("actions"); }

private:
    void onFinished(QProcess *process, const QString &event, int exitCode, QProcess::ExitStatus status);
    void release(QProcess *process);
    // Stops `process` with its process group: SIGTERM, then SIGKILL for what is left after a
    // short grace.
    static void stop(QProcess *process);
    void stopAll();

    QHash<QString, QString> m_commands;
    QList<QProcess *> m_running;
};
