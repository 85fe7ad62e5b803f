#pragma once
#include "IPlugin.h"
#include "Types.h"

// The plugin object the host reaches through `entrypoint`. One static instance lives as long as
// the library; it holds the device provider from initialize() to shutdown().
class cMiravelPlugin final : public IPlugin
{
public:
    constexpr cMiravelPlugin() = default;

    bool initialize(IPluginContext *context) override;
    void shutdown() override;

    const cAbstractDeviceProviderPtr &deviceProvider() const { return m_deviceProvider; }

private:
    cAbstractDeviceProviderPtr m_deviceProvider;
};
