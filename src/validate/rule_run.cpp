#include "validate/rule_run.h"

namespace tolvex {

bool RuleRun::fails(ErrorCode code) {
  if (code == ERROR_OK) return false;
  if (first_ == ERROR_OK) first_ = code;
  if (every_ != nullptr) {
    Error error = error_of(code);
    // A field's failure carries its name as message and the failure as detail.
    std::string path = prefix_;
    if (!error.detail.empty() && error.message.find(' ') == std::string::npos)
      path += (path.empty() ? "" : "/") + error.message;
    every_->push_back({std::move(path), std::move(error)});
  }
  return true;
}

RuleRun::Scope::Scope(RuleRun& run, std::string_view name) : run_(run), length_(run.prefix_.size()) {
  if (!run_.prefix_.empty()) run_.prefix_ += '/';
  run_.prefix_ += name;
}

RuleRun::Scope::Scope(RuleRun& run, std::string_view list, std::size_t index) : Scope(run, list) {
  run_.prefix_ += '/';
  run_.prefix_ += std::to_string(index);
}

}  // namespace tolvex
