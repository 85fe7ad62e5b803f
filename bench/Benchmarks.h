#pragma once
#include <QString>

class cBenchTable;

// Each registers its benchmarks with Google Benchmark and their rows with the table.
void registerInputBenchmarks(cBenchTable &table);
void registerCallBenchmarks(cBenchTable &table);
void registerLifecycleBenchmarks(cBenchTable &table);

// A child process of this program that times one first load of the plugin ("load": the host's
// whole loadPlugin, "dlopen": the library alone) and prints nanoseconds; the exit code.
int runLoadChild(const QString &what);
