#include "cBenchTable.h"

#include <cstdio>
#include <ostream>

namespace {

double toNanoseconds(double value, benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond:
        return value;
    case benchmark::kMicrosecond:
        return value * 1e3;
    case benchmark::kMillisecond:
        return value * 1e6;
    case benchmark::kSecond:
        return value * 1e9;
    }
    return value;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string formatTime(double nanoseconds)
{
    if (nanoseconds < 1e3)
        return fixed(nanoseconds, 0) + " ns";
    if (nanoseconds < 1e6)
        return fixed(nanoseconds / 1e3, 2) + " µs";
    return fixed(nanoseconds / 1e6, 2) + " ms";
}

std::string formatTarget(double maxRatio, double maxNanoseconds)
{
    std::string target;
    if (maxRatio > 0)
        target = "≤ " + fixed(maxRatio, 2) + "x";
    if (maxNanoseconds > 0)
        target += (target.empty() ? "≤ " : ", ≤ ") + formatTime(maxNanoseconds);
    return target.empty() ? "—" : target;
}

} // namespace

cBenchTable::cBenchTable()
    : benchmark::ConsoleReporter(OO_Tabular)
{ }

void cBenchTable::ReportRuns(const std::vector<Run> &runs)
{
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median)
            continue;
        cResult &result = m_results[run.run_name.function_name];
        // With several repetitions the median replaces whatever single repetition came first.
        if (result.median && !median)
            continue;
        result.median = median;
        // CPU time: on a shared machine the wall clock also counts what other processes ran. A
        // benchmark that times itself reports CPU time as its manual time.
        const bool manual = run.run_name.time_type == "manual_time";
        result.nanoseconds
            = toNanoseconds(manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime(), run.time_unit);
        result.manual = manual;
        result.counters = run.counters;
        if (run.error_occurred)
            result.error = run.error_message;
    }
}

const cBenchTable::cResult *cBenchTable::result(const std::string &name) const
{
    const auto it = m_results.find(name);
    return it == m_results.end() ? nullptr : &it->second;
}

void cBenchTable::Finalize()
{
    std::ostream &out = GetOutputStream();
    out << "\n";
    printTimeRows(out);
    if (!m_counterRows.empty()) {
        out << "\n";
        printCounterRows(out);
    }
    out << "\nMedians over the repetitions; a ratio sets a path against its baseline from this same run.\n";
    for (const cTimeRow &row : m_timeRows)
        out << "- " << row.path << " against " << row.baseline << ": " << row.meaning << "\n";
    for (const cCounterRow &row : m_counterRows)
        out << "- " << row.counter << ": " << row.meaning << "\n";
    out << (m_allHeld ? "Every target holds.\n" : "Some targets do not hold (see Holds).\n");
    benchmark::ConsoleReporter::Finalize();
}

void cBenchTable::printTimeRows(std::ostream &out)
{
    out << "| Path | Median (CPU) | Baseline | Baseline median (CPU) | Ratio | Target | Holds |\n"
        << "|---|---:|---|---:|---:|---|---|\n";
    for (const cTimeRow &row : m_timeRows) {
        const cResult *measured = result(row.path);
        const cResult *baseline = result(row.baseline);
        out << "| " << row.path << " | ";
        if (!measured || !baseline || !measured->error.empty() || !baseline->error.empty()) {
            const std::string why = !measured || !baseline ? "did not run"
                : !measured->error.empty()                 ? measured->error
                                                           : baseline->error;
            out << "— | " << row.baseline << " | — | — | " << formatTarget(row.maxRatio, row.maxNanoseconds)
                << " | no: " << why << " |\n";
            m_allHeld = false;
            continue;
        }
        const double ratio = measured->nanoseconds / baseline->nanoseconds;
        const bool ratioHolds = row.maxRatio <= 0 || ratio <= row.maxRatio;
        const bool timeHolds = row.maxNanoseconds <= 0 || measured->nanoseconds <= row.maxNanoseconds;
        const bool hasTarget = row.maxRatio > 0 || row.maxNanoseconds > 0;
        std::string holds = "—";
        if (hasTarget) {
            holds = ratioHolds && timeHolds ? "yes" : "no";
            m_allHeld = m_allHeld && ratioHolds && timeHolds;
        }
        out << formatTime(measured->nanoseconds) << " | " << row.baseline << " | "
            << formatTime(baseline->nanoseconds) << " | " << fixed(ratio, 2) + "x"
            << " | " << formatTarget(row.maxRatio, row.maxNanoseconds) << " | " << holds << " |\n";
    }
}

void cBenchTable::printCounterRows(std::ostream &out)
{
    out << "| Measure | Path | Baseline | Path less baseline | Target | Holds |\n"
        << "|---|---:|---:|---:|---|---|\n";
    for (const cCounterRow &row : m_counterRows) {
        const cResult *measured = result(row.path);
        const cResult *baseline = result(row.baseline);
        const auto value = [&row](const cResult *r, double *into) {
            if (!r || !r->error.empty())
                return false;
            const auto it = r->counters.find(row.counter);
            if (it == r->counters.end())
                return false;
            *into = it->second.value;
            return true;
        };
        double path = 0;
        double base = 0;
        const std::string target = row.maximum > 0 ? "≤ " + fixed(row.maximum, 0) + " " + row.unit : "—";
        out << "| " << row.counter << " (" << row.path << ") | ";
        if (!value(measured, &path) || !value(baseline, &base)) {
            out << "— | — | — | " << target << " | no: not measured |\n";
            m_allHeld = false;
            continue;
        }
        const double own = path - base;
        std::string holds = "—";
        if (row.maximum > 0) {
            holds = own <= row.maximum ? "yes" : "no";
            m_allHeld = m_allHeld && own <= row.maximum;
        }
        out << fixed(path, 0) + " " << row.unit << " | " << fixed(base, 0) + " " << row.unit << " | "
            << fixed(own, 0) + " " << row.unit << " | " << target << " | " << holds << " |\n";
    }
}
