// scan_variant_sweep: the recognition rate over generated variants of our codes, for each
// reading attempt alone, for the attempts in their order (what each adds), and for zbarimg and
// ZXingReader on the same pictures. With --perspective the variants are the steep-angle ones
// (photographed invoices) instead of the mixed degradations.
//
//   scan_variant_sweep [variants per picture style, default 12] [seed, default 14] [--peers]
//                      [--perspective] [--write DIRECTORY]
//
// --write keeps each variant as DIRECTORY/NNNN.png, with its text in NNNN.txt, for readers
// outside this program.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "scan/qr_read.h"
#include "scan/variants.h"
#include "support/decoders.h"
#include "support/process.h"

using namespace tolvex;

int main(int argc, char** argv) {
  int perStyle = 12;
  std::uint32_t seed = 14;
  bool peers = false, perspective = false;
  std::string kept;
  for (int i = 1, position = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--peers") == 0) {
      peers = true;
    } else if (std::strcmp(argv[i], "--perspective") == 0) {
      perspective = true;
    } else if (std::strcmp(argv[i], "--write") == 0 && i + 1 < argc) {
      kept = argv[++i];
    } else if (position++ == 0) {
      perStyle = std::atoi(argv[i]);
    } else {
      seed = static_cast<std::uint32_t>(std::atoi(argv[i]));
    }
  }
  const std::vector<test::Variant> variants = perspective ? test::generated_perspective_variants(perStyle, seed)
                                                          : test::generated_variants(perStyle, seed);

  std::vector<int> alone(kQrAttempts.size(), 0);
  std::vector<int> added(kQrAttempts.size(), 0);
  std::vector<double> seconds(kQrAttempts.size(), 0);
  int read = 0, zbar = 0, zxing = 0, either = 0;
  const test::TempDir directory;
  for (std::size_t v = 0; v < variants.size(); ++v) {
    const test::Variant& variant = variants[v];
    if (!kept.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "/%04zu", v);
      test::write_gray_png(variant.picture, kept + name + ".png");
      std::ofstream(kept + name + ".txt") << variant.text;
    }
    bool done = false;
    for (std::size_t i = 0; i < kQrAttempts.size(); ++i) {
      const auto start = std::chrono::steady_clock::now();
      bool found = false;
      for (const std::string& text : qr_read_attempt(variant.picture, kQrAttempts[i]))
        found = found || text == variant.text;
      seconds[i] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      alone[i] += found;
      if (found && !done) {
        ++added[i];
        done = true;
      }
    }
    read += done;
    if (!done) std::printf("not read: %s\n", variant.name.c_str());
    if (peers) {
      const std::string file = directory.file("variant.png");
      test::write_gray_png(variant.picture, file);
      auto zbarResult = std::async(std::launch::async, test::zbar_decode_text, file);
      const bool byZxing = test::zxing_decode_text(file) == variant.text;
      const bool byZbar = zbarResult.get() == variant.text;
      zbar += byZbar;
      zxing += byZxing;
      either += byZbar || byZxing;
    }
  }
  const double n = static_cast<double>(variants.size());
  std::printf("%zu %svariants (%d per picture style, seed %u)\n", variants.size(),
              perspective ? "perspective " : "", perStyle, seed);
  std::printf("%-24s %8s %8s %10s\n", "attempt", "alone", "adds", "ms each");
  for (std::size_t i = 0; i < kQrAttempts.size(); ++i) {
    std::printf("%-24s %7.1f%% %7.1f%% %10.1f\n", std::string(qr_attempt_name(kQrAttempts[i])).c_str(),
                100 * alone[i] / n, 100 * added[i] / n, 1000 * seconds[i] / n);
  }
  std::printf("tolvex reader            %7.1f%%\n", 100 * read / n);
  if (peers) {
    std::printf(
        "zbarimg                  %7.1f%%\nZXingReader              %7.1f%%\neither of them           "
        "%7.1f%%\n",
        100 * zbar / n, 100 * zxing / n, 100 * either / n);
  }
  return 0;
}
