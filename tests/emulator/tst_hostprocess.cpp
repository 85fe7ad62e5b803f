#include "cCaptureReader.h"
#include "cRunningHost.h"
#include "cToolRun.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// q71-host as a process: stopped by SIGINT or SIGTERM in the middle of a wall-clock run (the
// devices stopped as an unplug stops them, the summary printed, the capture complete, the exit
// code a shell reports for the signal), and loading the plugin with a manifest of the user's.

namespace {

// The plugin's own manifest, as the build put it beside the plugin.
QByteArray shippedManifest()
{
    QFile shipped(
        QFileInfo(QStringLiteral(Q71_PLUGIN_FILE)).dir().filePath(QStringLiteral("Device_Manifest.xml")));
    return shipped.open(QIODevice::ReadOnly) ? shipped.readAll() : QByteArray();
}

} // namespace
class tst_HostProcess : public QObject
{
    Q_OBJECT
private slots:
    void stoppedRunEndsCleanly_data();
    void stoppedRunEndsCleanly();
    void ownManifest();
    void manifestWithoutOneProbe_data();
    void manifestWithoutOneProbe();
};

void tst_HostProcess::stoppedRunEndsCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    QTest::newRow("SIGINT") << int(SIGINT) << 130;
}

void tst_HostProcess::stoppedRunEndsCleanly()
{
    QFETCH(int, signal);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString scenario = dir.filePath(QStringLiteral("long.q71"));
    QFile file(scenario);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("plug\nstart\ninput 02 10 11 00 00\nwait 600s\ninfo\n");
    file.close();
    const QString capture = dir.filePath(QStringLiteral("stopped.pcap"));

    cRunningHost host;
    QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                       {"--json", "--realtime", "--pcap", capture, "--plugin", Q71_PLUGIN_FILE, scenario}));
    QVERIFY(host.waitFor(cRunningHost::kind("hid.input")));
    QCOMPARE(host.stop(signal), exitCode);

    // Nothing after the wait ran; the devices were stopped and let go of as an unplug does.
    const QList<QJsonObject> events = host.events();
    QVERIFY2(host.events(cRunningHost::kind("info")).isEmpty(), qPrintable(host.errorOutput()));
    QCOMPARE(host.events(cRunningHost::kind("stop")).size(), 1);
    QCOMPARE(host.events(cRunningHost::kind("removeTransport")).size(), 3);
    QCOMPARE(host.events(cRunningHost::kind("deviceRemoved")).size(), 1);
    QCOMPARE(events.constLast().value(QStringLiteral("ev")).toString(), QStringLiteral("summary"));

    cCaptureReader reader;
    QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
    QCOMPARE(reader.reports().size(), 1);
    QCOMPARE(reader.reports().constFirst().data, QByteArray::fromHex("0210110000"));
}

void tst_HostProcess::ownManifest()
{
    // A manifest for the other product of the vendor: its transports make the device, the Q71's
    // are refused, and the plugin's own manifest beside it is left alone.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray original = shippedManifest();
    QByteArray own = original;
    own.replace("product_id=\"0x0001\"", "product_id=\"0x0002\"");
    QVERIFY(own != original);
    const QString manifest = dir.filePath(QStringLiteral("mine.xml"));
    QFile file(manifest);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(own) == own.size());
    file.close();

    const cToolRun run = runTool(QStringLiteral(Q71_HOST_PROGRAM), {"--json", "--manifest", manifest, "-"},
                                 "plug hid:foreign hid\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(
        "{\"t\":0,\"ev\":\"createDevice\",\"transport\":\"hid\",\"result\":true,\"device\":1}\n"
        "{\"t\":0,\"ev\":\"validate\""));
    QVERIFY(run.out.contains("\"ev\":\"addTransport\",\"transport\":\"hid\",\"result\":false,\"device\":1}\n"
                             "{\"t\":0,\"ev\":\"createDevice\",\"transport\":\"hid\",\"result\":false}"));
}

void tst_HostProcess::manifestWithoutOneProbe_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("refused"); // the kind of transport the probe was for
    QTest::newRow("hid") << "hid_probe" << "hid";
    QTest::newRow("render") << "audio_render_probe" << "render";
    QTest::newRow("capture") << "audio_capture_probe" << "capture";
}

// Not every transport is refused: the other two make one device, and only the transport of the
// probe's kind is turned down, by that device and by the provider alike. The device is never
// complete, so the host never starts it.
void tst_HostProcess::manifestWithoutOneProbe()
{
    QFETCH(QString, probe);
    QFETCH(QString, refused);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString manifest = QString::fromUtf8(shippedManifest());
    const QRegularExpression element(QStringLiteral("\\n *<%1 [^>]*/>").arg(probe));
    QVERIFY(manifest.contains(element));
    manifest.remove(element);
    const QString path = dir.filePath(QStringLiteral("without-probe.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(manifest.toUtf8()) > 0);
    file.close();

    const cToolRun run
        = runTool(QStringLiteral(Q71_HOST_PROGRAM), {"--json", "--manifest", path, "-"}, "plug\nstart\n");
    QCOMPARE(run.exitCode, 0);
    int accepted = 0;
    QStringList kinds;
    for (const QByteArray &line : run.out.split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        const QString kind = event.value(QStringLiteral("ev")).toString();
        kinds << kind;
        if (kind != QLatin1String("createDevice") && kind != QLatin1String("addTransport"))
            continue;
        const bool result = event.value(QStringLiteral("result")).toBool();
        QCOMPARE(result, event.value(QStringLiteral("transport")).toString() != refused);
        accepted += result ? 1 : 0;
    }
    QCOMPARE(accepted, 2);
    QVERIFY2(!kinds.contains(QStringLiteral("start")), qPrintable(run.out));
    QVERIFY(kinds.contains(QStringLiteral("validate")));
}

QTEST_GUILESS_MAIN(tst_HostProcess)
#include "tst_hostprocess.moc"
