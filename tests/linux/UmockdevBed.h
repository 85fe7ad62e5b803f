#pragma once
// GLib's headers name struct members "signals"; they come before Qt defines that word.
#include <umockdev.h>

#include "cRunningHost.h"

#include <QtTest>

#include <unistd.h>

// What the Linux tests do with a umockdev testbed: the device descriptions of tests/linux/data
// plugged in and pulled out as the kernel tells udev of them, the scripts that play a device's
// side of its node, and input reports written to a node, for the bus or for a q71-host run.
namespace UmockdevBed {

// Without the preloaded library, what the test and q71-host see is the machine's own /sys and /dev.
inline void requirePreload()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("libumockdev-preload"), "run the test under umockdev-wrapper");
}

// The description `name`; with a `number`, the same device under other node names, as a headset
// plugged in again needs them: umockdev backs a node with a PTY of its own and cannot give a used
// node's name to a new one.
inline QByteArray description(const char *name, int number = 0)
{
    QFile file(QStringLiteral(Q71_LINUX_TEST_DATA "/") + QLatin1String(name));
    QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    if (number > 0)
        text.replace(QLatin1String("hidraw0"), QStringLiteral("hidraw%1").arg(number))
            .replace(QRegularExpression(QStringLiteral("(?<=card|controlC|pcmC)1(?!\\d)")),
                     QString::number(number));
    return text.toUtf8();
}

inline void plug(UMockdevTestbed *testbed, const QByteArray &description)
{
    GError *error = nullptr;
    QVERIFY2(umockdev_testbed_add_from_string(testbed, description.constData(), &error),
             error ? error->message : "");
}

// udev's "remove" for every device of the description, deepest first, each then taken out of the
// tree, as the kernel does when the device is pulled out.
inline void unplug(UMockdevTestbed *testbed, const QByteArray &description)
{
    const QList<QByteArray> lines = description.split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->startsWith("P: "))
            continue;
        const QByteArray syspath = "/sys" + line->mid(3);
        umockdev_testbed_uevent(testbed, syspath.constData(), "remove");
        umockdev_testbed_remove_device(testbed, syspath.constData());
    }
}

inline void loadScript(UMockdevTestbed *testbed, const char *node, const char *script = "q71-setup.script")
{
    GError *error = nullptr;
    const QByteArray path = QByteArray(Q71_LINUX_TEST_DATA "/") + script;
    QVERIFY2(umockdev_testbed_load_script(testbed, node, path.constData(), &error),
             error ? error->message : "");
}

// The device sends `hex` on `node`; true when all of it was written.
inline bool send(UMockdevTestbed *testbed, const char *node, const char *hex)
{
    const QByteArray report = QByteArray::fromHex(hex);
    return ::write(umockdev_testbed_get_dev_fd(testbed, node), report.constData(), size_t(report.size()))
        == ssize_t(report.size());
}

// The device sends `hex` on `node` to a running q71-host, which then traces what `heard` accepts.
inline void input(UMockdevTestbed *testbed, cRunningHost &host, const char *node, const char *hex,
                  const cRunningHost::Match &heard)
{
    QVERIFY(send(testbed, node, hex));
    QVERIFY2(host.waitFor(heard), hex);
}

} // namespace UmockdevBed
