#pragma once
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>

// q71-host --json running under a test and read as it writes, for runs that end when a signal
// stops them: the test waits for an event in the trace, never for a fixed time. Any other program
// that writes lines until it is stopped (q71ctl monitor) is read the same way.
class cRunningHost
{
public:
    using Match = std::function<bool(const QJsonObject &)>;

    static Match kind(const char *name)
    {
        return [name](const QJsonObject &event) {
            return event.value(QStringLiteral("ev")).toString() == QLatin1String(name);
        };
    }
    // A `kind` event whose `field` is `value`.
    static Match matching(const char *kind, const char *field, const QJsonValue &value)
    {
        return [=](const QJsonObject &event) {
            return cRunningHost::kind(kind)(event) && event.value(QLatin1String(field)) == value;
        };
    }

    // `environment`: the program's, when not the test's own.
    bool start(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment())
    {
        if (!environment.isEmpty())
            m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        return m_process.waitForStarted(60000);
    }

    // True once an event that `match` accepts, standard error holding `text`, or a line that is
    // `line` has arrived, at most after `timeoutMs`.
    bool waitFor(const Match &match, int timeoutMs = 60000)
    {
        return waitUntil([&] { return std::any_of(m_events.cbegin(), m_events.cend(), match); }, timeoutMs);
    }
    bool waitForError(const QString &text, int timeoutMs = 60000)
    {
        return waitUntil([&] { return m_error.contains(text); }, timeoutMs);
    }
    bool waitForLine(const QByteArray &line, int timeoutMs = 60000)
    {
        return waitUntil([&] { return m_lines.contains(line); }, timeoutMs);
    }

    // Sends `signal` and waits for the end: the exit code, -1 for a crash or a hang.
    int stop(int signal)
    {
        // A process that has ended has no id: kill(0) would signal the test's whole process group.
        if (m_process.processId() > 0)
            ::kill(m_process.processId(), signal);
        return waitForExit();
    }
    int waitForExit()
    {
        const bool ended = m_process.waitForFinished(120000);
        read();
        if (ended && m_process.exitStatus() == QProcess::NormalExit)
            return m_process.exitCode();
        // What it said before it crashed or hung is all a CI log will show of it.
        qWarning("%s %s; its standard error:\n%s", qPrintable(m_process.program()),
                 ended ? "crashed" : "did not end", qPrintable(m_error));
        if (!ended)
            qWarning("%s", hangReport(m_process.processId()).constData());
        return -1;
    }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    QList<QJsonObject> events() const { return m_events; }
    QList<QJsonObject> events(const Match &match) const
    {
        QList<QJsonObject> matching;
        std::copy_if(m_events.cbegin(), m_events.cend(), std::back_inserter(matching), match);
        return matching;
    }
    QString errorOutput() const { return m_error; }

private:
    // Where each thread of a hung process is: its pending and blocked signals (a signal pending
    // and blocked everywhere is one never heard), its kernel wait, and its stack where gdb is there.
    static QByteArray hangReport(qint64 pid)
    {
        QByteArray report;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
        for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile status(tasks + QLatin1Char('/') + task + QLatin1String("/status"));
            QFile wchan(tasks + QLatin1Char('/') + task + QLatin1String("/wchan"));
            if (!status.open(QIODevice::ReadOnly) || !wchan.open(QIODevice::ReadOnly))
                continue;
            report += "thread " + task.toLatin1() + ": wchan " + wchan.readAll();
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("Name:") || line.startsWith("State:") || line.startsWith("SigPnd:")
                    || line.startsWith("ShdPnd:") || line.startsWith("SigBlk:"))
                    report += "  " + line.simplified();
            }
            report += '\n';
        }
        QProcess gdb;
        gdb.start(QStringLiteral("gdb"),
                  {"-p", QString::number(pid), "-batch", "-nx", "-ex", "thread apply all bt"});
        if (gdb.waitForFinished(120000))
            report += gdb.readAllStandardOutput();
        return report;
    }

    bool waitUntil(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        for (;;) {
            read();
            if (done())
                return true;
            if (elapsed.hasExpired(timeoutMs) || m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(100);
        }
    }

    void read()
    {
        m_error += QString::fromLocal8Bit(m_process.readAllStandardError());
        m_pending += m_process.readAllStandardOutput();
        int end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << m_pending.left(end);
            m_events << QJsonDocument::fromJson(m_lines.last()).object();
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QList<QByteArray> m_lines;
    QList<QJsonObject> m_events;
    QString m_error;
};
