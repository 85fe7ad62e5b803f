#include "UmockdevBed.h"
#include "cCaptureReader.h"
#include "cHidRecorderReader.h"
#include "cRunningHost.h"
#include "cToolRun.h"

#include <QtTest>

#include <memory>
#include <utility>

namespace {

// The headset's description with its USB device at another bus and device number than the
// description's 1 and 5, which are also the simulated headset's.
QByteArray elsewhere(QByteArray description, int bus, int usbDevice)
{
    return description.replace("A: busnum=1\n", "A: busnum=" + QByteArray::number(bus) + '\n')
        .replace("A: devnum=5\n", "A: devnum=" + QByteArray::number(usbDevice) + '\n');
}

// The host's environment, its testbed kept, with `dir` for the user's configuration and a sound
// server there is none of. Given to the host rather than set on the test, whose umockdev thread
// reads the environment at any time: a setenv() beside a getenv() is a crash.
QProcessEnvironment apart(const QTemporaryDir &dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"),
                       QStringLiteral("unix:") + dir.filePath(QStringLiteral("no-server")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    return environment;
}

} // namespace

// q71-host --live as a user runs it, against a udev tree, device nodes and HID traffic faked by
// umockdev from this process (the program inherits the testbed through the environment), with the
// limits tst_linuxbus explains.
class tst_LiveHost : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { UmockdevBed::requirePreload(); }
    void init()
    {
        m_testbed = umockdev_testbed_new();
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { g_object_unref(std::exchange(m_testbed, nullptr)); }
    void refusesWhatOnlyTheSimulationCanDo()
    {
        const QString program = QStringLiteral(Q71_HOST_PROGRAM);
        const cToolRun scenario = runTool(program, {"--live", "--no-dbus", "-"},
                                          "info\nplug\nwait 1s\ninput 01\nservice audio down\n");
        QCOMPARE(scenario.exitCode, 2);
        QCOMPARE(scenario.out, QByteArray());
        QCOMPARE(scenario.err,
                 QStringLiteral("<stdin>:2: plug cannot be used with --live\n"
                                "<stdin>:4: input cannot be used with --live\n"
                                "<stdin>:5: service cannot be used with --live\n"));
        QCOMPARE(runTool(program, {"--live", "--replay", "any.pcap"}).exitCode, 2);
    }
    void hostsTheMachinesHeadsets()
    {
        // The volume step below must not reach the sound server of whoever runs the test, nor the
        // configuration of the user's: the default one is missing, silently.
        const QProcessEnvironment environment = apart(*m_dir);
        const QString capture = m_dir->filePath(QStringLiteral("live.pcap"));
        const QString recording = m_dir->filePath(QStringLiteral("live.hid"));
        UmockdevBed::plug(m_testbed, UmockdevBed::description("foreign-device.umockdev"));
        // On bus 3 as device 17, then plugged in again as device 18.
        const QByteArray first = elsewhere(UmockdevBed::description("q71-headset.umockdev"), 3, 17);
        UmockdevBed::plug(m_testbed, first);
        UmockdevBed::loadScript(m_testbed, "/dev/hidraw0");

        cRunningHost host;
        QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                           {"--live", "--no-dbus", "--json", "--pcap", capture, "--record", recording,
                            "--plugin", Q71_TEST_PLUGIN_FILE},
                           environment));
        // Set up with the demo's reports at its pace (the script checks the bytes), then heard.
        QVERIFY2(host.waitFor(cRunningHost::matching("dolby", "enable", true)),
                 qPrintable(host.errorOutput()));
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", "0210110000",
                           cRunningHost::matching("event", "name", QStringLiteral("GKeyPressed")));
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", "0210000000",
                           cRunningHost::matching("event", "name", QStringLiteral("GKeyReleased")));
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", "0100010000",
                           cRunningHost::matching("volume", "op", QStringLiteral("incVolume")));

        replug(host, first, 3, "q71-setup.script", 18);

        QCOMPARE(host.stop(SIGTERM), 143);

        for (int device : {1, 2}) {
            QStringList reports;
            for (const QJsonObject &write :
                 host.events(cRunningHost::matching("hid.write", "device", device)))
                reports << write.value(QStringLiteral("report")).toString();
            QCOMPARE(reports,
                     QStringList({"02 08 00 00 00", "02 10 11 00 00", "02 20 22 00 00", "02 40 33 00 00",
                                  "02 01 00 00 00"}));
            // SIGTERM let go of what the device still held, as the unplugs did before it.
            QCOMPARE(host.events(cRunningHost::matching("removeTransport", "device", device)).size(), 3);
        }
        // The other product's three transports, refused; the headset made a device each time it came.
        QCOMPARE(host.events(cRunningHost::matching("createDevice", "result", false)).size(), 3);
        QCOMPARE(host.events(cRunningHost::matching("createDevice", "result", true)).size(), 2);
        QCOMPARE(host.events().constLast().value(QStringLiteral("ev")).toString(), QStringLiteral("summary"));

        cCaptureReader reader;
        QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
        QStringList captured;
        for (const cReplayedReport &report : reader.reports())
            captured << QString::fromLatin1(report.data.toHex(' ').toUpper());
        QCOMPARE(captured,
                 QStringList({"02 01 0B 00 00", "02 10 11 00 00", "02 10 00 00 00", "01 00 01 00 00",
                              "02 01 0B 00 00"}));
        checkDeviceFacts(capture, recording, first);
    }
    // The user's configuration with a live headset: the saved microphone settings reach the headset
    // after its setup (the script checks the bytes), again when the headset asks to be set up again,
    // and once it is plugged in again; mic.changed runs on the headset's own news only. The testbed's
    // nodes are new ones: hidraw0 and hidraw3 are used.
    void runsTheUsersConfiguration()
    {
        const QString config = m_dir->filePath(QStringLiteral("q71.conf"));
        const QString microphone = m_dir->filePath(QStringLiteral("microphone"));
        QVERIFY(writeFile(
            config,
            QStringLiteral(
                "[actions]\n"
                "mic.changed=\"echo \\\"$Q71_DEVICE $Q71_MIC_LIGHT $Q71_MIC_NOTIFICATION\\\" >> '%1'\"\n"
                "[microphone]\nlight=3\nnotification=1\n")
                .arg(microphone)
                .toUtf8()));
        const QByteArray first = UmockdevBed::description("q71-headset.umockdev", 5);
        UmockdevBed::plug(m_testbed, first);
        UmockdevBed::loadScript(m_testbed, "/dev/hidraw5", "q71-setup-saved.script");

        cRunningHost host;
        QVERIFY(host.start(
            QStringLiteral(Q71_HOST_PROGRAM),
            {"--live", "--no-dbus", "--json", "--config", config, "--plugin", Q71_TEST_PLUGIN_FILE}));
        QVERIFY2(host.waitFor(cRunningHost::matching("dolby", "enable", true)),
                 qPrintable(host.errorOutput()));

        const auto lastSetting = [](int device) {
            return [device](const QJsonObject &event) {
                return cRunningHost::matching("hid.write", "device", device)(event)
                    && event.value(QStringLiteral("report")) == QLatin1String("02 04 01 00 00");
            };
        };
        QVERIFY(host.waitFor(lastSetting(1)));
        // The headset asks to be set up again, and the host gives the microphone model the saved light
        // 3 and notification 1 at once; then it tells the status it told before. The plugin passes over
        // a status that did not change, but the headset's settings did not change either: mic.changed
        // does not run (checked with the file below) and no line says so.
        const auto setupStart
            = cRunningHost::matching("hid.write", "report", QStringLiteral("02 08 00 00 00"));
        UmockdevBed::input(m_testbed, host, "/dev/hidraw5", "0101000000",
                           cRunningHost::matching("hid.input", "report", QStringLiteral("01 01 00 00 00")));
        QVERIFY(host.waitFor([&](const QJsonObject &event) {
            return setupStart(event) && host.events(setupStart).size() == 2;
        }));
        const auto status = cRunningHost::matching("hid.input", "report", QStringLiteral("02 01 0B 00 00"));
        UmockdevBed::input(m_testbed, host, "/dev/hidraw5", "02010B0000", [&](const QJsonObject &event) {
            return status(event) && host.events(status).size() == 2;
        });
        replug(host, first, 6, "q71-setup-saved.script");
        QVERIFY(host.waitFor(lastSetting(2)));
        // Each headset's status answer told its microphone settings once (light 2, notification 2):
        // what the host sets afterwards is no news from the headset. The saved settings' bytes and their
        // place after the setup are the script's to check.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(microphone).size() >= 12, 60000);
        QCOMPARE(readFile(microphone), QByteArray("1 2 2\n2 2 2\n"));
        QCOMPARE(host.stop(SIGTERM), 143);
    }
    // The user service's way: --quiet, nothing plugged yet. It says once that it waits, on standard
    // error, where the journal reads it.
    void saysItWaitsForAHeadset()
    {
        const QString waiting
            = QStringLiteral("q71-host: no headset yet: waiting for one to be plugged in\n");
        cRunningHost host;
        QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                           {"--live", "--no-dbus", "--quiet", "--json", "--plugin", Q71_TEST_PLUGIN_FILE},
                           apart(*m_dir)));
        QVERIFY2(host.waitForError(waiting), qPrintable(host.errorOutput()));
        QCOMPARE(host.stop(SIGINT), 130);
        QCOMPARE(host.errorOutput().count(waiting), 1);
        QCOMPARE(host.events().size(), 1); // the summary, all --quiet prints
    }

