#include "ratio_summary.h"

#include <algorithm>
#include <cstdio>

void CollectingReporter::ReportRuns(const std::vector<Run>& runs)
{
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        // Aggregates (mean, median...) are recomputed below from the samples.
        if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0)
            continue;
        const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        samples_[run.benchmark_name()].push_back(seconds * 1e9);
    }
}

std::map<std::string, double> CollectingReporter::Nanoseconds() const
{
    std::map<std::string, double> result;
    for (const auto& [name, values] : samples_) {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        result[name] = sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
    }
    return result;
}

namespace {

std::string readable(double ns)
{
    char text[32];
    if (ns < 1e3)
        std::snprintf(text, sizeof text, "%.1f ns", ns);
    else if (ns < 1e6)
        std::snprintf(text, sizeof text, "%.1f us", ns / 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
    return text;
}

}  // namespace

void PrintRatioSummary(const std::map<std::string, double>& figures, const std::string& floorName,
                       const std::vector<Target>& targets)
{
    const auto floor = figures.find(floorName);
    if (floor == figures.end() || floor->second <= 0.0)
        return;
    const double blit = floor->second;

    std::printf("\nRatios to the bare blit (%s = %s)\n", floorName.c_str(), readable(blit).c_str());
    std::printf("%-34s %12s %9s  %-16s %s\n", "benchmark", "time", "x blit", "target", "verdict");
    for (const auto& [name, ns] : figures) {
        const Target* target = nullptr;
        for (const Target& t : targets)
            if (name.compare(0, t.prefix.size(), t.prefix) == 0) {
                target = &t;
                break;
            }
        const char* verdict = "";
        if (target) {
            const bool met = target->blitMultiple > 0.0 ? ns <= target->blitMultiple * blit
                                                        : ns < target->nanoseconds;
            verdict = met ? "met" : "MISSED";
        }
        std::printf("%-34s %12s %9.2f  %-16s %s\n", name.c_str(), readable(ns).c_str(), ns / blit,
                    target ? target->label.c_str() : "", verdict);
    }
    std::fflush(stdout);
}
