#include "command/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "base/version.h"
#include "cli/options.h"
#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {
namespace {

constexpr std::array<std::string_view, 4> kLevels = {"L", "M", "Q", "H"};
constexpr std::array<std::string_view, 4> kPapers = {"a4", "a5", "a6", "letter"};
// In the order of PagePosition.
constexpr std::array<std::string_view, 9> kPositions = {"top-left", "top", "top-right", "left", "centre",
                                                        "right", "bottom-left", "bottom", "bottom-right"};

template <std::size_t N>
std::int32_t position(const std::array<std::string_view, N>& names, std::string_view name) {
  const auto at = std::ranges::find(names, name);
  return at == names.end() ? 0 : static_cast<std::int32_t>(at - names.begin());
}

template <std::size_t N>
std::vector<std::string> words(const std::array<std::string_view, N>& names) {
  return {names.begin(), names.end()};
}

// Letters inserted, dropped, changed or two swapped, each counting one: the slips of typing.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * width);
  const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * width + j]; };
  for (std::size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
  for (std::size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
    }
  }
  return at(a.size(), b.size());
}

// Every name an option of the (sub)command answers to, "--long" and "-s".
std::vector<std::string> option_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

// The usage error for what a (sub)command did not take: an unknown option, or a surplus argument.
std::string surplus_error(const CLI::App& app, const std::string& argument) {
  if (argument.size() > 1 && argument.front() == '-') {
    const std::string name = argument.substr(0, argument.find('='));
    std::string line = "unknown option '" + name + "'";
    if (const auto meant = closest(name, option_names(app))) line += "; did you mean '" + *meant + "'?";
    return line;
  }
  return "unexpected argument '" + argument + "'";
}

// "150,240": millimetres across and down.
std::optional<PagePoint> page_point(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto millimetres = [](std::string_view part) -> std::optional<Length> {
    double value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end != part.data() + part.size() || !std::isfinite(value) || value < 0) return std::nullopt;
    return Length{value, LengthUnit::millimetre};
  };
  const auto x = millimetres(text.substr(0, comma));
  const auto y = millimetres(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return PagePoint{*x, *y};
}

// A validator from a parser: the value must parse, else the line names what it should be.
template <typename Parse>
CLI::Validator parses_as(Parse parse, std::string what) {
  return CLI::Validator(
      [parse, what = std::move(what)](std::string& value) -> std::string {
        if (parse(value)) return {};
        return "'" + value + "' is not " + what;
      },
      "");
}

}  // namespace

PagePosition position_named(std::string_view name) { return static_cast<PagePosition>(position(kPositions, name)); }

std::optional<Length> length_named(std::string_view text) {
  constexpr std::array<std::pair<std::string_view, LengthUnit>, 3> kUnits = {
      {{"mm", LengthUnit::millimetre}, {"in", LengthUnit::inch}, {"pt", LengthUnit::point}}};
  for (const auto& [suffix, unit] : kUnits) {
    if (text.size() <= suffix.size() || !text.ends_with(suffix)) continue;
    const std::string_view number = text.substr(0, text.size() - suffix.size());
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc{} || end != number.data() + number.size() || !std::isfinite(value) || value <= 0)
      return std::nullopt;
    return Length{value, unit};
  }
  return std::nullopt;
}

PictureOptions picture_options(const PictureChoices& choices, ImageFormat format, const std::string& logoDirectory) {
  PictureOptions options{.format = format,
                         .size = choices.size,
                         .moduleSize = choices.moduleSize,
                         .margin = choices.margin,
                         .dpi = choices.dpi,
                         .level = static_cast<ErrorCorrection>(position(kLevels, choices.level)),
                         .boostLevel = choices.boostLevel,
                         .physicalSize = choices.physicalSize};
  if (choices.paper) {
    PaperPlacement placement{.paper = static_cast<Paper>(position(kPapers, *choices.paper)), .at = choices.at};
    if (choices.position) placement.position = static_cast<PagePosition>(position(kPositions, *choices.position));
    if (choices.pageMargin) placement.pageMargin = *choices.pageMargin;
    options.paper = placement;
  }
  if (!choices.noLogo) {
    options.logo = LogoOptions{
        .directory = logoDirectory,
        .rotation = static_cast<LogoRotation>(position(kLogoRotationWords, choices.placement)),
        .variation = static_cast<LogoVariation>(position(kLogoVariationWords, choices.colour)),
        .frame = !choices.noFrame,
    };
  }
  return options;
}

