#include "StderrLog.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char g_ownCategories[] = "q71.";

// True when standard error is the journal's stream: JOURNAL_STREAM is "DEVICE:INODE" of it, and
// inherited by whatever the service starts, so it is only believed when it still matches.
bool stderrIsJournal()
{
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    const int colon = stream.indexOf(':');
    struct stat status = {};
    if (colon <= 0 || ::fstat(fileno(stderr), &status) != 0)
        return false;
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = stream.left(colon).toULongLong(&deviceOk);
    const qulonglong inode = stream.mid(colon + 1).toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == qulonglong(status.st_dev) && inode == qulonglong(status.st_ino);
}

// The sd-daemon priority of each message type (syslog's levels).
int priority(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return 7;
    case QtInfoMsg:
        return 6;
    case QtWarningMsg:
        return 4;
    case QtCriticalMsg:
        return 3;
    case QtFatalMsg:
        break;
    }
    return 2;
}

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtWarningMsg:
        return "warning: ";
    case QtCriticalMsg:
    case QtFatalMsg:
        return "error: ";
    case QtDebugMsg:
    case QtInfoMsg:
        break;
    }
    return "";
}

} // namespace

bool StderrLog::isForStderr(QtMsgType type, const char *category)
{
    const bool serious = type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
    return serious && category && std::strncmp(category, g_ownCategories, sizeof g_ownCategories - 1) == 0;
}

void StderrLog::write(QtMsgType type, const QString &message)
{
    static const bool journal = stderrIsJournal();
    // On a terminal the line may start where the progress line stands: it takes its place.
    static const char *const start = isatty(fileno(stderr)) == 1 ? "\r\033[K" : "";
    // The journal takes every line for an entry of its own: a message is kept on one.
    const QString line = message.simplified();
    if (journal)
        std::fprintf(stderr, "<%d>%s\n", priority(type), qUtf8Printable(line));
    else
        std::fprintf(stderr, "%sq71-host: %s%s\n", start, levelName(type), qUtf8Printable(line));
    std::fflush(stderr);
}
