#include "cHidPlugWatch.h"

#include "TransportKind.h"

bool cHidPlugWatch::takesHid(const cTraceEvent &event, QString *uid)
{
    const bool hid
        = event.value(QStringLiteral("transport")).toString() == TransportKind::name(TransportKind::Hid);
    switch (event.kind()) {
    case TraceKind::Plug:
        if (hid)
            m_lastPlugged = event.value(QStringLiteral("uid")).toString();
        return false;
    case TraceKind::CreateDevice:
    case TraceKind::AddTransport:
        if (!hid || !event.value(QStringLiteral("result")).toBool())
            return false;
        *uid = m_lastPlugged;
        return true;
    default:
        return false;
    }
}
