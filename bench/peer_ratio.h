// A benchmark main that runs every benchmark and then compares, for each group of benchmarks
// named "X/kumo", "X/<peer>"..., our time with the fastest peer's. A side named "memcpy" is the
// bandwidth limit, shown beside the peers but never counted as one, with our time over its time.
// Where the benchmarks count items, their rates are printed in the unit the program names (by
// default pixels, in millions per second). Run with repetitions, the medians are compared.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kumo::bench {

// How the figures are read and printed: item rates as items per second divided by
// `rateScale`, followed by `rateUnit`; times compared as wall-clock time, or as the benchmark
// thread's CPU time where waits that give the processor away are no part of the work.
struct Figures {
  const char* rateUnit = "Mpx/s";
  double rateScale = 1e6;
  bool cpuTime = false;
};

class PeerRatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit PeerRatioReporter(Figures figures) : figures_(figures) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions, the median stands for the benchmark.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const std::string name = run.run_name.str();
      const size_t slash = name.rfind('/');
      if (slash != std::string::npos) {
        Side& side = groups_[name.substr(0, slash)][name.substr(slash + 1)];
        side.time = figures_.cpuTime ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
        const auto rate = run.counters.find("items_per_second");
        side.rate = rate == run.counters.end() ? 0 : static_cast<double>(rate->second);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // One line per group: ours, the fastest peer, the speed ratio (the peer's time over ours: 1.0
  // or more means we are at least as fast), the bound and how many times its time ours takes.
  void PrintRatios() const {
    std::printf("\n%-36s %16s %26s %8s %16s %8s\n", "operation", "kumo", "fastest peer", "ratio",
                "memcpy", "x bound");
    for (const auto& [group, sides] : groups_) {
      const auto ours = sides.find("kumo");
      if (ours == sides.end() || ours->second.time <= 0) continue;
      const std::string* fastestName = nullptr;
      const Side* fastest = nullptr;
      for (const auto& [name, side] : sides) {
        if (name == "kumo" || name == "memcpy" || side.time <= 0) continue;
        if (fastest == nullptr || side.time < fastest->time) {
          fastest = &side;
          fastestName = &name;
        }
      }
      const auto bound = sides.find("memcpy");
      const std::string peer = fastest == nullptr ? "none" : *fastestName + " " + Figure(*fastest);
      const std::string ratio =
          fastest == nullptr ? "-" : Format("%.2f", fastest->time / ours->second.time);
      const bool bounded = bound != sides.end() && bound->second.time > 0;
      const std::string limit = bounded ? Figure(bound->second) : "";
      const std::string overBound =
          bounded ? Format("%.2f", ours->second.time / bound->second.time) : "";
      std::printf("%-36s %16s %26s %8s %16s %8s\n", group.c_str(), Figure(ours->second).c_str(),
                  peer.c_str(), ratio.c_str(), limit.c_str(), overBound.c_str());
    }
  }

 private:
  struct Side {
    double time = 0;  // per iteration, in the benchmark's time unit
    double rate = 0;  // items per second, 0 when not counted
  };

  static std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
  }
  // A side's rate when counted, else its time.
  std::string Figure(const Side& side) const {
    if (side.rate <= 0) return Format("%.1f ns", side.time);
    return Format("%.0f ", side.rate / figures_.rateScale) + figures_.rateUnit;
  }

  Figures figures_;
  std::map<std::string, std::map<std::string, Side>> groups_;
};

inline int RunWithPeerRatios(int argc, char** argv, Figures figures = {}) {
  benchmark::Initialize(&argc, argv);
  PeerRatioReporter reporter(figures);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace kumo::bench
