// A call by name through the service manager, shaped as the plugin's proxies make it: the two
// names built from literals, one "const QString" argument and a result, against the same method
// called through the service's interface.
#include "Benchmarks.h"
#include "IProfiler.h"
#include "IServiceMgr.h"
#include "NexaroHost.h"
#include "cBenchHost.h"
#include "cBenchTable.h"
#include "cHost.h"
#include "cProfilerService.h"

namespace {

bool callByName(const QString &name, GKey::GKey_t *result)
{
    return IServiceMgr::instance()->callService(
        QStringLiteral("Profiler.Profiler"), QStringLiteral("stringToGKey"),
        QGenericReturnArgument("GKey::GKey_t", result), QGenericArgument("const QString", &name));
}

// One call through a proxy made for it, as the plugin makes every one: declare the use of the
// service, then call.
bool callThroughFreshProxy(const QString &name, GKey::GKey_t *result)
{
    IServiceMgr::instance()->requireService(QStringLiteral("Profiler.Profiler"), QStringLiteral("1"));
    return callByName(name, result);
}

void check(benchmark::State &state, bool ok, GKey::GKey_t result)
{
    if (!ok || result != GKey::G2)
        state.SkipWithError("the call did not reach stringToGKey");
}

void direct(benchmark::State &state)
{
    IProfiler *profiler = cBenchHost::instance().host().services().profiler();
    benchmark::DoNotOptimize(profiler);
    const QString name = QStringLiteral("G2");
    GKey::GKey_t result = GKey::None;
    for (auto _ : state) {
        result = profiler->stringToGKey(name);
        benchmark::DoNotOptimize(result);
    }
    check(state, true, result);
}

void cached(benchmark::State &state)
{
    const QString name = QStringLiteral("G2");
    GKey::GKey_t result = GKey::None;
    bool ok = callByName(name, &result);
    for (auto _ : state) {
        ok = callByName(name, &result) && ok;
        benchmark::DoNotOptimize(result);
    }
    check(state, ok, result);
}

// Every call resolves the method from the meta-object again; forgetting the cache is part of
// what is timed.
void uncached(benchmark::State &state)
{
    const QString name = QStringLiteral("G2");
    GKey::GKey_t result = GKey::None;
    bool ok = true;
    for (auto _ : state) {
        Nexaro::clearMethodCache();
        ok = callByName(name, &result) && ok;
        benchmark::DoNotOptimize(result);
    }
    check(state, ok, result);
}

void freshProxy(benchmark::State &state)
{
    const QString name = QStringLiteral("G2");
    GKey::GKey_t result = GKey::None;
    bool ok = true;
    for (auto _ : state) {
        ok = callThroughFreshProxy(name, &result) && ok;
        benchmark::DoNotOptimize(result);
    }
    check(state, ok, result);
}

} // namespace

void registerCallBenchmarks(cBenchTable &table)
{
    benchmark::RegisterBenchmark("call_by_name/direct", direct);
    benchmark::RegisterBenchmark("call_by_name/cached", cached);
    benchmark::RegisterBenchmark("call_by_name/uncached", uncached);
    benchmark::RegisterBenchmark("call_by_name/fresh_proxy", freshProxy);
    table.addTimeRow(
        {"call_by_name/cached", "call_by_name/direct",
         "callService(\"Profiler.Profiler\", \"stringToGKey\", result, one const QString) with the "
         "method already looked up; baseline: IProfiler::stringToGKey called directly",
         3, 0});
    table.addTimeRow({"call_by_name/uncached", "call_by_name/direct",
                      "the same call after the method cache was cleared, so that the method is looked up in "
                      "the meta-object again (the clearing is timed too)",
                      0, 0});
    table.addTimeRow({"call_by_name/fresh_proxy", "call_by_name/direct",
                      "requireService and the cached call, as every call through a new proxy object of the "
                      "plugin",
                      0, 0});
}
