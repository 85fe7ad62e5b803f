#include "cCtlOutput.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

cCtlOutput::cCtlOutput(QObject *parent)
    : QObject(parent)
{
    std::signal(SIGPIPE, SIG_IGN);
    // Only a pipe's writing end is watched: it never becomes readable, so the notifier wakes only
    // for the error its reader's leaving raises. A terminal would wake it whenever a key is typed.
    struct stat status = {};
    if (::fstat(STDOUT_FILENO, &status) == 0 && S_ISFIFO(status.st_mode)) {
        m_pipe = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Read, this);
        connect(m_pipe, &QSocketNotifier::activated, this, &cCtlOutput::onPipeEvent);
    }
}

bool cCtlOutput::write(const QByteArray &text)
{
    qsizetype done = 0;
    while (!m_closed && done < text.size()) {
        const ssize_t written
            = ::write(STDOUT_FILENO, text.constData() + done, static_cast<size_t>(text.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            close();
        else
            done += written;
    }
    return !m_closed;
}

void cCtlOutput::onPipeEvent()
{
    struct pollfd output = {STDOUT_FILENO, 0, 0};
    if (::poll(&output, 1, 0) > 0 && (output.revents & (POLLERR | POLLHUP)))
        close();
}

void cCtlOutput::close()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_pipe)
        m_pipe->setEnabled(false);
    emit closed();
}
