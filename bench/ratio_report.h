// Runs the registered benchmarks and ends with one line per comparison:
// "RATIO <name> <time of measured / time of baseline>", the two measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Ratio {
    std::string name;
    std::string measured;  // benchmark names as registered
    std::string baseline;
};

// Plain text, as FastestRunReporter (bench/ratio.h) writes it.
class TimeRecorder : public benchmark::ConsoleReporter {
public:
    TimeRecorder() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;  // per iteration
};

inline int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    TimeRecorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();
    int missing = 0;
    for (const Ratio& ratio : ratios) {
        auto measured = recorder.seconds.find(ratio.measured);
        auto baseline = recorder.seconds.find(ratio.baseline);
        if (measured == recorder.seconds.end() || baseline == recorder.seconds.end() ||
            baseline->second <= 0) {
            std::fprintf(stderr, "no ratio for %s: a benchmark did not run\n", ratio.name.c_str());
            ++missing;
            continue;
        }
        std::printf("RATIO %s %.3f\n", ratio.name.c_str(), measured->second / baseline->second);
    }
    return missing == 0 ? 0 : 1;
}

}  // namespace bench