private:
    // `usbDevice`: the device number the machine gives the headset this time; 0 keeps the
    // description's.
    void checkDeviceFacts(const QString &capture, const QString &recording, const QByteArray &description);
    void replug(cRunningHost &host, const QByteArray &first, int number, const char *script,
                int usbDevice = 0);

    UMockdevTestbed *m_testbed = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_LiveHost::replug(cRunningHost &host, const QByteArray &first, int number, const char *script,
                          int usbDevice)
{
    UmockdevBed::unplug(m_testbed, first);
    QVERIFY(host.waitFor(cRunningHost::kind("deviceRemoved")));
    const QByteArray second = UmockdevBed::description("q71-headset.umockdev", number);
    UmockdevBed::plug(m_testbed, usbDevice > 0 ? elsewhere(second, 3, usbDevice) : second);
    UmockdevBed::loadScript(m_testbed, QByteArray("/dev/hidraw" + QByteArray::number(number)).constData(),
                            script);
    QVERIFY(host.waitFor(cRunningHost::matching("dolby", "device", 2)));
}

// The captures of a live run describe the machine's device as its sysfs does: where it sat on its
// bus each time it was plugged, its report descriptor, ids, name and physical path.
void tst_LiveHost::checkDeviceFacts(const QString &capture, const QString &recording,
                                    const QByteArray &description)
{
    const int at = description.indexOf("H: report_descriptor=") + 21;
    const QByteArray reportDescriptor
        = QByteArray::fromHex(description.mid(at, description.indexOf('\n', at) - at));
    QVERIFY(reportDescriptor.size() > 20);

    cCaptureReader reader;
    QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
    QCOMPARE(reader.devices(), QStringList({"3.17", "3.18"}));
    QVERIFY(readFile(capture).contains(reportDescriptor));

    cHidRecorderReader recorded;
    QVERIFY2(recorded.read(recording), qPrintable(recorded.errorString()));
    QCOMPARE(recorded.reportDescriptor(), reportDescriptor);
    QCOMPARE(recorded.deviceName(), QStringLiteral("Q71 Gaming Headset"));
    QCOMPARE(recorded.reportCount(), 5);
    const QList<QByteArray> header = readFile(recording).split('\n');
    QVERIFY2(header.value(0).contains(
                 ": the input reports of the headset at /dev/hidraw0 on USB bus 3, device 17, "),
             header.value(0).constData());
    QCOMPARE(header.mid(1, 1) + header.mid(3, 3),
             QList<QByteArray>(
                 {"D: 0", "N: Q71 Gaming Headset", "P: usb-0000:00:14.0-4/input3", "I: 3 1209 0001"}));
}

QTEST_GUILESS_MAIN(tst_LiveHost)
#include "tst_livehost.moc"
