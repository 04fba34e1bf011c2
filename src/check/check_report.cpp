#include <nlohmann/json.hpp>

#include "tolvex/check.hpp"

namespace tolvex {
namespace {

Severity shown(const Finding& finding, bool strict) { return strict ? Severity::error : finding.severity; }

}  // namespace

std::string check_report_json(std::span<const Finding> findings, std::optional<std::string_view> file,
                              bool strict) {
  nlohmann::ordered_json report = nlohmann::ordered_json::object();
  if (file) report["file"] = std::string(*file);
  report["valid"] = check_passes(findings, strict);
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Finding& finding : findings) {
    nlohmann::ordered_json item;
    item["severity"] = std::string(severity_name(shown(finding, strict)));
    item["rule"] = finding.rule;
    item["path"] = finding.path;
    item["line"] = finding.line ? nlohmann::ordered_json(*finding.line) : nlohmann::ordered_json(nullptr);
    item["column"] = finding.column ? nlohmann::ordered_json(*finding.column) : nlohmann::ordered_json(nullptr);
    item["value"] = finding.value;
    item["message"] = finding.message;
    item["errorLine"] = finding.severity == Severity::error ? nlohmann::ordered_json(finding.errorLine)
                                                            : nlohmann::ordered_json(nullptr);
    list.push_back(std::move(item));
  }
  report["diagnostics"] = std::move(list);
  // Invalid UTF-8 in a value is replaced rather than refused.
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string check_report_text(std::span<const Finding> findings, std::string_view file, bool strict) {
  std::string text;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (const Finding& finding : findings) {
    const Severity severity = shown(finding, strict);
    (severity == Severity::error ? errors : warnings) += 1;
    text += file;
    if (finding.line) {
      text += ":" + std::to_string(*finding.line);
      if (finding.column) text += ":" + std::to_string(*finding.column);
    }
    text += ": ";
    text += severity_name(severity);
    text += ": ";
    text += finding.message;
    if (!finding.value.empty()) text += " (" + finding.value + ")";
    text += " [" + finding.rule + "]";
    if (!finding.path.empty() && !finding.line) text += " at " + finding.path;
    text += "\n";
  }
  text += std::string(file) + ": " + std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
          std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings") + "\n";
  return text;
}

}  // namespace tolvex
