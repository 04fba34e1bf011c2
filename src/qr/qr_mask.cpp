#include "qr/qr_mask.h"

#include <algorithm>
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

// Every condition repeats after 12 rows (its periods are 2, 3, 4 and 6), so twelve
// precomputed rows per mask cover any symbol.
constexpr std::size_t kMaskPeriod = 12;
using MaskRows = std::array<std::array<QrLine, kMaskPeriod>, kQrMaskCount>;

constexpr MaskRows make_mask_rows() {
  MaskRows rows{};
  for (int mask = 0; mask < kQrMaskCount; ++mask) {
    for (std::size_t row = 0; row < kMaskPeriod; ++row) {
      for (int x = 0; x < 64 * kQrLineWords; ++x) {
        if (mask_condition(mask, static_cast<int>(row), x))
          rows[mask][row][qr_line_word(x)] |= qr_line_bit(x);
      }
    }
  }
  return rows;
}

constexpr MaskRows kMaskRows = make_mask_rows();

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

// Counting bits is a large part of the penalty. std::popcount is one instruction where the
// target has one, but a library call where it has not; the portable count is then faster.
struct PortableCount {
  int operator()(std::uint64_t x) const { return qr_count_bits_portable(x); }
};
struct InstructionCount {
  int operator()(std::uint64_t x) const { return std::popcount(x); }
};
#if defined(__POPCNT__) || !defined(__x86_64__)
using TargetCount = InstructionCount;
#else
using TargetCount = PortableCount;
#endif

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
  template <typename Count>
  int count() const {
    int total = 0;
    for (std::size_t i = 0; i < N; ++i) total += Count{}(word[i]);
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
void apply_mask_rows(QrModuleMatrix& matrix, const std::array<QrLine, kMaskPeriod>& mask_rows) {
  const QrLine inside = line_prefix(matrix.width);
  std::size_t period_row = 0;
  for (std::size_t y = 0; y < static_cast<std::size_t>(matrix.width); ++y) {
    const QrLine& pattern = mask_rows[period_row];
    if (++period_row == kMaskPeriod) period_row = 0;
    for (std::size_t word = 0; word < N; ++word) {
      const std::uint64_t data_area = ~matrix.function[y][word] & inside[word];
      matrix.dark[y][word] =
          matrix.function_dark[y][word] | ((matrix.data[y][word] ^ pattern[word]) & data_area);
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
Bits<N> finder_like_surrounded(const Bits<N>& line, const Bits<N>& cores) {
  const Bits<N> light_beside = ~behind<1>(line) & ~ahead<7>(line);
  const Bits<N> dark_before = behind<1>(line) | behind<2>(line) | behind<3>(line) | behind<4>(line);
  const Bits<N> dark_after = ahead<7>(line) | ahead<8>(line) | ahead<9>(line) | ahead<10>(line);
  return cores & light_beside & (~dark_before | ~dark_after);
}

// Top-left corners of 2 x 2 squares of one colour between two neighbouring rows.
template <std::size_t N>
Bits<N> block_corners(const Bits<N>& upper, const Bits<N>& lower, const Bits<N>& pairs) {
  const Bits<N> same_below = ~(upper ^ lower);
  return same_below & ahead<1>(same_below) & ~(upper ^ ahead<1>(upper)) & pairs;
}

// Rows and columns in one pass over the rows. The column rules run on all columns at once: bit x
// of each word below stands for column x, and row y + d holds what lies d modules further down.
// The rows are kept with light rows around them, four above and eleven below, as far as the
// rules look past an edge.
constexpr int kRowsAbove = 4;
constexpr int kRowsBelow = 11;

template <std::size_t N, typename Count>
QrPenalty penalty_rules(const QrModuleMatrix& matrix) {
  const int w = matrix.width;
  const auto inside = Bits<N>::of(line_prefix(w));
  const auto pairs = Bits<N>::of(line_prefix(w - 1));
  const Bits<N> light{};

  std::array<Bits<N>, kQrMaxWidth + kRowsAbove + kRowsBelow> padded;
  std::fill_n(padded.begin(), kRowsAbove, light);
  for (int y = 0; y < w; ++y) {
    padded[static_cast<std::size_t>(y + kRowsAbove)] = Bits<N>::of(matrix.dark[static_cast<std::size_t>(y)]);
  }
  std::fill_n(padded.begin() + w + kRowsAbove, kRowsBelow, light);
  const auto row = [&padded](int y) -> const Bits<N>& {
    return padded[static_cast<std::size_t>(y + kRowsAbove)];
  };

  // Down the columns: same_below[y] where row y + 1 repeats row y, five[y] where five equal
  // modules start at row y.
  std::array<Bits<N>, kQrMaxWidth + 3> same_below;
  for (int y = 0; y + 1 < w; ++y) same_below[static_cast<std::size_t>(y)] = ~(row(y) ^ row(y + 1)) & inside;
  std::fill_n(same_below.begin() + w - 1, 4, light);
  std::array<Bits<N>, kQrMaxWidth> five;
  for (std::size_t y = 0; y < static_cast<std::size_t>(w); ++y) {
    five[y] = same_below[y] & same_below[y + 1] & same_below[y + 2] & same_below[y + 3];
  }

  int run_marks_count = 0;
  int finder_like = 0;
  int corners = 0;
  int dark = 0;
  for (int y = 0; y < w; ++y) {
    const Bits<N>& current = row(y);
    const auto at = static_cast<std::size_t>(y);

    Bits<N> column_marks = five[at];  // as run_marks, with rows for modules
    if (y >= 1) column_marks = column_marks | (five[at - 1] & ~five[at]);
    if (y >= 2) column_marks = column_marks | (five[at - 2] & ~five[at - 1]);
    run_marks_count +=
        run_marks(current, pairs).template count<Count>() + column_marks.template count<Count>();

    const Bits<N> row_cores = finder_like_cores(current);
    if (row_cores.any()) finder_like += finder_like_surrounded(current, row_cores).template count<Count>();
    const Bits<N> column_cores =
        (row(y) & ~row(y + 1)) & (row(y + 4) & ~row(y + 5)) & row(y + 2) & row(y + 3) & row(y + 6);
    if (column_cores.any()) {
      const Bits<N> light_beside = ~row(y - 1) & ~row(y + 7);
      const Bits<N> dark_before = row(y - 1) | row(y - 2) | row(y - 3) | row(y - 4);
      const Bits<N> dark_after = row(y + 7) | row(y + 8) | row(y + 9) | row(y + 10);
      finder_like += (column_cores & light_beside & (~dark_before | ~dark_after)).template count<Count>();
    }

    if (y > 0) corners += block_corners(row(y - 1), current, pairs).template count<Count>();
    dark += current.template count<Count>();
  }
  const int modules = w * w;
  const int light_percent = 100 * (modules - dark) / modules;
  return {run_marks_count, 3 * corners, 40 * finder_like, 10 * (std::abs(50 - light_percent) / 5)};
}

template <typename Count>
QrPenalty penalty_rules_counting(const QrModuleMatrix& matrix) {
  return by_line_words(
      matrix.width, [&matrix](auto words) { return penalty_rules<decltype(words)::value, Count>(matrix); });
}

#if defined(__x86_64__) && !defined(__POPCNT__) && (defined(__GNUC__) || defined(__clang__))
// The target predates the population count instruction of x86-64 processors (2008 on), so a
// second copy of the penalty is compiled for it, used where the processor has it.
#define TOLVEX_QR_POPCOUNT_DISPATCH 1
[[gnu::target("popcnt"), gnu::flatten]] QrPenalty penalty_rules_with_instruction(
    const QrModuleMatrix& matrix) {
  return penalty_rules_counting<InstructionCount>(matrix);
}
#endif

}  // namespace

void qr_apply_mask(QrModuleMatrix& matrix, int mask) {
  by_line_words(matrix.width, [&matrix, mask](auto words) {
    constexpr std::size_t N = decltype(words)::value;
    apply_mask_rows<N>(matrix, kMaskRows[static_cast<std::size_t>(mask)]);
    return 0;
  });
}

int qr_count_bits_portable(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

QrPenalty qr_penalty_rules(const QrModuleMatrix& matrix) {
#ifdef TOLVEX_QR_POPCOUNT_DISPATCH
  static const bool has_instruction = __builtin_cpu_supports("popcnt");
  if (has_instruction) return penalty_rules_with_instruction(matrix);
#endif
  return penalty_rules_counting<TargetCount>(matrix);
}

int qr_penalty(const QrModuleMatrix& matrix) {
  const QrPenalty penalty = qr_penalty_rules(matrix);
  return penalty.runs + penalty.blocks + penalty.finder_like + penalty.balance;
}

}  // namespace tolvex
