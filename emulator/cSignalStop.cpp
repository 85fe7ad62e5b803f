#include "cSignalStop.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int g_signals[] = {SIGINT, SIGTERM};
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;

extern "C" void onSignal(int signal)
{
    if (g_caught == 0)
        g_caught = signal;
    // write() may change errno, which the code the signal interrupted may be about to read.
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a signal to read: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

cSignalStop::cSignalStop(bool watchPipe, QObject *parent)
    : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("Cannot create the signal pipe: SIGINT and SIGTERM end the run without its summary");
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second signal of a kind finds the default action again.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : g_signals)
        ::sigaction(signal, &action, nullptr);
    if (watchPipe) {
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    }
}

cSignalStop::~cSignalStop()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : g_signals)
        ::sigaction(signal, &action, nullptr);
    delete m_notifier;
    for (int &end : g_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

int cSignalStop::caughtSignal()
{
    return g_caught;
}

void cSignalStop::onReadable()
{
    unsigned char number = 0;
    bool any = false;
    while (::read(g_pipe[0], &number, 1) == 1)
        any = true;
    if (any)
        emit caught(caughtSignal());
}
