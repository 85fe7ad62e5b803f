#pragma once
#include <QString>

#include <memory>

class QObject;
class cAudioDeviceMgrService;
class cDevMgrLowService;
class cProfilerService;

// The three services the host offers plugins, and the switch that takes one away: a service that
// is not registered makes every call a plugin makes to it fail, as a crashed or missing host
// component would.
class cHostServices
{
public:
    enum Service { DevMgr, Profiler, AudioDeviceMgr };
    static const Service All[3];

    cHostServices();
    ~cHostServices();
    cHostServices(const cHostServices &) = delete;
    cHostServices &operator=(const cHostServices &) = delete;

    // The name plugins call the service by ("DevMgr.DevMgrLow", ...).
    static QString name(Service service);

    void setAvailable(Service service, bool available);
    void registerAll();
    void unregisterAll();

    cDevMgrLowService *devMgr() const { return m_devMgr.get(); }
    cProfilerService *profiler() const { return m_profiler.get(); }
    cAudioDeviceMgrService *audioDeviceMgr() const { return m_audioDeviceMgr.get(); }

private:
    QObject *object(Service service) const;
    bool isAvailable(Service service) const;

    std::unique_ptr<cDevMgrLowService> m_devMgr;
    std::unique_ptr<cProfilerService> m_profiler;
    std::unique_ptr<cAudioDeviceMgrService> m_audioDeviceMgr;
};
