// How long a frame and a restart take, against the budgets a simulator can afford, and
// how long footplate-cfg takes to check a file beside how long the plugin takes to read it.
// The plugin's code is linked in and called as a host calls it.
//
//   scripts/bench   (or build/bench/bench/footplate_bench [benchmark options])
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cfgcheck.h"
#include "config/confload.h"
#include "configs.h"
#include "inproc.h"

namespace {

constexpr int32_t kFrameMs = 20;  // 50 frames a second

void BM_ElapseDefault(benchmark::State& state) {
    inproc::UseNoConfig();
    inproc::Cab cab;
    cab.Boot();
    SetReverser(1);
    SetPower(3);
    uint32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cab.Frame(kFrameMs, inproc::CruiseSpeed(i++)));
    }
    Dispose();
}

// The driver's occasional actions (one call in a thousand frames) and a power gap every
// 4000 frames are part of the run, as on a real journey.
void BM_ElapseEverything(benchmark::State& state) {
    if (!inproc::UseConfig(inproc::Everything())) {
        state.SkipWithError("cannot write the configuration");
        return;
    }
    inproc::Cab cab;
    cab.Boot();
    inproc::SetOff(cab);
    uint32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cab.Frame(kFrameMs, inproc::CruiseSpeed(i)));
        if (++i % 1000u == 0) {
            inproc::Routine(cab, i / 1000u);
            if (i % 4000u == 0) inproc::AnnounceGap(cab, 30);
        }
    }
    Dispose();
}

void BM_InitializeFull(benchmark::State& state) {
    if (!inproc::UseConfig(std::string(inproc::kFull))) {
        state.SkipWithError("cannot write the configuration");
        return;
    }
    inproc::Cab cab;
    cab.Boot();
    for (auto _ : state) Initialize(2);
    Dispose();
}

// Files of 2 MB that once took the checker seconds: a key with a 2 MB value, a 2 MB line
// without '=', an unknown key with a 2 MB value, and 2 MB of lines full of ", " traps.
std::string LongFile(int64_t shape) {
    constexpr size_t kSize = 2u << 20;
    std::string text;
    switch (shape) {
        case 0:
            text = "awsdelay=" + std::string(kSize, '1');
            break;
        case 1:
            text = std::string(kSize, 'x');
            break;
        case 2:
            text = "trainname=" + std::string(kSize, 'a');
            break;
        default:
            while (text.size() < kSize) {
                text += "tpwsindicator=1";
                for (int i = 0; i < 300; ++i) text += ", 2";
                text += '\n';
            }
    }
    return text + '\n';
}

void BM_ReadLongFile(benchmark::State& state) {
    if (!inproc::UseConfig(LongFile(state.range(0)))) {
        state.SkipWithError("cannot write the configuration");
        return;
    }
    for (auto _ : state) {
        ScrapConfig();
        SetDefaults();
        benchmark::DoNotOptimize(LoadConfig());
    }
    ScrapConfig();
}

void BM_CheckLongFile(benchmark::State& state) {
    if (!inproc::UseConfig(LongFile(state.range(0)))) {
        state.SkipWithError("cannot write the configuration");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(CheckConfigFile(inproc::ConfigPath(), "footplate.cfg"));
}

BENCHMARK(BM_ElapseDefault)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ElapseEverything)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_InitializeFull)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadLongFile)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckLongFile)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Budgets for the median of the repetitions, in each benchmark's own unit.
struct Budget {
    const char* name;
    double limit;
    const char* unit;
};
constexpr Budget kBudgets[] = {
    {"BM_ElapseDefault", 30.0, "ns"},
    {"BM_ElapseEverything", 150.0, "ns"},
    {"BM_InitializeFull", 50.0, "us"},
};

// Budgets relative to another benchmark with the same argument: the checker may take at
// most five times as long as the plugin's own reading of the same file.
struct Ratio {
    const char* name;
    const char* base;
    double limit;
};
constexpr Ratio kRatios[] = {
    {"BM_CheckLongFile", "BM_ReadLongFile", 5.0},
};

// Prints as usual and keeps the medians for the budget table.
class BudgetReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians_.push_back({run.run_name.function_name, run.run_name.args, run.GetAdjustedCPUTime(),
                                    run.GetAdjustedRealTime()});
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // True when every benchmark that ran is within its budget.
    // The verdict goes by CPU time: on a shared machine the wall clock also counts the
    // time other programs held the core.
    bool PrintBudgets() const {
        bool within = true;
        std::printf("\n%-22s %13s %13s %13s  %s\n", "benchmark", "median CPU", "median wall", "budget", "verdict");
        for (const Median& m : medians_) {
            for (const Budget& b : kBudgets) {
                if (m.name != b.name) continue;
                const bool ok = m.cpu <= b.limit;
                within = within && ok;
                std::printf("%-22s %10.1f %-2s %10.1f %-2s %10.1f %-2s  %s", b.name, m.cpu, b.unit, m.wall, b.unit,
                            b.limit, b.unit, ok ? "within budget" : "OVER budget");
                if (!ok) std::printf(" by %.0f%%", (m.cpu / b.limit - 1.0) * 100.0);
                std::printf("\n");
            }
        }
        for (const Median& m : medians_) {
            for (const Ratio& r : kRatios) {
                if (m.name != r.name) continue;
                for (const Median& base : medians_) {
                    if (base.name != r.base || base.args != m.args) continue;
                    const double ratio = m.cpu / base.cpu;
                    const bool ok = ratio <= r.limit;
                    within = within && ok;
                    std::printf("%-22s %10.1f x  of %s/%s, budget %.0f x  %s\n", (m.name + "/" + m.args).c_str(),
                                ratio, r.base, base.args.c_str(), r.limit, ok ? "within budget" : "OVER budget");
                }
            }
        }
        if (medians_.empty()) std::printf("(no medians: run with --benchmark_repetitions=N, N > 1)\n");
        return within;
    }

private:
    struct Median {
        std::string name;
        std::string args;
        double cpu;
        double wall;
    };
    std::vector<Median> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintBudgets() ? 0 : 1;
}
