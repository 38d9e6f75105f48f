// Properties that hold for every input: the output is well formed and gives the
// input back (see html_check.h). Checked on the golden inputs, on the inputs the
// fuzzer once failed on, and on many generated inputs, in every mode.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "highlight.h"
#include "html_check.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

std::vector<Options> all_modes() {
  std::vector<Options> modes;
  for (bool line_numbers : {false, true}) {
    for (bool no_pre : {false, true}) {
      for (bool utf8 : {false, true}) {
        for (std::uint32_t width : {1u, 4u, 7u, 99u}) modes.push_back(make_options(line_numbers, no_pre, width, utf8));
      }
    }
  }
  return modes;
}

std::string describe(const Options& o) {
  return std::string(o.line_numbers ? "-l " : "") + (o.no_pre ? "-p " : "") + (o.utf8 ? "-u " : "") + "-t" +
         std::to_string(o.tab_width);
}

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
    EXPECT_EQ("", check_conversion(input, options, highlight(input, options))) << entry.path().filename();
  }
}

// Text made of the pieces that matter to the scanners and the emitter.
std::string generate(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      "/", "*", "\"", "'", "#", "\\", "<", ">", "&", "\t", "\n", "\r", std::string(1, '\0'), " ", "x", "_",
      "7", "int", "while", "/*", "*/", "//", "\\\n", "\x82\xa0", "\x95\\", "\x82\n", "\xe9<", "\x81&", "\x83\"",
      "\xff\t", "#define A(x) x", "\"a\\\\\"", "'\\''",
      // UTF-8: whole sequences of two to four bytes, and broken ones
      "\xc3\xa9", "\xe3\x81\x82", "\xf0\x9f\x98\x80", "\xe3\x81", "\xf0\x9f", "\xed\xa0\x80", "\xc0\xaf",
      "\xe0\x80\x80", "\xf4\x90\x80\x80", "\xbf",
  };
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 60);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string text;
  for (int n = length(random); n > 0; --n) {
    const int roll = percent(random);
    if (roll < 3) {
      text += std::string(254 + static_cast<std::size_t>(roll), 'w');  // words of 254 to 256 ...
      if (roll == 2) text += "do";                                    // ... and 258 characters
    } else if (roll < 10) {
      text += static_cast<char>(0x80 + percent(random));  // a lone high byte: pairs with whatever follows
    } else {
      text += pieces[piece(random)];
    }
  }
  if (percent(random) < 20) text += '\xa4';  // a lead byte as the very last byte
  return text;
}

TEST(RoundTrip, GeneratedInputs) {
  std::mt19937 random(20261208);  // fixed, so that a failure can be replayed
  for (int i = 0; i < 3000; ++i) {
    const std::string input = generate(random);
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
