// A benchmark main that runs every benchmark and then prints, for each pair named "X/kumo" and
// "X/peer", how many times the peer's time ours takes.
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
      const std::string name = run.benchmark_name();
      const size_t slash = name.rfind('/');
      if (slash != std::string::npos && run.run_type == Run::RT_Iteration) {
        times_[name.substr(0, slash)][name.substr(slash + 1)] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    for (const auto& [pair, sides] : times_) {
      const auto ours = sides.find("kumo");
      const auto peer = sides.find("peer");
      if (ours == sides.end() || peer == sides.end() || peer->second <= 0) continue;
      std::printf("%s: kumo / peer = %.2f\n", pair.c_str(), ours->second / peer->second);
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
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
