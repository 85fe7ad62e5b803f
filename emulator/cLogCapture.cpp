#include "cLogCapture.h"

#include "StderrLog.h"
#include "cTrace.h"

#include <cstring>

namespace {

cTrace *g_trace = nullptr;
QtMessageHandler g_previous = nullptr;
bool g_showFramework = false;
const char g_frameworkCategory[] = "nexaro.services";

} // namespace

cLogCapture::cLogCapture(cTrace &trace, bool showFramework)
    : m_trace(trace)
{
    g_trace = &m_trace;
    g_showFramework = showFramework;
    m_previous = qInstallMessageHandler(&cLogCapture::handle);
    g_previous = m_previous;
}

cLogCapture::~cLogCapture()
{
    qInstallMessageHandler(m_previous);
    g_trace = nullptr;
    g_previous = nullptr;
}

void cLogCapture::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // Past the trace's end (or before a sink exists) a message must still reach someone.
    if (!g_trace || g_trace->isFinished()) {
        if (g_previous)
            g_previous(type, context, message);
        return;
    }
    // The trace may be quiet, or read by a program: the user hears of these all the same.
    if (StderrLog::isForStderr(type, context.category))
        StderrLog::write(type, message);
    const QList<cTraceEvent::Field> fields {{QStringLiteral("level"), TraceKind::logLevel(type)},
                                            {QStringLiteral("message"), message}};
    if (!g_showFramework && context.category && std::strcmp(context.category, g_frameworkCategory) == 0)
        g_trace->count(TraceKind::Log, fields);
    else
        g_trace->record(TraceKind::Log, fields);
    // The process ends after a fatal message; the default handler says so where it always does.
    if (type == QtFatalMsg && g_previous)
        g_previous(type, context, message);
}
