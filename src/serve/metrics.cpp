#include "serve/metrics.h"

#include <cstdio>

namespace tolvex::serve {
namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

void Metrics::record(std::string_view endpoint, int status, std::string_view errorName,
                     std::chrono::duration<double> took) {
  const std::lock_guard lock(mutex_);
  ++requests_[{std::string(endpoint), status}];
  if (!errorName.empty()) ++failures_[{std::string(endpoint), std::string(errorName)}];
  Latency& latency = latency_[std::string(endpoint)];
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    if (took.count() <= kBuckets[i]) ++latency.buckets[i];
  }
  ++latency.count;
  latency.sum += took.count();
}

std::string Metrics::text() const {
  const std::lock_guard lock(mutex_);
  std::string text;
  text += "# HELP tolvex_requests_total Requests answered, by endpoint and HTTP status.\n";
  text += "# TYPE tolvex_requests_total counter\n";
  for (const auto& [key, count] : requests_) {
    text += "tolvex_requests_total{endpoint=\"" + std::get<0>(key) + "\",code=\"" + std::to_string(std::get<1>(key)) +
            "\"} " + std::to_string(count) + "\n";
  }
  text += "# HELP tolvex_failures_total Failed requests, by endpoint and error code.\n";
  text += "# TYPE tolvex_failures_total counter\n";
  for (const auto& [key, count] : failures_) {
    text += "tolvex_failures_total{endpoint=\"" + std::get<0>(key) + "\",error=\"" + std::get<1>(key) + "\"} " +
            std::to_string(count) + "\n";
  }
  text += "# HELP tolvex_request_duration_seconds Time from the request's headers to its answer.\n";
  text += "# TYPE tolvex_request_duration_seconds histogram\n";
  for (const auto& [endpoint, latency] : latency_) {
    const std::string label = "tolvex_request_duration_seconds_bucket{endpoint=\"" + endpoint + "\",le=\"";
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
      text += label + number(kBuckets[i]) + "\"} " + std::to_string(latency.buckets[i]) + "\n";
    }
    text += label + "+Inf\"} " + std::to_string(latency.count) + "\n";
    text += "tolvex_request_duration_seconds_sum{endpoint=\"" + endpoint + "\"} " + number(latency.sum) + "\n";
    text += "tolvex_request_duration_seconds_count{endpoint=\"" + endpoint + "\"} " + std::to_string(latency.count) +
            "\n";
  }
  text += "# HELP tolvex_requests_in_flight Requests being answered now.\n";
  text += "# TYPE tolvex_requests_in_flight gauge\n";
  text += "tolvex_requests_in_flight " + std::to_string(inFlight_.load(std::memory_order_relaxed)) + "\n";
  return text;
}

}  // namespace tolvex::serve
