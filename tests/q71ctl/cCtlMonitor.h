#pragma once
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>

// `q71ctl monitor` running under a test, its lines read as they come: the test waits for a line,
// never for a fixed time.
class cCtlMonitor
{
public:
    bool start(const QStringList &options = {})
    {
        m_process.start(QStringLiteral(Q71_CTL_PROGRAM), QStringList{QStringLiteral("monitor")} + options);
        return m_process.waitForStarted(60000);
    }

    // Once it says on stderr that it listens, nothing the headsets do is missed.
    bool waitUntilListening() { return waitFor([this] { return m_error.contains(QLatin1String("monitoring")); }); }

    // True once a line `match` accepts has arrived.
    bool waitForLine(const std::function<bool(const QByteArray &)> &match)
    {
        return waitFor([this, &match] { return std::any_of(m_lines.cbegin(), m_lines.cend(), match); });
    }
    bool waitForLine(const QByteArray &line)
    {
        return waitForLine([&line](const QByteArray &candidate) { return candidate == line; });
    }
    // True once a JSON line holds every field of `fields` with its value.
    bool waitForEvent(const QJsonObject &fields)
    {
        return waitForLine([&fields](const QByteArray &line) {
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
                if (event.value(it.key()) != it.value())
                    return false;
            }
            return true;
        });
    }

    // Its exit code once it ended, -1 when it crashed or hung.
    int waitForExit()
    {
        const bool ended = m_process.waitForFinished(120000);
        read();
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    int stop(int signal)
    {
        // An ended process has no id, and kill(0) would signal the test's whole process group.
        if (m_process.processId() > 0)
            ::kill(m_process.processId(), signal);
        return waitForExit();
    }
    // As a reader of its pipe that leaves, as `q71ctl monitor | head -1` does.
    void closeOutput() { m_process.closeReadChannel(QProcess::StandardOutput); }

    QList<QByteArray> lines() const { return m_lines; }
    QString errorOutput() const { return m_error; }

private:
    bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        for (;;) {
            read();
            if (done())
                return true;
            if (elapsed.hasExpired(60000) || m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(100);
        }
    }

    void read()
    {
        m_pending += m_process.readAllStandardOutput();
        m_error += QString::fromLocal8Bit(m_process.readAllStandardError());
        int end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << m_pending.left(end);
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QList<QByteArray> m_lines;
    QString m_error;
};
