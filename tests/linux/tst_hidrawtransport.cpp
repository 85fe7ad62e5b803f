// The hidraw transport on a node of the test's own making: the transport opens a FIFO, and the
// test then puts a socket behind the descriptor it holds, one that polls as a pulled-out
// headset's node may while read() only ever answers EAGAIN.
#include "cHidrawTransport.h"

#include <QSignalSpy>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The descriptor through which this process has `path` open; -1 for none.
int descriptorOf(const QString &path)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &name : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds.filePath(name)).symLinkTarget() == path)
            return name.toInt();
    }
    return -1;
}

} // namespace

class tst_HidrawTransport : public QObject
{
    Q_OBJECT
private slots:
    void goneNodeStopsTheReader_data()
    {
        QTest::addColumn<int>("shutdown"); // what the socket behind the node shuts down
        QTest::addColumn<QString>("reason"); // a regular expression for what failed() says

        // Both poll readable for ever, and read() answers EAGAIN: with POLLHUP, and without.
        QTest::newRow("hung up") << int(SHUT_RDWR) << "^poll: the node hung up$";
        QTest::newRow("readable with nothing to read")
            << int(SHUT_RD) << "^read: the node woke the reader \\d+ times in a row with nothing to read$";
    }
    void goneNodeStopsTheReader()
    {
        QFETCH(int, shutdown);
        QFETCH(QString, reason);

        QTemporaryDir dir;
        // As /proc names it: the link's target is the canonical path.
        const QString node = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/hidraw0");
        QVERIFY(::mkfifo(QFile::encodeName(node).constData(), 0600) == 0);
        cHidrawTransport transport(cJsonValue(cJsonValue::Object), node);
        transport.start();
        QVERIFY(transport.isOpen());

        int wakeups = 0;
        for (QSocketNotifier *notifier : transport.findChildren<QSocketNotifier *>()) {
            if (notifier->type() == QSocketNotifier::Read)
                connect(notifier, &QSocketNotifier::activated, &transport, [&wakeups] { ++wakeups; });
        }
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) == 0);
        QVERIFY(::shutdown(pair[0], shutdown) == 0);
        const int held = descriptorOf(node);
        QVERIFY(held >= 0);
        QVERIFY(::dup2(pair[0], held) == held);
        ::close(pair[0]);

        QSignalSpy failed(&transport, &cHidrawTransport::failed);
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(
                QStringLiteral("^HID transport %1 failed, ").arg(QRegularExpression::escape(node))));
        QVERIFY(failed.wait());
        QCOMPARE(failed.count(), 1);
        const QString said = failed.at(0).at(0).toString();
        QVERIFY2(QRegularExpression(reason).match(said).hasMatch(), qPrintable(said));
        QVERIFY(!transport.isOpen());
        QVERIFY(wakeups >= 1);

        // Closed, the node wakes nobody: the event loop has nothing more of it to deliver.
        const int before = wakeups;
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(wakeups, before);
        ::close(pair[1]);
    }
};

QTEST_GUILESS_MAIN(tst_HidrawTransport)
#include "tst_hidrawtransport.moc"
