// The conversion in memory, by the path the text takes through the scan loop:
// each input is mostly words, comments, literals, directives or plain text.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "generate_source.h"
#include "highlighter/convert.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

std::string repeat_to_size(const std::string& unit) {
  std::string text;
  while (text.size() < kSize) text += unit;
  text.resize(kSize);
  return text;
}

void run_conversion(benchmark::State& bench, const std::string& input, Options options) {
  auto state = std::make_unique<ConverterState>();
  std::FILE* sink = std::fopen("/dev/null", "w");
  std::string source = input;
  for (auto _ : bench) {
    std::FILE* in = fmemopen(source.data(), source.size(), "r");
    new (state.get()) ConverterState;  // fields anew; the buffers need no clearing
    state->input = in;
    state->output = sink;
    state->options = options;
    convert(*state);
    std::fclose(in);
  }
  std::fclose(sink);
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(input.size()));
}

void BM_Realistic(benchmark::State& bench) { run_conversion(bench, generate_source(kSize), Options{}); }
void BM_RealisticNoPreLineNumbers(benchmark::State& bench) {
  Options options;
  options.no_pre = true;
  options.line_numbers = true;
  run_conversion(bench, generate_source(kSize), options);
}
void BM_Words(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("int count = value + offset; return result; while (next) "), Options{});
}
void BM_Comments(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("/* the table grows by doubling */\n// skip the separator, then read\n"),
                 Options{});
}
void BM_Literals(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("\"error: cannot open <file>\\n\" '\\'' \"a & b\" "), Options{});
}
void BM_Directives(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("#include <stdio.h>\n#define MAX(a, b) ((a) > (b) ? (a) : (b))\n"),
                 Options{});
}
void BM_Plain(benchmark::State& bench) {
  run_conversion(bench, repeat_to_size("\t{ 1 + 2 * (3 - 4); [5] = 6, 7 % 8 != 9 }\n"), Options{});
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
