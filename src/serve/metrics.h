// The service's counters in the Prometheus text format: requests and failures by endpoint and
// code, a latency histogram by endpoint, and the requests in flight. Endpoints are the routes'
// paths, anything else "other", so that no request can add a series.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>

namespace tolvex::serve {

class Metrics {
 public:
  // Seconds, the histogram's upper bounds.
  static constexpr std::array<double, 12> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,   0.25,   0.5,   1.0,  2.5,   10.0};

  void started() { inFlight_.fetch_add(1, std::memory_order_relaxed); }
  void finished() { inFlight_.fetch_sub(1, std::memory_order_relaxed); }

  // One answered request; endpoint is a route's path or "other", errorName empty on success.
  void record(std::string_view endpoint, int status, std::string_view errorName, std::chrono::duration<double> took);

  [[nodiscard]] std::string text() const;

 private:
  struct Latency {
    std::array<std::uint64_t, kBuckets.size()> buckets{};
    std::uint64_t count = 0;
    double sum = 0.0;
  };
  mutable std::mutex mutex_;
  std::map<std::tuple<std::string, int>, std::uint64_t> requests_;
  std::map<std::tuple<std::string, std::string>, std::uint64_t> failures_;
  std::map<std::string, Latency> latency_;
  std::atomic<std::int64_t> inFlight_{0};
};

}  // namespace tolvex::serve
