// The machines these run on are shared: a run is repeated and the fastest
// repetition taken as the code's speed, the others having been slowed by
// neighbours.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace orv::bench {

inline void Repeat(benchmark::internal::Benchmark* b, int iterations, int repetitions) {
  b->Iterations(iterations)
      ->Repetitions(repetitions)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min",
                          [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

}  // namespace orv::bench
