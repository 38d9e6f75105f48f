// Properties that hold for every input: the output is well formed and gives the
// input back (see html_check.h). Checked on the golden inputs, on the inputs the
// fuzzer once failed on, and on many generated inputs, in every mode.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "element_kinds.h"
#include "highlight.h"
#include "generated_inputs.h"
#include "html_check.h"
#include "reference_converter.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

void expect_sound(const std::string& input, const std::string& label) {
  for (const Options& options : all_modes()) {
    const std::string error = check_conversion(input, options, highlight(input, options));
    ASSERT_EQ("", error) << label << " " << describe(options);
  }
}

TEST(RoundTrip, GoldenInputs) {
  const fs::path golden = COLORUNE_GOLDEN_DIR;
  for (const fs::directory_entry& entry : fs::directory_iterator(golden)) {
    const fs::path path = entry.path();
    if (path.extension() == ".c" || path.extension() == ".cpp") expect_sound(read_file(path), path.filename());
  }
  expect_sound(read_file(golden.parent_path().parent_path() / "samples" / "hello.cpp"), "hello.cpp");
}

TEST(RoundTrip, FuzzerFindings) {
  // Each file is a fuzzer input: its first byte chooses the options.
  const fs::path findings = fs::path(COLORUNE_GOLDEN_DIR).parent_path().parent_path() / "fuzz" / "regressions";
  for (const fs::directory_entry& entry : fs::directory_iterator(findings)) {
    const std::string data = read_file(entry.path());
    if (data.empty() || entry.path().extension() == ".md") continue;
    const Options options = options_from_byte(static_cast<unsigned char>(data[0]));
    const std::string input = data.substr(1);
    // As the fuzzer checks it.
    const std::string html = highlight(input, options);
    EXPECT_EQ(markup_of(reference_convert(input, options), options.style), html) << entry.path().filename();
    EXPECT_EQ("", check_conversion(input, options, html)) << entry.path().filename();
  }
}

TEST(RoundTrip, GeneratedInputs) {
  std::mt19937 random(20261208);  // fixed, so that a failure can be replayed
  for (int i = 0; i < 3000; ++i) {
    const std::string input = generate_tricky_input(random);
    expect_sound(input, "generated input " + std::to_string(i));
    if (HasFatalFailure()) return;
  }
}

TEST(RoundTrip, EveryByteValue) {
  std::string input;
  for (int b = 0; b < 256; ++b) input += static_cast<char>(b);
  expect_sound(input, "bytes 0 to 255");
  std::string reversed(input.rbegin(), input.rend());
  expect_sound(reversed, "bytes 255 to 0");
}

TEST(RoundTrip, CheckerCatchesFaults) {
  // The checker itself must refuse outputs that break the format.
  const Options pre = make_options(false, false);
  const Options numbered = make_options(true, true);
  struct Case {
    const char* input;
    Options options;
    const char* kinds;  // the output, its elements written as their kinds
    bool sound;
  };
  const Case cases[] = {
      {"a<b", pre, "<pre><code>a&lt;b</code></pre>", true},
      {"a<b", pre, "<pre><code>a<b</code></pre>", false},
      {"a>b", pre, "<pre><code>a>b</code></pre>", false},
      {"\xe9<", pre, "<pre><code>\xe9<</code></pre>", false},
      {"a b", numbered, "<code><lineno>&nbsp;&nbsp;1: </lineno>a b</code>", false},
      {"\t", pre, "<pre><code>   </code></pre>", false},
      {"int", pre, "<pre><code><string>int</string></code></pre>", false},
      {"'a'", pre, "<pre><code><string>'<keyword>a</keyword>'</string></code></pre>", false},
      {"/**/", pre, "<pre><code><comment>/**/</code></pre>", false},
      {"\n", numbered, "<code><lineno>&nbsp;&nbsp;1: </lineno><br>\n</code>", false},
      {"x", pre, "<pre><code>x</code></pre>\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.sound, check_conversion(c.input, c.options, markup_of(c.kinds)).empty()) << c.kinds;
  }
}

}  // namespace
