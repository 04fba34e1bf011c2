// Measures the QR encoder against libqrencode, encode_xml against the work it cannot avoid
// (parsing and one compression), our PNG writer against cairo's on the same surfaces, the whole
// path from XML to a PNG with logo, and reading codes back from a PNG (against zbarimg) and from
// an A4 PDF page. After the benchmark's own table it prints our figures and the peers' side by
// side.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <qrencode.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/family_of.h"
#include "codec/base32hex.h"
#include "codec/compression.h"
#include "image/logo_cache.h"
#include "image/logo_compose.h"
#include "image/picture_output.h"
#include "image/png_encode.h"
#include "image/render.h"
#include "qr/qr_encode.h"
#include "scan/pictures.h"
#include "scan/scan_limits.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/encode.hpp"
#include "tolvex/picture.hpp"
#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

constexpr int kTextSizes[] = {30, 120, 400, 1200, 3000};
constexpr double kQrTarget = 3.0;
constexpr double kXmlTarget = 1.3;
constexpr double kLibraryTarget = 10.0;
// The library path with the logo cache on before our PNG writer, in documents a second: the
// README's figure of 2026-12-07 on this project's 2-core machine.
constexpr double kLibraryBefore = 47.0;
// Logo pictures in SVG and PDF for print, documents a second.
constexpr double kLogoVectorTarget = 2000.0;
constexpr std::int32_t kLogoCacheBudget = 16 << 20;
// Documents a second on one thread: XML to a logo PNG in memory, text to a plain 400 px PNG.
constexpr double kLogoPngTarget = 4000;
constexpr double kPlainPngTarget = 6000;
constexpr const char* kLogoDirectory = TOLVEX_SOURCE_DIR "/logo/";

// The same text for every run and every machine: mt19937's sequence is fixed by the standard.
std::string base32hex_text(int length) {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  std::mt19937 generator(static_cast<std::uint32_t>(length));
  std::string text(static_cast<std::size_t>(length), '0');
  for (char& c : text) c = kAlphabet[generator() >> 27];
  return text;
}

struct Example {
  std::string name;
  std::string xml;
  std::vector<std::uint8_t> payload;  // checksum and serialised text, as compressed by encode_xml
};

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The payload is recovered from the encoded text, so the baseline compresses exactly what
// encode_xml compressed.
std::vector<std::uint8_t> payload_of(const std::string& xml) {
  std::string text;
  std::vector<std::uint8_t> container;
  std::vector<std::uint8_t> payload;
  if (encode_xml(xml.data(), xml.size(), &text) != ERROR_OK ||
      base32hex_decode(text.data(), text.size(), &container) != ERROR_OK || container.size() < 2 ||
      decompress_payload(container.data() + 2, container.size() - 2, &payload) != ERROR_OK) {
    return {};
  }
  return payload;
}

std::vector<Example> load_examples() {
  std::vector<Example> examples;
  for (const auto& entry : std::filesystem::directory_iterator(TOLVEX_SOURCE_DIR "/examples")) {
    if (entry.path().extension() != ".xml") continue;
    Example example{entry.path().stem().string(), read_file(entry.path()), {}};
    example.payload = payload_of(example.xml);
    examples.push_back(std::move(example));
  }
  std::sort(examples.begin(), examples.end(),
            [](const Example& a, const Example& b) { return a.name < b.name; });
  return examples;
}

void bench_qr_tolvex(benchmark::State& state, const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const int length = static_cast<int>(text.size());
  QrBitMatrix symbol;
  int width = 0;
  for (auto _ : state) {
    width = qr_encode_symbol(QrErrorCorrection::L, 0, bytes, length, &symbol);
    benchmark::DoNotOptimize(symbol.data());
  }
  state.counters["width"] = width;
}

void bench_qr_libqrencode(benchmark::State& state, const std::string& text) {
  QRcode* probe = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
  if (probe == nullptr) {
    state.SkipWithError("QRcode_encodeString returned NULL");
    return;
  }
  const int width = probe->width;
  QRcode_free(probe);
  for (auto _ : state) {
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
    benchmark::DoNotOptimize(code->data);
    QRcode_free(code);
  }
  state.counters["width"] = width;
}

