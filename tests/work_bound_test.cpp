// No input is slow: whatever its shape, the conversion looks at each byte a
// small constant number of times. The count of work (blocks classified, bytes
// looked at one by one) is checked, not a clock, so the test says the same on
// any machine, under the sanitizers and under an emulator.

#include <gtest/gtest.h>

#include <string>

#include "generated_inputs.h"
#include "highlight.h"

namespace {

TEST(WorkBound, LongRunsOfEveryKindInEveryContext) {
  // What comes first, to put the run in a context; then the run: one unit
  // repeated past several input windows.
  const std::string contexts[] = {"", "x ", "/*", "//", "\"", "'", "#", "#define X /*", "R\"x(", "1", "_"};
  const std::string units[] = {"a",    "1",   "_",    " ",    "\t",   "\n",   "*",   "\\",  "\"",   "'",
                               "#",    "/",   "&",    "<",    ")",    ".",    "e+",  "'1",  "\x82", "\x82\xa0",
                               "\xe3\x81\x82", std::string(1, '\0'), "\r", "int ", ")x", "R\"", "/*", "*/"};
  const Options modes[] = {make_options(false, false), make_options(true, true), make_options(false, false, 4, true),
                           make_options(false, false, 8, false, true), make_options(true, true, 3, true, true)};
  constexpr std::size_t kLength = 150000;  // more than two windows of the normal build
  for (const std::string& context : contexts) {
    for (const std::string& unit : units) {
      std::string input = context;
      while (input.size() < kLength) input += unit;
      for (const Options& options : modes) {
        highlight(input, options);
        // 64 for each block: at most about two blocks' worth of looking for
        // each byte, tails walked again at the windows' edges included.
        ASSERT_LE(last_work(), 4 * input.size() + 1024)
            << "context [" << context << "], a run of [" << unit << "], " << describe(options);
      }
    }
  }
}

}  // namespace
