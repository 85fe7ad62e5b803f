// A host in miniature, built against the installed package alone: it loads the installed plugin
// and watches it reach this process's one service manager through the installed framework.
#include "IPlugin.h"
#include "NexaroHost.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <cstdio>

namespace {

class cContext final : public IPluginContext
{
public:
    explicit cContext(const QString &directory)
        : m_directory(directory)
    { }
    QString hostVersion() const override { return QStringLiteral("0.1.0"); }
    QString pluginAlias() const override { return QStringLiteral("Q71"); }
    QString pluginDirectory() const override { return m_directory; }
    cLog log() const override { return cLog(QStringLiteral("q71.consumer")); }

private:
    QString m_directory;
};

// "name member" of every call the plugin makes by name.
class cCalls final : public Nexaro::IServiceObserver
{
public:
    void observe(const Nexaro::cServiceTrace &trace) override
    {
        if (trace.kind == Nexaro::cServiceTrace::Call)
            m_seen << trace.name + QLatin1Char(' ') + trace.member;
    }
    QStringList m_seen;
};

int fail(const QString &why)
{
    std::fprintf(stderr, "q71-consumer: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return fail(QStringLiteral("usage: q71-consumer PLUGIN_FILE"));
    const QString file = QString::fromLocal8Bit(argv[1]);

    QLibrary library(file);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    const auto entrypoint = reinterpret_cast<cPluginEntrypoint>(library.resolve("entrypoint"));
    if (!entrypoint)
        return fail(library.errorString());
    IPlugin *plugin = entrypoint();
    if (!plugin)
        return fail(QStringLiteral("entrypoint returned no plugin"));

    // No device manager here: the plugin's calls fail (and say so), but they must arrive.
    cCalls calls;
    Nexaro::addObserver(&calls);
    cContext context(QFileInfo(file).absolutePath());
    const bool initialized = plugin->initialize(&context);
    plugin->shutdown();
    Nexaro::removeObserver(&calls);

    const QStringList expected = {QStringLiteral("DevMgr.DevMgrLow registerDeviceProvider"),
                                  QStringLiteral("DevMgr.DevMgrLow unregisterDeviceProvider")};
    if (!initialized)
        return fail(QStringLiteral("initialize returned false"));
    if (calls.m_seen != expected)
        return fail(
            QStringLiteral("the plugin's calls by name: [%1]").arg(calls.m_seen.join(QStringLiteral(", "))));
    std::printf("q71-consumer: %s initialised and shut down through the installed framework\n",
                qPrintable(QFileInfo(file).fileName()));
    return 0;
}
