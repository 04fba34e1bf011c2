// How a family's rules run. Encoding stops at the first failure, so that it is the one the
// tools print; the check goes on to every failure the rules can still judge, each kept with the
// path of its field. The rules are written once for both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "tolvex/result.hpp"

namespace tolvex {

struct RuleFailure {
  std::string path;  // "Payments/1/CurrencyCode"; the record's path for a failure naming no field
  Error error;       // as the tools would report it, were it the first
};

class RuleRun {
 public:
  // Stops at the first failure.
  RuleRun() = default;
  // Goes on, adding every failure to every.
  explicit RuleRun(std::vector<RuleFailure>& every) : every_(&every) {}

  // Records a failed check that later checks depend on: true whenever it failed.
  bool fails(ErrorCode code);
  // Records a failed check: true when the rules stop here (after the first failure, stopping).
  bool stops(ErrorCode code) { return fails(code) && stopped(); }
  // Records the last check of a group.
  void record(ErrorCode code) { fails(code); }
  // Whether a failure has ended the run.
  [[nodiscard]] bool stopped() const { return first_ != ERROR_OK && every_ == nullptr; }
  // The first failure, 0 when none.
  [[nodiscard]] ErrorCode result() const { return first_; }

  // The record the checks inside name their fields in, until the scope ends.
  class Scope {
   public:
    Scope(RuleRun& run, std::string_view name);
    Scope(RuleRun& run, std::string_view list, std::size_t index);
    ~Scope() { run_.prefix_.resize(length_); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    RuleRun& run_;
    std::size_t length_;
  };

 private:
  std::vector<RuleFailure>* every_ = nullptr;
  std::string prefix_;
  ErrorCode first_ = ERROR_OK;
};

}  // namespace tolvex
