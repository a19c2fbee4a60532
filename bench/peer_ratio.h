// A benchmark main that runs every benchmark and then compares, for each group of benchmarks
// named "X/kumo", "X/<peer>"..., our time with the fastest peer's. A side named "memcpy" is the
// bandwidth limit, shown beside the peers but never counted as one. Where the benchmarks count
// items (pixels), their rates are printed in millions per second. Run with repetitions, the
// medians are compared.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kumo::bench {

class PeerRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions, the median stands for the benchmark.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const std::string name = run.run_name.str();
      const size_t slash = name.rfind('/');
      if (slash != std::string::npos) {
        Side& side = groups_[name.substr(0, slash)][name.substr(slash + 1)];
        side.time = run.GetAdjustedRealTime();
        const auto rate = run.counters.find("items_per_second");
        side.rate = rate == run.counters.end() ? 0 : static_cast<double>(rate->second) / 1e6;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // One line per group: ours, the fastest peer, and the speed ratio (the peer's time over
  // ours: 1.0 or more means we are at least as fast).
  void PrintRatios() const {
    std::printf("\n%-36s %12s %22s %8s %12s\n", "operation", "kumo", "fastest peer", "ratio",
                "memcpy");
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
      const std::string limit = bound == sides.end() ? "" : Figure(bound->second);
      std::printf("%-36s %12s %22s %8s %12s\n", group.c_str(), Figure(ours->second).c_str(),
                  peer.c_str(), ratio.c_str(), limit.c_str());
    }
  }

 private:
  struct Side {
    double time = 0;  // per iteration, in the benchmark's time unit
    double rate = 0;  // millions of items per second, 0 when not counted
  };

  static std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
  }
  // A side's rate when counted, else its time.
  static std::string Figure(const Side& side) {
    return side.rate > 0 ? Format("%.0f Mpx/s", side.rate) : Format("%.1f ns", side.time);
  }

  std::map<std::string, std::map<std::string, Side>> groups_;
};

inline int RunWithPeerRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  PeerRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace kumo::bench
