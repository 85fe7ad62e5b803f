#pragma once
#include "cToolRun.h"

#include <QtTest>

#include <csignal>

// q71-host serving a simulated run on a test's bus, in real time, its trace (JSON Lines) gathered
// as it comes through the event loop, which the in-process panel needs running too.
class cServiceRun
{
public:
    // The scenario's first lines: a headset plugged in, started, and its status reported (Dolby
    // off, light 2, notification 2).
    static QString headset() { return QStringLiteral("plug\nstart\nwait 450ms\ninput 02 01 0A 00 00\n"); }

    cServiceRun()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { m_trace += QString::fromUtf8(m_process.readAllStandardOutput()); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_errors += QString::fromUtf8(m_process.readAllStandardError()); });
    }
    ~cServiceRun() { stop(SIGTERM); }

    // Serves `scenario`, which then keeps running for `holdSeconds` so that the test, not the
    // scenario's end, decides when the service goes.
    bool start(const QProcessEnvironment &environment, const QString &configFile, const QString &scenario,
               int holdSeconds = 300)
    {
        const QString file = m_dir.filePath(QStringLiteral("run.q71"));
        if (!writeFile(file, (scenario + QStringLiteral("wait %1s\n").arg(holdSeconds)).toUtf8()))
            return false;
        m_process.setProcessEnvironment(environment);
        m_process.start(
            QStringLiteral(Q71_HOST_PROGRAM),
            {"--dbus", "--realtime", "--json", "--plugin", Q71_PLUGIN_FILE, "--config", configFile, file});
        return m_process.waitForStarted(60000);
    }

    // Ends the run with `signal`; nothing when it is not running.
    void stop(int signal)
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(m_process.processId(), signal);
        if (!m_process.waitForFinished(60000))
            m_process.kill();
    }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QString trace() const { return m_trace; }
    QString errors() const { return m_errors; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_trace;
    QString m_errors;
};
