#pragma once
// What every fuzz target sets up once, in LLVMFuzzerInitialize: the Qt application on virtual
// time, and quiet message output.
#include "cVirtualEventDispatcher.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QtGlobal>

#include <cstdlib>

namespace Fuzz {

inline void dropMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // A fatal message still ends the run, so that libFuzzer reports it as a crash with its input.
    if (type == QtFatalMsg) {
        fprintf(stderr, "%s\n", qPrintable(message));
        abort();
    }
}

// The dispatcher goes in before the application exists, so that every timer runs on virtual time
// and an input's run never waits on the wall clock. The failure lines of service calls and of
// malformed files are what most inputs produce; printing them would cost more than the run, so
// they are dropped unless Q71_FUZZ_MESSAGES is set.
inline void startApplication(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("Q71_FUZZ_MESSAGES"))
        qInstallMessageHandler(dropMessage);
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    // Lives until the process ends: libFuzzer never returns from its loop.
    new QCoreApplication(*argc, *argv);
}

// Loads the plugin before the first input, so that libFuzzer knows its coverage counters from
// the start; the host's own load later finds the library already there. Never unloaded.
inline void preloadPlugin(const QString &fileName)
{
    QLibrary library(fileName);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        fprintf(stderr, "%s\n", qPrintable(library.errorString()));
        abort();
    }
}

// Reads an input front to back; past the end every byte reads as zero.
class cInputBytes
{
public:
    cInputBytes(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    { }

    bool atEnd() const { return m_offset >= m_size; }
    quint8 next() { return atEnd() ? 0 : m_data[m_offset++]; }
    QByteArray take(size_t count)
    {
        count = qMin(count, m_size - qMin(m_offset, m_size));
        const QByteArray bytes(reinterpret_cast<const char *>(m_data + m_offset), int(count));
        m_offset += count;
        return bytes;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_offset = 0;
};

} // namespace Fuzz
