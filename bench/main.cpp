// q71-bench: what a key press, a volume step, a call by name and a device's bring-up cost, each
// against a baseline measured in the same run. Google Benchmark's flags apply; the table of medians
// follows its usual output.
#include "Benchmarks.h"
#include "cBenchHost.h"
#include "cBenchTable.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {
const char g_childFlag[] = "--q71-child=";
}

int main(int argc, char **argv)
{
    if (argc == 2 && std::strncmp(argv[1], g_childFlag, sizeof g_childFlag - 1) == 0) {
        QCoreApplication app(argc, argv);
        return runLoadChild(QString::fromLatin1(argv[1] + sizeof g_childFlag - 1));
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    QCoreApplication app(argc, argv);

    cBenchHost bench;
    if (!bench.isReady()) {
        std::fprintf(stderr, "q71-bench: the plugin did not load: %s\n", qPrintable(bench.error()));
        return 1;
    }

    cBenchTable table;
    registerInputBenchmarks(table);
    registerCallBenchmarks(table);
    registerLifecycleBenchmarks(table);
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    // A target that does not hold is a finding for the table, not a failure of the program.
    return 0;
}
