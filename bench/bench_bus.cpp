// q71-bench-bus: the session-bus service measured from a client's side, under umockdev-wrapper
// (scripts/bench-bus.sh): q71-host --live hosts a headset faked by umockdev and serves it on a
// private bus. Prints the time from a key report written on the hidraw node to KeyPressed at a
// client (p50 and p99 over 1,000 presses), then the service's CPU time and context switches while
// idle with a monitor attached. Figures, not verdicts: nothing here passes or fails.
#include <umockdev.h>

#include "HeadsetsClient.h"
#include "cTestBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace HeadsetsClient;

// Whole-process CPU time (utime + stime, in clock ticks) and context switches of every thread.
struct cUsage
{
    qint64 ticks = 0;
    qint64 switches = 0;
};

cUsage usageOf(qint64 pid)
{
    cUsage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // The fields after the command's closing parenthesis; utime and stime are the 14th and 15th.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        usage.ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    }
    for (const QString &task :
         QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(QStringLiteral("/proc/%1/task/%2/status").arg(pid).arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &row : status.readAll().split('\n')) {
            if (row.startsWith("voluntary_ctxt_switches:") || row.startsWith("nonvoluntary_ctxt_switches:"))
                usage.switches += row.mid(row.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return usage;
}

class cKeyClock : public QObject
{
    Q_OBJECT
public:
    int pressed = 0;
    int released = 0;
public slots:
    void onKeyPressed(uint) { ++pressed; }
    void onKeyReleased(uint) { ++released; }
};

QByteArray readData(const char *name)
{
    QFile file(QStringLiteral(Q71_LINUX_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.hasExpired(timeoutMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    if (!qgetenv("LD_PRELOAD").contains("libumockdev-preload")) {
        std::fprintf(stderr, "q71-bench-bus: run it under umockdev-wrapper\n");
        return 2;
    }
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir.filePath(QStringLiteral("no-server"))));
    cTestBus bus;
    if (!bus.start())
        return 1;
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    QDBusConnection client = bus.connection();
    cKeyClock keys;
    client.connect(QLatin1String(Service), QLatin1String(FirstHeadset), QLatin1String(HeadsetInterface),
                   QStringLiteral("KeyPressed"), &keys, SLOT(onKeyPressed(uint)));
    client.connect(QLatin1String(Service), QLatin1String(FirstHeadset), QLatin1String(HeadsetInterface),
                   QStringLiteral("KeyReleased"), &keys, SLOT(onKeyReleased(uint)));

    UMockdevTestbed *testbed = umockdev_testbed_new();
    GError *error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, readData("q71-headset.umockdev").constData(), &error)
        || !umockdev_testbed_load_script(testbed, "/dev/hidraw0", Q71_LINUX_TEST_DATA "/q71-setup.script",
                                         &error)) {
        std::fprintf(stderr, "q71-bench-bus: %s\n", error ? error->message : "no testbed");
        return 1;
    }
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.setStandardOutputFile(QProcess::nullDevice());
    host.start(QStringLiteral(Q71_HOST_PROGRAM), {"--live", "--quiet", "--plugin", Q71_PLUGIN_FILE});
    const auto dolby = [&client] { return get(client, "Dolby").toBool(); };
    if (!host.waitForStarted(60000) || !waitUntil(dolby, 60000)) {
        std::fprintf(stderr, "q71-bench-bus: the headset was not served\n");
        return 1;
    }

    const int node = umockdev_testbed_get_dev_fd(testbed, "/dev/hidraw0");
    QList<double> latencies;
    for (int press = 1; press <= 1000; ++press) {
        QElapsedTimer elapsed;
        elapsed.start();
        if (::write(node, "\x02\x10\x11\x00\x00", 5) != 5
            || !waitUntil([&] { return keys.pressed == press; }, 10000)) {
            std::fprintf(stderr, "q71-bench-bus: press %d was not heard\n", press);
            return 1;
        }
        latencies << elapsed.nsecsElapsed() / 1e6;
        // A node faked by a terminal keeps no report boundaries: one report at a time, each once heard.
        if (::write(node, "\x02\x10\x00\x00\x00", 5) != 5
            || !waitUntil([&] { return keys.released == press; }, 10000))
            return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("key report -> KeyPressed at a client, 1000 presses: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                latencies.at(499), latencies.at(989), latencies.constLast());

    // A monitor such as a panel keeps: every signal of the service, for the whole idle time.
    QProcess monitor;
    monitor.setStandardOutputFile(QProcess::nullDevice());
    monitor.start(QStringLiteral("gdbus"), {"monitor", "--session", "-d", Service});
    monitor.waitForStarted(10000);
    QThread::msleep(1000);
    const cUsage before = usageOf(host.processId());
    QThread::msleep(idleSeconds * 1000UL);
    const cUsage after = usageOf(host.processId());
    std::printf("idle %d s with a monitor attached: CPU %.0f ms, %lld context switches\n", idleSeconds,
                double(after.ticks - before.ticks) * 1000.0 / double(sysconf(_SC_CLK_TCK)),
                after.switches - before.switches);
    monitor.terminate();
    monitor.waitForFinished(10000);
    host.terminate();
    host.waitForFinished(60000);
    g_object_unref(testbed);
    return 0;
}

#include "bench_bus.moc"
