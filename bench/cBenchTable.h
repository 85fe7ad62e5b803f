#pragma once
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The console output of Google Benchmark, followed by one Markdown table of medians. On a shared,
// noisy machine an absolute time says little, so every measured path is set against a baseline
// measured in the same run, and its target is checked on that ratio (and on the time itself only
// where a target names one).
class cBenchTable : public benchmark::ConsoleReporter
{
public:
    struct cTimeRow
    {
        std::string path; // the benchmark measured
        std::string baseline; // the benchmark it is set against
        std::string meaning;
        double maxRatio = 0; // path / baseline; 0 when the row has no such target
        double maxNanoseconds = 0; // the path's median; 0 when none
    };

    // A user counter of the path less the same counter of its baseline.
    struct cCounterRow
    {
        std::string path;
        std::string baseline;
        std::string counter;
        std::string unit;
        std::string meaning;
        double maximum = 0; // 0 when the row has no target
    };

    cBenchTable();

    void addTimeRow(const cTimeRow &row) { m_timeRows.push_back(row); }
    void addCounterRow(const cCounterRow &row) { m_counterRows.push_back(row); }

    void ReportRuns(const std::vector<Run> &runs) override;
    void Finalize() override;

private:
    struct cResult
    {
        bool median = false; // false: a single repetition's value
        bool manual = false; // timed by the benchmark itself, on the wall clock
        double nanoseconds = 0;
        benchmark::UserCounters counters;
        std::string error;
    };

    const cResult *result(const std::string &name) const;
    void printTimeRows(std::ostream &out);
    void printCounterRows(std::ostream &out);

    std::vector<cTimeRow> m_timeRows;
    std::vector<cCounterRow> m_counterRows;
    std::map<std::string, cResult> m_results;
    bool m_allHeld = true;
};
