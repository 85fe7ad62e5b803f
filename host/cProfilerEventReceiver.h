#pragma once
#include "Types.h"

#include <QList>
#include <QObject>
#include <QString>

// The profiler's ear on "Profiler_Events": the service manager calls its "on" + event name
// handlers when a device posts a programmable-key event. Each event is kept, in arrival order.
class cProfilerEventReceiver : public QObject
{
    Q_OBJECT
public:
    struct cGKeyEvent
    {
        bool pressed = false;
        GKey::GKey_t key = GKey::None;
        QString model;
        QString category;
    };

    explicit cProfilerEventReceiver(QObject *parent = nullptr);
    ~cProfilerEventReceiver() override;

    bool subscribe();
    void unsubscribe();

    QList<cGKeyEvent> events() const { return m_events; }
    void clear() { m_events.clear(); }

    Q_INVOKABLE void onGKeyPressed(GKey::GKey_t key, const QString &model, const QString &category);
    Q_INVOKABLE void onGKeyReleased(GKey::GKey_t key, const QString &model, const QString &category);

signals:
    void gKeyPressed(int key, const QString &model, const QString &category);
    void gKeyReleased(int key, const QString &model, const QString &category);

private:
    QList<cGKeyEvent> m_events;
    bool m_subscribed = false;
};
