// Runs a measured benchmark against its baseline and ends the output with one line
//   RATIO <name> <CPU time of the measured / CPU time of the baseline>
// preceded by a line REFERENCE <name> <ratio> for each reference benchmark given, and before
// those by a line TIME <name> <microseconds> for the measured and the baseline: what one
// iteration of each took, to compare across builds (the Lua backends, say).
// The two run in alternating rounds and each counts with its fastest round, so a machine busy
// with other work skews the ratio as little as it can.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

using Function = void (*)(benchmark::State&);

struct Named {
    const char* name;
    Function function;
};

// Plain text without colour codes, so a line piped to another program (a RATIO line read by a
// script) starts with its own first word.
class FastestRunReporter : public benchmark::ConsoleReporter {
public:
    FastestRunReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const double seconds =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                auto [entry, added] = fastest.try_emplace(run.run_name.function_name, seconds);
                entry->second = std::min(entry->second, seconds);
            }
        }
    }
    std::map<std::string, double> fastest;  // seconds per iteration
};

// Runs `rounds` alternating rounds of the benchmarks, then `after` (checks that print their
// own lines and return an exit status), then prints the ratios.
template <typename After>
int compare(int argc, char** argv, const char* ratioName, Named measured, Named baseline,
            After after, std::vector<Named> references = {}, int rounds = 5) {
    for (int round = 0; round < rounds; ++round) {
        benchmark::RegisterBenchmark(measured.name, measured.function);
        benchmark::RegisterBenchmark(baseline.name, baseline.function);
        for (const Named& reference : references) {
            benchmark::RegisterBenchmark(reference.name, reference.function);
        }
    }
    benchmark::Initialize(&argc, argv);
    FastestRunReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int status = after();
    if (reporter.fastest.count(measured.name) == 0 || reporter.fastest.count(baseline.name) == 0) {
        std::fprintf(stderr, "%s or %s did not run\n", measured.name, baseline.name);
        return 1;
    }
    for (const Named& named : {measured, baseline}) {
        std::printf("TIME %s %.3f\n", named.name, reporter.fastest[named.name] * 1e6);
    }
    for (const Named& reference : references) {
        if (reporter.fastest.count(reference.name) != 0) {
            std::printf("REFERENCE %s %.3f\n", reference.name,
                        reporter.fastest[reference.name] / reporter.fastest[baseline.name]);
        }
    }
    std::printf("RATIO %s %.3f\n", ratioName,
                reporter.fastest[measured.name] / reporter.fastest[baseline.name]);
    return status;
}

inline int compare(int argc, char** argv, const char* ratioName, Named measured, Named baseline) {
    return compare(argc, argv, ratioName, measured, baseline, [] { return 0; });
}

}  // namespace bench