CLI::Validator whole_number_from(std::int32_t low, std::int32_t high) {
  return parses_as(
      [low, high](const std::string& value) { return whole_number(value, low, high).has_value(); },
      "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
}

CLI::Validator one_of(std::vector<std::string> values) {
  std::string shown;
  for (const std::string& value : values) shown += (shown.empty() ? "" : "|") + value;
  return CLI::Validator(
      [values = std::move(values)](std::string& value) -> std::string {
        if (std::ranges::find(values, value) != values.end()) return {};
        std::string line = "'" + value + "' is not one of ";
        for (std::size_t i = 0; i < values.size(); ++i) line += (i == 0 ? "" : ", ") + values[i];
        return line;
      },
      shown);
}

void add_picture_options(CLI::App& sub, PictureChoices& choices, bool texts, bool paper) {
  sub.add_option_function<std::string>(
         "--size",
         [&choices](const std::string& value) {
           choices.physicalSize = length_named(value);
           if (!choices.physicalSize) choices.size = whole_number(value, 1, kLargestImageSize).value_or(0);
         },
         "side of the plain picture in pixels (default: one pixel a module), or its width on paper "
         "(plain code or whole logo picture) as 40mm, 1.5in or 113pt")
      ->check(CLI::Validator(
          [](std::string& value) -> std::string {
            if (whole_number(value, 1, kLargestImageSize) || length_named(value)) return {};
            if (value.ends_with("mm") || value.ends_with("in") || value.ends_with("pt")) {
              return "'" + value + "' is not a length above 0";
            }
            return "'" + value + "' is not a whole number from 1 to " + std::to_string(kLargestImageSize);
          },
          ""))
      ->type_name("PIXELS|LENGTH");
  sub.add_option_function<std::string>(
         "--module-size",
         [&choices](const std::string& value) {
           choices.moduleSize = whole_number(value, 1, 100).value_or(0);
         },
         "whole pixels a module of the plain code, so that every module has the same size")
      ->check(whole_number_from(1, 100))
      ->type_name("PIXELS");
  sub.add_option_function<std::string>(
         "--margin",
         [&choices](const std::string& value) { choices.margin = whole_number(value, 4, 100).value_or(4); },
         "quiet zone around the plain code in modules (default: 4, the least scanners need)")
      ->check(whole_number_from(4, 100))
      ->type_name("MODULES");
  sub.add_option_function<std::string>(
         "--dpi",
         [&choices](const std::string& value) { choices.dpi = whole_number(value, 1, 10000).value_or(0); },
         "resolution recorded in the PNG, and the pixels of a --size on paper (default: 72 there)")
      ->check(whole_number_from(1, 10000))
      ->type_name("N");
  sub.add_option("--level", choices.level, "error correction level (default: L)")
      ->type_name("LEVEL")
      ->check(one_of(words(kLevels)));
  sub.add_flag("--boost-level", choices.boostLevel,
               "raise the level as far as the same code size allows: more robust, no larger");
  CLI::Option* sheet = nullptr;
  if (paper) {
    sheet = sub.add_option("--paper", choices.paper, "the picture on a sheet of paper (PDF only)")
                ->type_name("PAPER")
                ->check(one_of(words(kPapers)));
  }
  CLI::Option* at =
      sub.add_option_function<std::string>(
             "--at", [&choices](const std::string& value) { choices.at = page_point(value); },
             "the picture's top-left corner on the page, millimetres from the page's top-left corner")
          ->check(parses_as([](const std::string& value) { return page_point(value).has_value(); },
                            "two millimetre values X,Y such as 150,240"))
          ->type_name("X,Y");
  CLI::Option* where =
      sub.add_option("--position", choices.position,
                     paper ? "where on the paper, inside --page-margin (default: top-left)"
                           : "where on the page, inside --page-margin (default: bottom-right)")
          ->type_name("POSITION")
          ->check(one_of(words(kPositions)))
          ->excludes(at);
  CLI::Option* margin =
      sub.add_option_function<std::string>(
             "--page-margin", [&choices](const std::string& value) { choices.pageMargin = length_named(value); },
             "margin of the page around --position (default: 10mm)")
          ->check(parses_as([](const std::string& value) { return length_named(value).has_value(); },
                            "a length such as 10mm, 0.5in or 36pt"))
          ->type_name("LENGTH");
  if (sheet != nullptr) {
    at->needs(sheet);
    where->needs(sheet);
    margin->needs(sheet);
  }
  sub.add_flag("--no-logo", choices.noLogo, "the plain code, without a logo picture");
  sub.add_option("--logo-dir", choices.logoDir, "where the logo pictures are")->type_name("DIR");
  sub.add_option("--placement", choices.placement, "where the logo sits around the code (default: bottom)")
      ->type_name("PLACE")
      ->check(one_of(words(kLogoRotationWords)));
  sub.add_option("--colour,--color", choices.colour, "colour variant of the logo (default: dark)")
      ->type_name("COLOUR")
      ->check(one_of(words(kLogoVariationWords)));
  sub.add_flag("--no-frame", choices.noFrame, "the logo picture without its frame");
  sub.add_option("--format", choices.format, "picture format (default: by the output's extension, else png)")
      ->type_name("FORMAT")
      ->check(one_of({"png", "svg", "pdf"}));
  if (texts) {
    sub.add_option("--from", choices.from, "what the input holds (default: told by its first character)")
        ->type_name("FORM")
        ->check(one_of({"xml", "json", "text"}));
  }
  sub.add_flag("-q,--quiet", choices.quiet, "no messages but errors");
}

std::optional<std::string> closest(std::string_view typed, std::span<const std::string> candidates) {
  std::optional<std::string> best;
  std::size_t bestDistance = 0;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = edit_distance(typed, candidate);
    // Close: a few letters wrong, for a name long enough that so few still leave it recognisable.
    const std::size_t allowed = std::min<std::size_t>(3, candidate.size() / 3);
    // Long typed names are compared only with names of about their length: no quadratic work on
    // an argument of megabytes.
    if (typed.size() > candidate.size() + allowed) continue;
    if (distance == 0 || distance > allowed) continue;
    if (!best || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string command_version() { return "tolvex " + std::string(kVersion); }

CommandLine parse_command_line(std::span<const std::string> arguments) {
  CommandLine result;
  CLI::App app("tolvex: payment orders and invoices to QR codes and back", "tolvex");
  app.set_version_flag("--version", command_version());
  app.allow_extras();
  app.footer(
      "\nExamples:\n"
      "  tolvex make invoice.xml -o invoice.png\n"
      "  tolvex encode invoice.xml | tolvex decode --json\n"
      "  tolvex read scan.pdf --csv\n"
      "  tolvex check --strict invoice.xml\n"
      "  tolvex serve --listen=127.0.0.1:8080\n"
      "\nExit status: 0 success, 1 a document failed, 2 a usage error.\n"
      "See 'tolvex COMMAND --help' and man tolvex.\n");

  EncodeJob encode;
  MakeJob make;
  DecodeJob decode;
  ReadJob read;
  BatchJob batch;
  CheckJob check;
  StampJob stamp;
  ServeJob serve;
  const std::array<CLI::App*, 8> subcommands = {add_encode(app, encode), add_make(app, make),   add_decode(app, decode),
                                                add_read(app, read),     add_batch(app, batch), add_check(app, check),
                                                add_stamp(app, stamp),   add_serve(app, serve)};
  for (CLI::App* sub : subcommands) sub->allow_extras();

  std::vector<std::string> names;
  for (const CLI::App* sub : subcommands) names.push_back(sub->get_name());
  // The first argument names the command; a mistyped one is said as such.
  if (!arguments.empty() && !arguments.front().starts_with('-') &&
      std::ranges::find(names, arguments.front()) == names.end()) {
    result.usageError = "tolvex: unknown command '" + arguments.front() + "'";
    if (const auto meant = closest(arguments.front(), names)) result.usageError += "; did you mean '" + *meant + "'?";
    return result;
  }

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // CLI11 takes them back to front
  const std::string shown = arguments.empty() || arguments.front().starts_with('-') ? "tolvex" : "tolvex " + arguments.front();
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    result.output = app.help();
    return result;
  } catch (const CLI::CallForAllHelp&) {
    result.output = app.help("", CLI::AppFormatMode::All);
    return result;
  } catch (const CLI::CallForVersion&) {
    result.output = command_version() + "\n";
    return result;
  } catch (const CLI::ParseError& error) {
    result.usageError = shown + ": " + error.what();
    return result;
  }

  for (const std::string& argument : app.remaining()) {
    // The main command's extras, and what no subcommand took.
    result.usageError = "tolvex: " + surplus_error(app, argument);
    return result;
  }
  for (std::size_t i = 0; i < subcommands.size(); ++i) {
    if (!subcommands[i]->parsed()) continue;
    const std::vector<std::string> surplus = subcommands[i]->remaining();
    if (!surplus.empty()) {
      result.usageError = shown + ": " + surplus_error(*subcommands[i], surplus.front());
      return result;
    }
    switch (i) {
      case 0: result.job = std::move(encode); break;
      case 1: result.job = std::move(make); break;
      case 2: result.job = std::move(decode); break;
      case 3: result.job = std::move(read); break;
      case 4: result.job = std::move(batch); break;
      case 5: result.job = std::move(check); break;
      case 6: result.job = std::move(stamp); break;
      default: result.job = std::move(serve); break;
    }
    return result;
  }
  result.usageError = "tolvex: no command given; one of encode, make, decode, read, batch, check, stamp, serve (see 'tolvex --help')";
  return result;
}

}  // namespace tolvex::command
