// Properties that hold for every input: the output is well formed and gives the
// input back (see html_check.h). Checked on the golden inputs, on the inputs the
// fuzzer once failed on, and on many generated inputs, in every mode.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

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
    // As the fuzzer checks it: with -s, the output without its style attributes.
    Options classes_only = options;
    classes_only.style = false;
    const std::string html = options.style ? without_styles(highlight(input, options)) : highlight(input, options);
    EXPECT_EQ(reference_convert(input, classes_only), html) << entry.path().filename();
    EXPECT_EQ("", check_conversion(input, classes_only, html)) << entry.path().filename();
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
  EXPECT_EQ("", check_conversion("a<b", pre, "<pre><code>a&lt;b</code></pre>"));
  EXPECT_NE("", check_conversion("a<b", pre, "<pre><code>a<b</code></pre>"));
  EXPECT_NE("", check_conversion("a>b", pre, "<pre><code>a>b</code></pre>"));
  EXPECT_NE("", check_conversion("\xe9<", pre, "<pre><code>\xe9<</code></pre>"));
  EXPECT_NE("", check_conversion("a b", numbered, "<code><span class=\"lineno\">&nbsp;&nbsp;1: </span>a b</code>"));
  EXPECT_NE("", check_conversion("\t", pre, "<pre><code>   </code></pre>"));
  EXPECT_NE("", check_conversion("int", pre, "<pre><code><em class=\"string\">int</em></code></pre>"));
  EXPECT_NE("", check_conversion("'a'", pre,
                                 "<pre><code><em class=\"string\">'<strong class=\"keyword\">a</strong>'</em></code></pre>"));
  EXPECT_NE("", check_conversion("/**/", pre, "<pre><code><em class=\"comment\">/**/</code></pre>"));
  EXPECT_NE("", check_conversion("\n", numbered, "<code><span class=\"lineno\">&nbsp;&nbsp;1: </span><br>\n</code>"));
  EXPECT_NE("", check_conversion("x", pre, "<pre><code>x</code></pre>\n"));
}

}  // namespace
