// One engine tick over a full console copy, against the floor of any scan: one memchr pass
// over the same text. Prints both and their ratio.
#include "tests/engine/fakes.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

namespace {

std::string ConsoleCopy() {
    // 500 lines of chatter of 65 characters, about 32 KiB; the last matches no test.
    std::string copy;
    for (int i = 0; i < 500; ++i) {
        std::string line =
            "Kyle" + std::to_string(i % 7) + ": gg that was a close one on ffa_bespin " + std::to_string(i);
        line.resize(63, '.');
        copy += line + "\r\n";
    }
    return copy;
}

void Tick(benchmark::State& state) {
    zarvik::testing::Rig rig;
    rig.console.output = ConsoleCopy();
    int lines = 0;
    for (char c : rig.console.output) lines += c == '\n';
    for (auto _ : state) rig.engine.Tick();
    state.counters["lines"] = lines;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(rig.console.output.size()));
}

void Memchr(benchmark::State& state) {
    const std::string copy = ConsoleCopy();
    for (auto _ : state) {
        const char* p = copy.data();
        const char* end = p + copy.size();
        size_t found = 0;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr) {
            ++found;
            ++p;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(copy.size()));
}

BENCHMARK(Tick);
BENCHMARK(Memchr);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (times_.count("Tick") && times_.count("Memchr") && times_["Memchr"] > 0)
            std::printf("tick / memchr: %.1f\n", times_["Tick"] / times_["Memchr"]);
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