// The CPU time of the calling thread: a call that another process preempts is not charged
// for the wait.
double thread_cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The baseline: what any encoder of the document must do, parse the XML and compress the payload.
void parse_and_compress(const Example& example, std::vector<std::uint8_t>& compressed) {
  xmlDoc* doc =
      xmlReadMemory(example.xml.data(), static_cast<int>(example.xml.size()), "noname.xml", nullptr, 0);
  benchmark::DoNotOptimize(doc);
  xmlFreeDoc(doc);
  std::size_t capacity = compressed.size();
  benchmark::DoNotOptimize(
      compress_payload(example.payload.data(), example.payload.size(), compressed.data(), &capacity));
  benchmark::DoNotOptimize(compressed.data());
}

// encode_xml and the baseline take turns call by call, so that the changing load of a shared
// machine falls on both alike and their quotient stays steady.
void bench_encode_xml(benchmark::State& state, const Example& example) {
  std::string text;
  if (encode_xml(example.xml.data(), example.xml.size(), &text) != ERROR_OK) {
    state.SkipWithError(error_line().c_str());
    return;
  }
  std::vector<std::uint8_t> compressed(2 + compress_bound(example.payload.size()));
  double ours = 0;
  double baseline = 0;
  for (auto _ : state) {
    const double start = thread_cpu_seconds();
    benchmark::DoNotOptimize(encode_xml(example.xml.data(), example.xml.size(), &text));
    benchmark::DoNotOptimize(text.data());
    const double middle = thread_cpu_seconds();
    parse_and_compress(example, compressed);
    const double end = thread_cpu_seconds();
    ours += middle - start;
    baseline += end - middle;
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["tolvex_us"] = 1e6 * ours / iterations;
  state.counters["baseline_us"] = 1e6 * baseline / iterations;
  state.counters["ratio"] = ours / baseline;
}

cairo_status_t collect(void* closure, const unsigned char* data, unsigned int length) {
  auto& bytes = *static_cast<std::vector<std::uint8_t>*>(closure);
  bytes.insert(bytes.end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// cairo's own writer, which every PNG went through before ours.
std::vector<std::uint8_t> cairo_png(cairo_surface_t* surface) {
  std::vector<std::uint8_t> png;
  if (cairo_surface_write_to_png_stream(surface, collect, &png) != CAIRO_STATUS_SUCCESS) png.clear();
  return png;
}

// The pictures whose PNG writing is compared: the plain 400-pixel picture and the logo picture.
struct Surfaces {
  SurfacePtr plain;
  SurfacePtr logo;
};

Surfaces make_surfaces(const Example& example) {
  Surfaces surfaces;
  std::string text;
  if (encode_xml(example.xml.data(), example.xml.size(), &text) != ERROR_OK ||
      qr_render_surface(text.c_str(), 400, &surfaces.plain) != ERROR_OK ||
      qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), LogoRotation::bottom, LogoVariation::dark, true, kLogoDirectory,
                             &surfaces.logo) != ERROR_OK) {
    return {};
  }
  return surfaces;
}

void bench_png(benchmark::State& state, cairo_surface_t* surface, bool ours) {
  if (surface == nullptr) {
    state.SkipWithError("no surface");
    return;
  }
  std::vector<std::uint8_t> png;
  for (auto _ : state) {
    if (ours) {
      benchmark::DoNotOptimize(png_encode_surface(surface, &png));
    } else {
      png = cairo_png(surface);
    }
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["bytes"] = static_cast<double>(png.size());
}

// Every example document once per iteration, so the rate is in documents of the usual mix.
// With cairoWriter the same path writes the PNG with cairo's writer, as it did before ours.
void bench_library(benchmark::State& state, const std::vector<Example>& examples, bool cache,
                   bool cairoWriter) {
  logo_cache_set_budget(cache ? kLogoCacheBudget : 0);
  std::string text;
  std::vector<std::uint8_t> png;
  for (const Example& example : examples) {
    if (encode_xml(example.xml.data(), example.xml.size(), &text) != ERROR_OK ||
        qr_logo_write_png_memory(text.c_str(), LogoRotation::bottom, LogoVariation::dark, true,
                                 kLogoDirectory, &png) != ERROR_OK) {
      state.SkipWithError(error_line().c_str());
      logo_cache_free();
      return;
    }
  }
  for (auto _ : state) {
    for (const Example& example : examples) {
      benchmark::DoNotOptimize(encode_xml(example.xml.data(), example.xml.size(), &text));
      if (cairoWriter) {
        SurfacePtr surface;
        benchmark::DoNotOptimize(qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), LogoRotation::bottom,
                                                        LogoVariation::dark, true, kLogoDirectory, &surface));
        png = cairo_png(surface.get());
      } else {
        benchmark::DoNotOptimize(qr_logo_write_png_memory(text.c_str(), LogoRotation::bottom,
                                                          LogoVariation::dark, true, kLogoDirectory, &png));
      }
      benchmark::DoNotOptimize(png.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(examples.size()));
  logo_cache_free();
}

// The examples' encoded texts, or nullopt with the benchmark skipped when one does not encode.
std::optional<std::vector<std::string>> encoded_texts(benchmark::State& state, const std::vector<Example>& examples) {
  std::vector<std::string> texts;
  for (const Example& example : examples) {
    std::string text;
    if (encode_xml(example.xml.data(), example.xml.size(), &text) != ERROR_OK) {
      state.SkipWithError(error_line().c_str());
      return std::nullopt;
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

// A picture's PNG in memory a document, as composed now or as drawn on a cairo surface and
// indexed from it (the path before composing), the same documents in the same order: with
// logo from the XML with the logo cache on, or plain at 400 pixels from the encoded text.
void bench_picture(benchmark::State& state, const std::vector<Example>& examples, bool logo, bool composed) {
  logo_cache_set_budget(kLogoCacheBudget);
  const std::optional<std::vector<std::string>> texts = encoded_texts(state, examples);
  if (!texts) {
    logo_cache_free();
    return;
  }
  std::string text;
  std::vector<std::uint8_t> png;
  std::size_t bytes = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    const Example& example = examples[next];
    Picture picture;
    if (logo) {
      benchmark::DoNotOptimize(encode_xml(example.xml.data(), example.xml.size(), &text));
      benchmark::DoNotOptimize(qr_logo_picture(text, test::family_of(text.c_str()), LogoRotation::bottom,
                                               LogoVariation::dark, true, kLogoDirectory, &picture));
    } else {
      benchmark::DoNotOptimize(qr_picture((*texts)[next], 400, &picture));
    }
    if (composed) {
      benchmark::DoNotOptimize(write_picture_memory(picture, ImageFormat::png, &png));
    } else {
      benchmark::DoNotOptimize(png_encode_surface(picture_render_surface(picture).get(), &png));
    }
    benchmark::DoNotOptimize(png.data());
    if (png.empty()) {
      state.SkipWithError("no picture");
      break;
    }
    bytes += png.size();
    next = (next + 1) % examples.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["bytes"] = static_cast<double>(bytes) /
                            static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  logo_cache_free();
}

// The print path of tolvex make for the logo picture in SVG or PDF (vector logo, title and
// description), the logo cache on, from the encoded text: every example once per round.
void bench_logo_vector(benchmark::State& state, const std::vector<Example>& examples, ImageFormat format) {
  logo_cache_set_budget(kLogoCacheBudget);
  const std::optional<std::vector<std::string>> texts = encoded_texts(state, examples);
  if (!texts) {
    logo_cache_free();
    return;
  }
  PictureOptions options{.format = format, .logo = LogoOptions{.directory = kLogoDirectory}, .compactVector = true,
                         .title = "Payment", .description = "Payment\nAmount 100.00"};
  double bytes = 0;
  for (auto _ : state) {
    for (const std::string& text : *texts) {
      const Result<std::vector<std::uint8_t>> file = render(text, options);
      if (!file) {
        state.SkipWithError(file.error().line.c_str());
        logo_cache_free();
        return;
      }
      bytes = static_cast<double>(file->size());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts->size()));
  state.counters["bytes"] = bytes;
  logo_cache_free();
}

// One scan of the file's bytes a call, through a (pooled) worker or in this process; the file
// must give the expected text, or no code at all when text is empty.
void bench_scan(benchmark::State& state, const test::Bytes& bytes, const std::string& text, bool isolated) {
  ScanOptions options;
  options.isolated = isolated;
  const Result<std::vector<ScannedCode>> first = scan(bytes, options);
  const bool expected = first && (text.empty() ? first->empty() : first->size() == 1 && (*first)[0].text == text);
  if (!expected) {
    state.SkipWithError("the file does not read back");
    return;
  }
  for (auto _ : state) {
    const Result<std::vector<ScannedCode>> codes = scan(bytes, options);
    benchmark::DoNotOptimize(codes.has_value());
  }
}

// zbarimg as a process on the same PNG: wall time of the whole run, start-up included, since that
// is what a user of the command-line reader waits for.
void bench_zbarimg(benchmark::State& state, const std::string& pngPath, const std::string& text) {
  if (test::zbar_decode_text(pngPath) != text) {
    state.SkipWithError("zbarimg does not read the PNG");
    return;
  }
  const std::string command = "zbarimg --raw -q " + test::shell_quote(pngPath);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(test::run_command(command).status);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

std::string qr_name(int size, const char* encoder) {
  return "qr_encode/" + std::to_string(size) + "/" + encoder;
}
std::string xml_name(const Example& example) { return "encode_xml/" + example.name; }
std::string library_name(bool cache, bool cairoWriter = false) {
  return std::string("library/logo_cache_") + (cache ? "on" : "off") + (cairoWriter ? "/cairo_writer" : "");
}
std::string picture_name(bool logo, bool composed) {
  return std::string("picture/") + (logo ? "xml_logo_png" : "plain400_png") +
         (composed ? "/composed" : "/drawn");
}

std::string png_name(const char* picture, bool ours) {
  return std::string("png_write/") + picture + (ours ? "/tolvex" : "/cairo");
}

// The figure of each benchmark: the median when runs are repeated, else the single run.
struct Figure {
  double cpu_time = 0;  // in the benchmark's time unit
  double real_time = 0;
  std::map<std::string, double> counters;
  bool failed = false;
  std::string error;
};

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  // A reporter of our own does not follow --benchmark_color, so colour goes to terminals only.
  SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string& name = run.run_name.function_name;
      if (run.error_occurred) {
        figures_[name].failed = true;
        figures_[name].error = run.error_message;
        continue;
      }
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single) continue;
      Figure& figure = figures_[name];
      figure.cpu_time = run.GetAdjustedCPUTime();
      figure.real_time = run.GetAdjustedRealTime();
      for (const auto& [counter, value] : run.counters) figure.counters[counter] = value.value;
      repetitions_ = std::max<std::int64_t>(repetitions_, run.repetitions);
    }
  }

  void print_summary(const std::vector<Example>& examples) const {
    std::printf(
        "\nSide by side (CPU time, %s)\n",
        repetitions_ > 1 ? ("median of " + std::to_string(repetitions_) + " runs").c_str() : "one run");
    std::printf("\nqr_encode_symbol against libqrencode, level L, automatic version, base32hex text\n");
    std::printf("%8s %14s %18s %16s %8s\n", "chars", "tolvex us", "libqrencode us", "speed-up", "target");
    for (const int size : kTextSizes) {
      const Figure* ours = find(qr_name(size, "tolvex"));
      const Figure* peer = find(qr_name(size, "libqrencode"));
      if (ours == nullptr || peer == nullptr) continue;
      if (peer->failed) {
        std::printf("%8d %14.2f %18s %16s %8s\n", size, ours->cpu_time, "NULL", "-", "-");
        continue;
      }
      const double ratio = peer->cpu_time / ours->cpu_time;
      std::printf("%8d %14.2f %18.2f %15.2fx %8s\n", size, ours->cpu_time, peer->cpu_time, ratio,
                  ratio >= kQrTarget ? "met" : "MISSED");
    }

    std::printf("\nencode_xml against parsing and one compression of the same payload, taking turns\n");
    std::printf("%-22s %7s %12s %12s %8s %8s\n", "document", "payload", "tolvex us", "baseline us", "ratio",
                "target");
    for (const Example& example : examples) {
      const Figure* figure = find(xml_name(example));
      if (figure == nullptr) continue;
      if (figure->failed) {
        std::printf("%-22s %s\n", example.name.c_str(), figure->error.c_str());
        continue;
      }
      const double ratio = figure->counters.at("ratio");
      std::printf("%-22s %7zu %12.2f %12.2f %8.2f %8s\n", example.name.c_str(), example.payload.size(),
                  figure->counters.at("tolvex_us"), figure->counters.at("baseline_us"), ratio,
                  ratio <= kXmlTarget ? "met" : "MISSED");
    }

    // zbarimg runs as a process: its figure is the wall time of the run, not our CPU time.
    std::printf("\nReading the code back (scan_memory), invoice.xml, milliseconds\n");
    for (const char* name :
         {"scan/png_logo", "scan/zbarimg_png_logo", "scan/pdf_a4_page", "scan/pdf_a4_page_drawn_code"}) {
      const Figure* figure = find(name);
      if (figure == nullptr) continue;
      if (figure->failed) {
        std::printf("%-28s %s\n", name, figure->error.c_str());
      } else {
        const bool process = std::string(name) == "scan/zbarimg_png_logo";
        std::printf("%-28s %10.1f%s\n", name, process ? figure->real_time : figure->cpu_time,
                    process ? " (wall time of the process)" : "");
      }
    }

    std::printf(
        "\nPNG writing of the same surface, ours against cairo's (libpng adaptive filters, zlib default)\n");
    std::printf("%-8s %12s %12s %10s %12s %12s\n", "picture", "tolvex us", "cairo us", "speed-up",
                "tolvex bytes", "cairo bytes");
    for (const char* picture : {"plain400", "logo"}) {
      const Figure* ours = find(png_name(picture, true));
      const Figure* peer = find(png_name(picture, false));
      if (ours == nullptr || peer == nullptr || ours->failed || peer->failed) continue;
      std::printf("%-8s %12.1f %12.1f %9.1fx %12.0f %12.0f\n", picture, ours->cpu_time, peer->cpu_time,
                  peer->cpu_time / ours->cpu_time, ours->counters.at("bytes"), peer->counters.at("bytes"));
    }

    std::printf(
        "\nA PNG in memory a document, one thread, logo cache on: composed now against drawn on a\n"
        "cairo surface and indexed from it as before; XML to logo PNG, text to plain 400 px PNG\n");
    std::printf("%-14s %14s %14s %10s %12s %12s %8s\n", "picture", "composed /s", "drawn /s", "speed-up",
                "composed B", "drawn B", "target");
    for (const bool logo : {true, false}) {
      const Figure* composed = find(picture_name(logo, true));
      const Figure* drawn = find(picture_name(logo, false));
      if (composed == nullptr || drawn == nullptr || composed->failed || drawn->failed) continue;
      const double rate = composed->counters.at("items_per_second");
      const double before = drawn->counters.at("items_per_second");
      const double target = logo ? kLogoPngTarget : kPlainPngTarget;
      std::printf("%-14s %14.0f %14.0f %9.1fx %12.0f %12.0f %8s\n", logo ? "xml->logo png" : "plain 400 png",
                  rate, before, rate / before, composed->counters.at("bytes"), drawn->counters.at("bytes"),
                  rate >= target ? "met" : "MISSED");
    }

    std::printf("\nencode_xml and qr_logo_write_png_memory, every example once per round\n");
    const Figure* cairoWriter = find(library_name(true, true));
    const bool withCairo = cairoWriter != nullptr && !cairoWriter->failed;
    for (const bool cache : {true, false}) {
      const Figure* figure = find(library_name(cache));
      if (figure == nullptr) continue;
      std::printf("logo cache %-4s ", cache ? "on" : "off");
      if (figure->failed) {
        std::printf("%s\n", figure->error.c_str());
        continue;
      }
      const double rate = figure->counters.at("items_per_second");
      std::printf("%10.0f documents/s", rate);
      if (cache) {
        std::printf("  %.1fx the %.0f of before: %s", rate / kLibraryBefore, kLibraryBefore,
                    rate >= kLibraryTarget * kLibraryBefore ? "met" : "MISSED");
        if (withCairo) {
          std::printf("; %.1fx cairo's writer in this run",
                      rate / cairoWriter->counters.at("items_per_second"));
        }
      }
      std::printf("\n");
    }
    if (withCairo) {
      std::printf("cairo's writer  %10.0f documents/s (logo cache on)\n",
                  cairoWriter->counters.at("items_per_second"));
    }

    std::printf("\nthe logo picture for print (tolvex make), every example once per round, logo cache on\n");
    for (const char* name : {"library/logo_svg", "library/logo_pdf"}) {
      const Figure* figure = find(name);
      if (figure == nullptr) continue;
      if (figure->failed) {
        std::printf("%-17s %s\n", name, figure->error.c_str());
        continue;
      }
      const double rate = figure->counters.at("items_per_second");
      std::printf("%-17s %10.0f documents/s, %6.0f bytes the last: %s\n", name, rate, figure->counters.at("bytes"),
                  rate >= kLogoVectorTarget ? "met" : "MISSED");
    }
  }

 private:
  const Figure* find(const std::string& name) const {
    const auto it = figures_.find(name);
    return it == figures_.end() ? nullptr : &it->second;
  }

  std::map<std::string, Figure> figures_;
  std::int64_t repetitions_ = 1;
};

}  // namespace
}  // namespace tolvex

