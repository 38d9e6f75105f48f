// The conversion in memory, by the path the text takes through the scan loop:
// each input is mostly words, comments, literals, directives or plain text.

#include <benchmark/benchmark.h>

#include <string>

#include "colorune.h"
#include "generate_source.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

std::string repeat_to_size(const std::string& unit) {
  std::string text;
  while (text.size() < kSize) text += unit;
  text.resize(kSize);
  return text;
}

int discard(void*, const char*, std::size_t) { return 0; }

void run_conversion(benchmark::State& bench, const std::string& input, unsigned options) {
  for (auto _ : bench) {
    colorune_convert(input.data(), input.size(), options, COLORUNE_DEFAULT_TAB_WIDTH, discard, nullptr);
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(input.size()));
}

void BM_Realistic(benchmark::State& bench) { run_conversion(bench, generate_source(kSize), 0); }
void BM_RealisticNoPreLineNumbers(benchmark::State& bench) {
  run_conversion(bench, generate_source(kSize), COLORUNE_NO_PRE | COLORUNE_LINE_NUMBERS);
}
void BM_Words(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("int count = value + offset; return result; while (next) "), 0);
}
void BM_Comments(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("/* the table grows by doubling */\n// skip the separator, then read\n"),
                 0);
}
void BM_Literals(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("\"error: cannot open <file>\\n\" '\\'' \"a & b\" "), 0);
}
void BM_Directives(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("#include <stdio.h>\n#define MAX(a, b) ((a) > (b) ? (a) : (b))\n"),
                 0);
}
void BM_Plain(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("\t{ 1 + 2 * (3 - 4); [5] = 6, 7 % 8 != 9 }\n"), 0);
}

}  // namespace

BENCHMARK(BM_Realistic);
BENCHMARK(BM_RealisticNoPreLineNumbers);
BENCHMARK(BM_Words);
BENCHMARK(BM_Comments);
BENCHMARK(BM_Literals);
BENCHMARK(BM_Directives);
BENCHMARK(BM_Plain);

BENCHMARK_MAIN();
