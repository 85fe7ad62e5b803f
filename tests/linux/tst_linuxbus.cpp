#include "UmockdevBed.h"

#include "cAudioDeviceMgrService.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cLinuxBus.h"

#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// The wall clock runs here, on a machine that may be busy.
constexpr int g_timeout = 20000;
const char *const g_headsetNode = "/dev/hidraw0";

} // namespace

// The real bus under a faked udev tree, device nodes and HID traffic (umockdev), with the real
// plugin loaded by the host and the device manager starting every complete device.
//
// umockdev backs the hidraw node with a PTY, a byte stream: input reports written back to back
// would reach the transport in one read(), where the kernel's hidraw returns one report per read.
// So the replayed script holds the setup, in which the headset answers only after the host's last
// report, and the test writes further input reports one at a time, each once the host has seen
// the previous one.
class tst_LinuxBus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { UmockdevBed::requirePreload(); }
    void init()
    {
        m_testbed = umockdev_testbed_new();
        m_host = new cHost;
        QVERIFY2(m_host->loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(m_host->pluginError()));
        m_host->deviceManager()->setAutoStart(true);
        connect(m_host->services().audioDeviceMgr(), &cAudioDeviceMgrService::modelCalled, this,
                [this](const QString &, const cModelCall &call) { m_modelCalls << call.text(); });
        m_bus = new cLinuxBus;
        m_host->attachBus(m_bus);
    }
    void cleanup()
    {
        delete std::exchange(m_host, nullptr);
        delete std::exchange(m_bus, nullptr);
        g_object_unref(std::exchange(m_testbed, nullptr));
        m_modelCalls.clear();
    }
    void headsetIsSetUpAndHeard()
    {
        UmockdevBed::plug(m_testbed, UmockdevBed::description("q71-headset.umockdev"));
        UmockdevBed::plug(m_testbed, UmockdevBed::description("foreign-device.umockdev"));
        UmockdevBed::loadScript(m_testbed, g_headsetNode);
        QVERIFY(m_bus->start());

        // What was plugged is announced at once, a USB device at a time: the headset's transports make
        // one complete device, started; the other product's stay on the bus, taken by no device.
        const QList<cAbstractTransportPtr> transports = m_bus->transports();
        QCOMPARE(transports.size(), 6);
        const cAbstractDevicePtr device = onlyDevice();
        QVERIFY(device);
        QCOMPARE(m_host->deviceManager()->transportsOf(device), transports.mid(0, 3));
        QVERIFY(m_host->deviceManager()->isStarted(device));
        const QString info
            = QStringLiteral("{\"%1_probe\":{%2\"product_id\":1,%3\"vendor_id\":4617},"
                             "\"uid\":\"/sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.%4\"}");
        const QString audio = QStringLiteral("audio_%1"), endpoint = QStringLiteral("\"endpoint\":\"%1\",");
        const QStringList infos
            = {info.arg("hid", "\"interface\":3,", "\"usage_page\":65280,",
                        "3/0003:1209:0001.0001/hidraw/hidraw0"),
               info.arg(audio.arg("render"), endpoint.arg("render"), "", "0/sound/card1/pcmC1D0p"),
               info.arg(audio.arg("capture"), endpoint.arg("capture"), "", "0/sound/card1/pcmC1D0c")};
        for (int i = 0; i < infos.size(); ++i)
            QCOMPARE(QString::fromUtf8(transports.at(i)->info().toJson()), infos.at(i));

        // The script answers the status request only after it has read the five setup reports, byte
        // for byte and in order; one out of place makes umockdev stop the test.
        QTRY_VERIFY_WITH_TIMEOUT(m_modelCalls.contains(QStringLiteral("enableDolby(true)")), g_timeout);

        // Keys and volume as the headset sends them are q71-host --live's test (tst_livehost).
        // A setting goes out at once now; its completion comes from the event loop, after write().
        QSignalSpy completed(transports.constFirst().data(), SIGNAL(writeComplete(int)));
        QVERIFY(cHost::microphone(device).setLightConfig(MicLight::Setting3));
        QCOMPARE(completed.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 1, g_timeout);
    }
    void headsetPluggedOutMidSetupAndInAgain()
    {
        QVERIFY(m_bus->start());
        QVERIFY(m_bus->transports().isEmpty());

        // Plugged in while the host runs. With no script on its node this headset never answers, so
        // its setup is still under way when it is pulled out.
        const QByteArray headset = UmockdevBed::description("q71-headset.umockdev");
        UmockdevBed::plug(m_testbed, headset);
        QTRY_VERIFY_WITH_TIMEOUT(onlyDevice() && m_host->deviceManager()->isStarted(onlyDevice()), g_timeout);
        UmockdevBed::unplug(m_testbed, headset);
        QTRY_VERIFY_WITH_TIMEOUT(m_host->deviceManager()->devices().isEmpty(), g_timeout);
        QVERIFY(m_bus->transports().isEmpty());

        const QByteArray again = UmockdevBed::description("q71-headset.umockdev", 3);
        UmockdevBed::plug(m_testbed, again);
        UmockdevBed::loadScript(m_testbed, "/dev/hidraw3");
        QTRY_VERIFY_WITH_TIMEOUT(m_modelCalls.contains(QStringLiteral("enableDolby(true)")), g_timeout);
        QCOMPARE(m_bus->transports().size(), 3);
    }
    void failedWriteTakesTheTransportAway()
    {
        UmockdevBed::plug(m_testbed, UmockdevBed::description("q71-headset.umockdev"));
        UmockdevBed::loadScript(m_testbed, g_headsetNode);
        QVERIFY(m_bus->start());
        QTRY_VERIFY_WITH_TIMEOUT(m_modelCalls.contains(QStringLiteral("enableDolby(true)")), g_timeout);
        const cAbstractTransportPtr hid = m_bus->transports().constFirst();
        QSignalSpy failed(hid.data(), SIGNAL(failed(QString)));

        // The headset goes while its node is open. Closing the PTY's far side makes writes on the near
        // side fail with EIO, as a hidraw node's do once its device is gone; the far side's descriptor
        // number stays open (on /dev/null) for the testbed, which closes it at the end.
        const int farSide = umockdev_testbed_get_dev_fd(m_testbed, g_headsetNode);
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        QVERIFY(::dup2(null, farSide) == farSide);
        ::close(null);

        // Once the headset has answered, a setting is written at once: that write fails.
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QStringLiteral("^HID transport /dev/hidraw0 failed, write: .+")));
        QVERIFY(cHost::microphone(onlyDevice()).setLightConfig(MicLight::Setting3));
        QCOMPARE(failed.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!m_bus->transports().contains(hid), g_timeout);
        QCOMPARE(m_host->deviceManager()->transportsOf(onlyDevice()), m_bus->transports());
        QCOMPARE(onlyDevice()->validate(), DeviceValidationResult::Incomplete);
    }

private:
    cAbstractDevicePtr onlyDevice() const
    {
        const cAbstractDeviceList devices = m_host->deviceManager()->devices();
        return devices.size() == 1 ? devices.constFirst() : cAbstractDevicePtr();
    }

    UMockdevTestbed *m_testbed = nullptr;
    cHost *m_host = nullptr;
    cLinuxBus *m_bus = nullptr;
    QStringList m_modelCalls; // of every headset's audio models, as cModelCall::text() writes them
};

QTEST_MAIN(tst_LinuxBus)
#include "tst_linuxbus.moc"
