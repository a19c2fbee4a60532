// The library lock's uncontended enter and leave, against a recursive mutex.
#include <mutex>

#include "bench/peer_ratio.h"
#include "kumo/core/api_lock.h"

namespace {

void EnterLeave_kumo(benchmark::State& state) {
  for (auto _ : state) {
    kumo::ApiEnter();
    kumo::ApiLeave();
  }
}
BENCHMARK(EnterLeave_kumo)->Name("EnterLeave/kumo");

void EnterLeave_peer(benchmark::State& state) {
  std::recursive_mutex mutex;
  for (auto _ : state) {
    mutex.lock();
    mutex.unlock();
  }
}
BENCHMARK(EnterLeave_peer)->Name("EnterLeave/peer");

void NestedEnterLeave_kumo(benchmark::State& state) {
  kumo::ApiEnter();
  for (auto _ : state) {
    kumo::ApiEnter();
    kumo::ApiLeave();
  }
  kumo::ApiLeave();
}
BENCHMARK(NestedEnterLeave_kumo)->Name("NestedEnterLeave/kumo");

void NestedEnterLeave_peer(benchmark::State& state) {
  std::recursive_mutex mutex;
  mutex.lock();
  for (auto _ : state) {
    mutex.lock();
    mutex.unlock();
  }
  mutex.unlock();
}
BENCHMARK(NestedEnterLeave_peer)->Name("NestedEnterLeave/peer");

}  // namespace

int main(int argc, char** argv) { return kumo::bench::RunWithPeerRatios(argc, argv); }
