#include "cProfilerEventReceiver.h"

#include "IServiceMgr.h"

namespace {
const char g_source[] = "Profiler_Events";
}

cProfilerEventReceiver::cProfilerEventReceiver(QObject *parent)
    : QObject(parent)
{ }

cProfilerEventReceiver::~cProfilerEventReceiver()
{
    unsubscribe();
}

bool cProfilerEventReceiver::subscribe()
{
    if (!m_subscribed)
        m_subscribed
            = IServiceMgr::instance()->subscribeEvents(QLatin1String(g_source), this, QStringLiteral("on"));
    return m_subscribed;
}

void cProfilerEventReceiver::unsubscribe()
{
    if (!m_subscribed)
        return;
    IServiceMgr::instance()->unsubscribeEvents(QLatin1String(g_source), this);
    m_subscribed = false;
}

void cProfilerEventReceiver::onGKeyPressed(GKey::GKey_t key, const QString &model, const QString &category)
{
    m_events.append({true, key, model, category});
    emit gKeyPressed(key, model, category);
}

void cProfilerEventReceiver::onGKeyReleased(GKey::GKey_t key, const QString &model, const QString &category)
{
    m_events.append({false, key, model, category});
    emit gKeyReleased(key, model, category);
}
