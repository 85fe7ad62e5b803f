#pragma once
#include "NexaroHost.h"

class cTrace;

// For --verbose: every operation of the framework's service manager, whoever makes it (the
// plugin's service calls and key events, the host's own posts and subscriptions), as a
// "service.*" event. Only names go into the trace, never addresses, so a verbose trace is as
// reproducible as a plain one.
class cServiceCallTracer : public Nexaro::IServiceObserver
{
public:
    explicit cServiceCallTracer(cTrace &trace);
    virtual ~cServiceCallTracer();
    cServiceCallTracer(const cServiceCallTracer &) = delete;
    cServiceCallTracer &operator=(const cServiceCallTracer &) = delete;

    void observe(const Nexaro::cServiceTrace &trace) override;

private:
    cTrace &m_trace;
};
