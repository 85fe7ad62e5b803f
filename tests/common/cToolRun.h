#pragma once
#include <QtCore>

// One run of a program as a user runs it: q71-host, or one of Wireshark's tools reading what the
// emulator wrote.
struct cToolRun
{
    int exitCode = -1; // -1 also when the program did not start, crashed or hung
    QByteArray out;
    QString err;
};

// `environment`: the program's, when not the test's own (a private session bus, or none).
inline cToolRun runTool(const QString &program, const QStringList &arguments,
                        const QByteArray &input = QByteArray(),
                        const QProcessEnvironment &environment = QProcessEnvironment())
{
    cToolRun run;
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(60000))
        return run;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(240000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    // Run as root, Wireshark's tools warn so on every run; that line says nothing about the files.
    run.err.remove(QStringLiteral("Running as user \"root\" and group \"root\". This could be dangerous.\n"));
    return run;
}

// The events of a run's JSON Lines, in order.
inline QList<QJsonObject> jsonEvents(const QByteArray &jsonLines)
{
    QList<QJsonObject> events;
    for (const QByteArray &line : jsonLines.split('\n')) {
        if (!line.isEmpty())
            events << QJsonDocument::fromJson(line).object();
    }
    return events;
}

// A file a test hands the program, written whole.
inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// A file the program wrote, whole; empty when it is not there.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
