#include "qr/qr_mask.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace tolvex {
namespace {

// The data mask conditions of ISO/IEC 18004 (true = invert), i the row and j the column.
constexpr bool mask_condition(int mask, int i, int j) {
  switch (mask) {
    case 0:
      return (i + j) % 2 == 0;
    case 1:
      return i % 2 == 0;
    case 2:
      return j % 3 == 0;
    case 3:
      return (i + j) % 3 == 0;
    case 4:
      return (i / 2 + j / 3) % 2 == 0;
    case 5:
      return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
      return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
      return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
  }
}

// Every condition repeats after 12 rows and after 12 columns (its periods are 2, 3, 4 and 6),
// so twelve precomputed lines per mask and direction cover any symbol.
constexpr std::size_t kMaskPeriod = 12;
using MaskLines = std::array<std::array<QrLine, kMaskPeriod>, kQrMaskCount>;

constexpr MaskLines make_mask_lines(bool by_row) {
  MaskLines lines{};
  for (int mask = 0; mask < kQrMaskCount; ++mask) {
    for (std::size_t line = 0; line < kMaskPeriod; ++line) {
      const int l = static_cast<int>(line);
      for (int k = 0; k < 64 * kQrLineWords; ++k) {
        if (by_row ? mask_condition(mask, l, k) : mask_condition(mask, k, l)) {
          lines[mask][line][k / 64] |= qr_line_bit(k);
        }
      }
    }
  }
  return lines;
}

constexpr MaskLines kMaskRows = make_mask_lines(true);
constexpr MaskLines kMaskColumns = make_mask_lines(false);

// The first count modules of a line.
constexpr QrLine line_prefix(int count) {
  QrLine line{};
  for (int word = 0; word < kQrLineWords; ++word) {
    const int bits = count - 64 * word;
    if (bits >= 64) {
      line[word] = ~std::uint64_t{0};
    } else if (bits > 0) {
      line[word] = ~std::uint64_t{0} << (64 - bits);
    }
  }
  return line;
}

// std::popcount becomes a library call unless the target has a population count instruction.
int bit_count(std::uint64_t x) {
#if defined(__POPCNT__)
  return std::popcount(x);
#else
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
#endif
}

// A line cut to the N words that a symbol's width needs; the penalty runs on these so that
// small symbols pay for one word a line, not three.
template <std::size_t N>
struct Bits {
  std::array<std::uint64_t, N> word;

