#pragma once
#include "CtlExit.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

class cCtlOutput;
class cHeadsetWatch;
class cManagerProxy;
struct cMonitorEvent;

// `q71ctl monitor`: every headset added and removed, and everything each one does, a line each
// (a JSON object a line with --json), until it is stopped, its output is closed or the service
// goes away.
class cHeadsetMonitor : public QObject
{
    Q_OBJECT
public:
    cHeadsetMonitor(const QDBusConnection &connection, bool json, cCtlOutput *output,
                    QObject *parent = nullptr);

    // Listens to the service and to each headset it serves now. False, with `failure` set, when
    // there is no service.
    bool start(CtlExit::cFailure *failure);

signals:
    // The monitor is done: the service went away (with its line), or nobody reads its output.
    void finished(const CtlExit::cFailure &failure);

private:
    void watch(const QString &path);
    void onHeadsetAdded(const QString &path);
    void onHeadsetRemoved(const QString &path);
    void onServiceGone();
    void print(const cMonitorEvent &event);

    QDBusConnection m_connection;
    bool m_json = false;
    cCtlOutput *m_output = nullptr;
    cManagerProxy *m_manager = nullptr;
    QHash<QString, cHeadsetWatch *> m_headsets;
};
