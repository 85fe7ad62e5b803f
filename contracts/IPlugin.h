#pragma once
#include "cLog.h"

#include <QString>

// What the host hands a plugin at initialisation.
class IPluginContext
{
public:
    virtual QString hostVersion() const = 0;
    virtual QString pluginAlias() const = 0;
    virtual QString pluginDirectory() const = 0;
    virtual cLog log() const = 0;

protected:
    ~IPluginContext() = default;
};

// The object a device plugin's `entrypoint` returns. It is a static object of the plugin
// library and lives as long as the library is loaded; nobody deletes it through this interface.
class IPlugin
{
public:
    virtual bool initialize(IPluginContext *context) = 0;
    virtual void shutdown() = 0;

protected:
    ~IPlugin() = default;
};

// The signature of a plugin's only export, "entrypoint".
extern "C" typedef IPlugin *(*cPluginEntrypoint)();
