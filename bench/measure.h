#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// Time per item in the table; bench_main.cpp reads it for the ratios.
inline void CountItems(benchmark::State& state, std::int64_t items) {
  state.counters["per_item"] =
      benchmark::Counter(static_cast<double>(items), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

inline double Smallest(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }

// Processor time (the default), so that other work on the machine costs us
// as little as possible; over repetitions the smallest time is the one
// least disturbed.
inline void Measured(benchmark::internal::Benchmark* b) { b->ComputeStatistics("min", Smallest); }

// For a benchmark that must leave part of each iteration out and does so
// with a wall clock: reading the processor-time clock costs microseconds
// here, stopping the timer twice that.
inline void TimedByHand(benchmark::internal::Benchmark* b) { b->UseManualTime()->ComputeStatistics("min", Smallest); }
