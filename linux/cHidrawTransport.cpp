#include "cHidrawTransport.h"

#include "LinuxLog.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The largest report the kernel's HID core hands to a hidraw reader (HID_MAX_BUFFER_SIZE).
constexpr int g_maxReportSize = 4096;
// hidraw polls readable only with a report queued; a node that keeps waking the reader with none
// is no longer a device's.
constexpr int g_emptyWakeupsGone = 16;

QString errorText(const char *operation, int error)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(operation),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

cHidrawTransport::cHidrawTransport(const cJsonValue &info, const QString &devnode)
    : cTransportBase<IHidTransport>(info)
    , m_devnode(devnode)
{ }

cHidrawTransport::~cHidrawTransport()
{
    close();
}

void cHidrawTransport::start()
{
    cTransportBase<IHidTransport>::start();
    if (m_fd < 0)
        open();
}

void cHidrawTransport::stop()
{
    cTransportBase<IHidTransport>::stop();
    close();
}

void cHidrawTransport::open()
{
    const QByteArray path = m_devnode.toLocal8Bit();
    m_fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        // Not a failure of the headset: it stays on the bus, and a later start() tries again.
        if (error == EACCES || error == EPERM)
            qCWarning(lcQ71Linux).noquote()
                << QStringLiteral(
                       "Cannot open %1: permission denied. The udev rule 70-q71.rules (data/70-q71.rules, "
                       "installed to lib/udev/rules.d) gives the seat's user access: install it, "
                       "then plug the headset in again.")
                       .arg(m_devnode);
        else
            fail(errorText("open", error));
        return;
    }
    m_emptyWakeups = 0;
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWritable(); });
}

void cHidrawTransport::close()
{
    // The notifiers may be the ones whose signal is being delivered; they go once it returned.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    // Writes not yet made never complete: the device empties its own queues when it stops.
    m_pending.clear();
    m_input.clear();
}

QByteArray cHidrawTransport::read()
{
    return m_input.isEmpty() ? QByteArray() : m_input.takeFirst();
}

void cHidrawTransport::onReadable()
{
    // Everything waiting is taken now, so that the notifier fires again only for new reports.
    char buffer[g_maxReportSize];
    bool readAny = false;
    while (m_fd >= 0) {
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && wouldBlock(errno)) {
            if (!readAny)
                wokeWithNothing();
            return;
        }
        // A hidraw read returns at least one byte; nothing at all means the node has gone.
        if (count <= 0) {
            fail(count < 0 ? errorText("read", errno) : QStringLiteral("read: end of file"));
            return;
        }
        readAny = true;
        m_emptyWakeups = 0;
        m_input.append(QByteArray(buffer, int(count)));
        emit tap().received(m_input.constLast());
        emit readyRead();
    }
}

void cHidrawTransport::wokeWithNothing()
{
    // Not every kernel reports a pulled-out device through read(): the node may go on polling
    // readable, with POLLHUP or POLLERR, while read() answers EAGAIN, and the notifier would fire
    // for ever. Gone it is, then, as it is when the node says so or keeps waking for nothing.
    pollfd node {m_fd, POLLIN, 0};
    if (::poll(&node, 1, 0) > 0 && (node.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        fail(QStringLiteral("poll: the node %1")
                 .arg(node.revents & POLLHUP ? QStringLiteral("hung up")
                                             : QStringLiteral("reports an error")));
        return;
    }
    if (++m_emptyWakeups >= g_emptyWakeupsGone)
        fail(QStringLiteral("read: the node woke the reader %1 times in a row with nothing to read")
                 .arg(m_emptyWakeups));
}

void cHidrawTransport::write(int cookie, const QByteArray &outputReport)
{
    // Closed: never opened, stopped, or failed, which was reported once already.
    if (m_fd < 0)
        return;
    emit tap().written(outputReport, cookie);
    m_pending.append({cookie, outputReport});
    // With reports already pending, the node is busy and the write notifier drains them in order.
    if (m_pending.size() == 1)
        writePending();
}

void cHidrawTransport::onWritable()
{
    m_writeNotifier->setEnabled(false);
    writePending();
}

void cHidrawTransport::writePending()
{
    while (m_fd >= 0 && !m_pending.isEmpty()) {
        const cPendingWrite &next = m_pending.constFirst();
        const ssize_t count = ::write(m_fd, next.report.constData(), size_t(next.report.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && wouldBlock(errno)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // hidraw sends a write as one report; the rest of a short one would go out as a report of
        // its own, so the report is lost and the node no longer to be trusted.
        if (count != next.report.size()) {
            fail(count < 0
                     ? errorText("write", errno)
                     : QStringLiteral("write: %1 of %2 bytes written").arg(count).arg(next.report.size()));
            return;
        }
        const int cookie = next.cookie;
        m_pending.removeFirst();
        // A device may write its next report from this signal's slot; it must not run inside
        // the write() it came from.
        QMetaObject::invokeMethod(
            this,
            [this, cookie] {
                emit tap().writeCompleted(cookie);
                emit writeComplete(cookie);
            },
            Qt::QueuedConnection);
    }
}

bool cHidrawTransport::setFeature(const QByteArray &featureReport)
{
    if (m_fd < 0 || featureReport.isEmpty())
        return false;
    QByteArray buffer = featureReport;
    return ::ioctl(m_fd, HIDIOCSFEATURE(buffer.size()), buffer.data()) >= 0;
}

QByteArray cHidrawTransport::feature(int reportId)
{
    QByteArray report(g_maxReportSize, '\0');
    report[0] = char(reportId);
    return feature(report) ? report : QByteArray();
}

bool cHidrawTransport::feature(QByteArray &report)
{
    if (m_fd < 0 || report.isEmpty())
        return false;
    const int count = ::ioctl(m_fd, HIDIOCGFEATURE(report.size()), report.data());
    if (count < 0)
        return false;
    report.truncate(count);
    return true;
}

void cHidrawTransport::fail(const QString &reason)
{
    qCWarning(lcQ71Linux).noquote() << QStringLiteral("HID transport %1 failed, %2").arg(m_devnode, reason);
    close();
    emit failed(reason);
}