  static Bits of(const QrLine& line) {
    Bits bits;
    for (std::size_t i = 0; i < N; ++i) bits.word[i] = line[i];
    return bits;
  }
  friend Bits operator&(Bits a, const Bits& b) {
    for (std::size_t i = 0; i < N; ++i) a.word[i] &= b.word[i];
    return a;
  }
  friend Bits operator|(Bits a, const Bits& b) {
    for (std::size_t i = 0; i < N; ++i) a.word[i] |= b.word[i];
    return a;
  }
  friend Bits operator^(Bits a, const Bits& b) {
    for (std::size_t i = 0; i < N; ++i) a.word[i] ^= b.word[i];
    return a;
  }
  friend Bits operator~(Bits a) {
    for (std::size_t i = 0; i < N; ++i) a.word[i] = ~a.word[i];
    return a;
  }
  bool any() const {
    std::uint64_t all = 0;
    for (std::size_t i = 0; i < N; ++i) all |= word[i];
    return all != 0;
  }
  int count() const {
    int total = 0;
    for (std::size_t i = 0; i < N; ++i) total += bit_count(word[i]);
    return total;
  }
};

// Module k of the result is module k + D of a: the line seen D modules further on.
template <int D, std::size_t N>
Bits<N> ahead(const Bits<N>& a) {
  Bits<N> r;
  for (std::size_t i = 0; i < N; ++i) {
    r.word[i] = a.word[i] << D;
    if (i + 1 < N) r.word[i] |= a.word[i + 1] >> (64 - D);
  }
  return r;
}

// Module k of the result is module k - D of a; modules before the line read light.
template <int D, std::size_t N>
Bits<N> behind(const Bits<N>& a) {
  Bits<N> r;
  for (std::size_t i = 0; i < N; ++i) {
    r.word[i] = a.word[i] >> D;
    if (i > 0) r.word[i] |= a.word[i - 1] << (64 - D);
  }
  return r;
}

template <typename Rule>
auto by_line_words(int width, Rule rule) {
  if (width <= 64) return rule(std::integral_constant<std::size_t, 1>{});
  if (width <= 128) return rule(std::integral_constant<std::size_t, 2>{});
  return rule(std::integral_constant<std::size_t, 3>{});
}

template <std::size_t N>
void apply_to_plane(QrModulePlane& plane, const std::array<QrLine, kMaskPeriod>& mask_lines, int width) {
  const QrLine inside = line_prefix(width);
  std::size_t period_line = 0;
  for (std::size_t l = 0; l < static_cast<std::size_t>(width); ++l) {
    const QrLine& pattern = mask_lines[period_line];
    if (++period_line == kMaskPeriod) period_line = 0;
    for (std::size_t word = 0; word < N; ++word) {
      const std::uint64_t data_area = ~plane.function[l][word] & inside[word];
      plane.dark[l][word] =
          plane.function_dark[l][word] | ((plane.data[l][word] ^ pattern[word]) & data_area);
    }
  }
}

// pairs marks the modules that have a neighbour after them in the line.
//
// A maximal run of L >= 5 equal modules has L - 4 starting points of five equal modules, and
// the two modules after its last starting point start no such five: marking those two as
// well gives L - 2 marks a run, counted at once.
template <std::size_t N>
Bits<N> run_marks(const Bits<N>& line, const Bits<N>& pairs) {
  const Bits<N> same_as_next = ~(line ^ ahead<1>(line)) & pairs;
  const Bits<N> five =
      same_as_next & ahead<1>(same_as_next) & ahead<2>(same_as_next) & ahead<3>(same_as_next);
  const Bits<N> last = five & ~ahead<1>(five);
  return five | behind<1>(last) | behind<2>(last);
}

// Starting points of dark-light-dark-dark-dark-light-dark. A line holds few of them, so the
// cheap test for any comes first and the surroundings are checked only where one was found.
template <std::size_t N>
Bits<N> finder_like_cores(const Bits<N>& line) {
  const Bits<N> dark_then_light = line & ~ahead<1>(line);
  return dark_then_light & ahead<4>(dark_then_light) & ahead<2>(line) & ahead<3>(line) & ahead<6>(line);
}

// The cores with light modules on both sides and four light modules before or after them;
// modules outside the line read light.
template <std::size_t N>
int finder_like_surrounded(const Bits<N>& line, const Bits<N>& cores) {
  const Bits<N> light_beside = ~behind<1>(line) & ~ahead<7>(line);
  const Bits<N> dark_before = behind<1>(line) | behind<2>(line) | behind<3>(line) | behind<4>(line);
  const Bits<N> dark_after = ahead<7>(line) | ahead<8>(line) | ahead<9>(line) | ahead<10>(line);
  return (cores & light_beside & (~dark_before | ~dark_after)).count();
}

// Top-left corners of 2 x 2 squares of one colour between two neighbouring rows.
template <std::size_t N>
Bits<N> block_corners(const Bits<N>& upper, const Bits<N>& lower, const Bits<N>& pairs) {
  const Bits<N> same_below = ~(upper ^ lower);
  return same_below & ahead<1>(same_below) & ~(upper ^ ahead<1>(upper)) & pairs;
}

// One pass over all rows and columns for all four rules.
template <std::size_t N>
QrPenalty penalty_rules(const QrModuleMatrix& matrix) {
  const auto pairs = Bits<N>::of(line_prefix(matrix.width - 1));
  int run_count = 0;
  int finder_like = 0;
  int corners = 0;
  int dark = 0;
  Bits<N> upper{};
  for (std::size_t l = 0; l < static_cast<std::size_t>(matrix.width); ++l) {
    const auto row = Bits<N>::of(matrix.rows.dark[l]);
    const auto column = Bits<N>::of(matrix.columns.dark[l]);
    run_count += run_marks(row, pairs).count() + run_marks(column, pairs).count();
    const Bits<N> row_cores = finder_like_cores(row);
    if (row_cores.any()) finder_like += finder_like_surrounded(row, row_cores);
    const Bits<N> column_cores = finder_like_cores(column);
    if (column_cores.any()) finder_like += finder_like_surrounded(column, column_cores);
    if (l > 0) corners += block_corners(upper, row, pairs).count();
    dark += row.count();
    upper = row;
  }
  const int modules = matrix.width * matrix.width;
  const int light_percent = 100 * (modules - dark) / modules;
  return {run_count, 3 * corners, 40 * finder_like, 10 * (std::abs(50 - light_percent) / 5)};
}

}  // namespace

void qr_apply_mask(QrModuleMatrix& matrix, int mask) {
  by_line_words(matrix.width, [&matrix, mask](auto words) {
    constexpr std::size_t N = decltype(words)::value;
    apply_to_plane<N>(matrix.rows, kMaskRows[static_cast<std::size_t>(mask)], matrix.width);
    apply_to_plane<N>(matrix.columns, kMaskColumns[static_cast<std::size_t>(mask)], matrix.width);
    return 0;
  });
}

QrPenalty qr_penalty_rules(const QrModuleMatrix& matrix) {
  return by_line_words(matrix.width,
                       [&matrix](auto words) { return penalty_rules<decltype(words)::value>(matrix); });
}

int qr_penalty(const QrModuleMatrix& matrix) {
  const QrPenalty penalty = qr_penalty_rules(matrix);
  return penalty.runs + penalty.blocks + penalty.finder_like + penalty.balance;
}

}  // namespace tolvex
