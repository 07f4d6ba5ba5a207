#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Prints every run as the console reporter does and keeps each benchmark's
// real time per iteration, so that a summary can be printed at the end.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // Nanoseconds per iteration, by benchmark name; the median when the
    // benchmark was repeated.
    std::map<std::string, double> Nanoseconds() const;

private:
    std::map<std::string, std::vector<double>> samples_;
};

// What a figure is held to: a multiple of the bare blit, or an absolute
// time in nanoseconds.
struct Target {
    std::string prefix;  // applies to every benchmark whose name starts so
    double blitMultiple = 0.0;   // 0: not relative
    double nanoseconds = 0.0;    // 0: not absolute
    std::string label;
};

// The table of each figure's ratio to `floorName`, with the verdict against
// the first matching target. Nothing is printed if the floor was not run.
void PrintRatioSummary(const std::map<std::string, double>& figures, const std::string& floorName,
                       const std::vector<Target>& targets);