int main(int argc, char** argv) {
  using namespace tolvex;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  xmlInitParser();

  std::vector<std::string> texts;
  for (const int size : kTextSizes) texts.push_back(base32hex_text(size));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& text = texts[i];
    benchmark::RegisterBenchmark(qr_name(kTextSizes[i], "tolvex").c_str(), bench_qr_tolvex, text)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(qr_name(kTextSizes[i], "libqrencode").c_str(), bench_qr_libqrencode, text)
        ->Unit(benchmark::kMicrosecond);
  }

  const std::vector<Example> examples = load_examples();
  for (const Example& example : examples) {
    benchmark::RegisterBenchmark(xml_name(example).c_str(), bench_encode_xml, example)
        ->Unit(benchmark::kMicrosecond);
  }
  const auto pay =
      std::find_if(examples.begin(), examples.end(), [](const Example& e) { return e.name == "pay-single"; });
  const Surfaces surfaces = pay != examples.end() ? make_surfaces(*pay) : Surfaces{};
  for (const bool ours : {true, false}) {
    benchmark::RegisterBenchmark(png_name("plain400", ours).c_str(), bench_png, surfaces.plain.get(), ours)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(png_name("logo", ours).c_str(), bench_png, surfaces.logo.get(), ours)
        ->Unit(benchmark::kMicrosecond);
  }
  for (const bool cache : {true, false}) {
    benchmark::RegisterBenchmark(library_name(cache).c_str(), bench_library, examples, cache, false)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark(library_name(true, true).c_str(), bench_library, examples, true, true)
      ->Unit(benchmark::kMillisecond);
  for (const bool logo : {true, false}) {
    for (const bool composed : {true, false}) {
      benchmark::RegisterBenchmark(picture_name(logo, composed).c_str(), bench_picture, examples, logo,
                                   composed)
          ->Unit(benchmark::kMicrosecond);
    }
  }

  benchmark::RegisterBenchmark("library/logo_svg", bench_logo_vector, examples, ImageFormat::svg)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("library/logo_pdf", bench_logo_vector, examples, ImageFormat::pdf)
      ->Unit(benchmark::kMillisecond);

  // The invoice with logo as tolvexqr writes it, and the same code at 40 mm on an A4 page at
  // the resolution pages are rendered at.
  const std::string invoice = test::example_text("invoice.xml");
  const SurfacePtr logo = test::logo_code(invoice, 0, 0, true);
  const test::Bytes png = test::png_of(logo.get());
  const SurfacePtr plain = test::plain_code(invoice, 1);
  const test::Bytes pdf = test::pdf_of({{test::Placement{plain.get(), 130, 200, 40}}});
  const test::TempDir directory;
  const std::string pngPath = directory.file("invoice.png");
  test::write_file(pngPath, std::string(png.begin(), png.end()));
  benchmark::RegisterBenchmark("scan/png_logo", bench_scan, png, invoice, false)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("scan/png_logo/worker", bench_scan, png, invoice, true)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("scan/zbarimg_png_logo", bench_zbarimg, pngPath, invoice)
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime();
  benchmark::RegisterBenchmark("scan/pdf_a4_page", bench_scan, pdf, invoice, false)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("scan/pdf_a4_page/worker", bench_scan, pdf, invoice, true)
      ->Unit(benchmark::kMillisecond);
  // The same code drawn as vectors, as a program that draws its codes writes it: only a
  // rendering of the page reads it.
  const SurfacePtr modules = test::plain_code(invoice, 1);
  const test::Bytes drawn = test::pdf_of({{test::Placement{modules.get(), 130, 200, 40, true}}});
  benchmark::RegisterBenchmark("scan/pdf_a4_page_drawn_code", bench_scan, drawn, invoice, false)
      ->Unit(benchmark::kMillisecond);
  // A page of text and rules without a code: every attempt runs, the last ones included.
  const test::Bytes codeless = test::pdf_of({{}});
  benchmark::RegisterBenchmark("scan/pdf_a4_page_without_code", bench_scan, codeless, std::string(), false)
      ->Unit(benchmark::kMillisecond);

  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_summary(examples);
  benchmark::Shutdown();
  xmlCleanupParser();
  return 0;
}
