// Whole files through the real program, and through the library's API at once
// and in pieces, compared byte for byte with outputs that were checked by eye. An expected output is named after its input and the
// options it was made with: "modern.cpp.lp.html" is "modern.cpp -l -p";
// "x.c.t8.html" is "x.c -t8"; "x.c.html" has no options. Inputs are looked for
// in tests/golden/ and then in samples/.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "highlight.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

// "lpt8" -> {"-l", "-p", "-t8"}
std::vector<std::string> options_from_suffix(const std::string& suffix) {
  std::vector<std::string> args;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    std::string option = std::string("-") + suffix[i];
    while (i + 1 < suffix.size() && suffix[i + 1] >= '0' && suffix[i + 1] <= '9') option += suffix[++i];
    args.push_back(option);
  }
  return args;
}

// {"-l", "-t8"} -> the options the API is given for them.
Options api_options(const std::vector<std::string>& args) {
  Options options;
  for (const std::string& option : args) {
    switch (option[1]) {
      case 'l': options.line_numbers = true; break;
      case 'p': options.no_pre = true; break;
      case 'u': options.utf8 = true; break;
      case 'm': options.modern = true; break;
      case 's': options.style = true; break;
      case 't': options.tab_width = static_cast<std::uint32_t>(std::stoul(option.substr(2))); break;
      default: ADD_FAILURE() << option;
    }
  }
  return options;
}

TEST(Golden, FilesConvertToTheirCheckedOutput) {
  const fs::path golden = COLORUNE_GOLDEN_DIR;
  const fs::path samples = golden.parent_path().parent_path() / "samples";
  int compared = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(golden)) {
    const fs::path expected = entry.path();
    if (expected.extension() != ".html") continue;
    // "<input>.<options>.html" or "<input>.html", where the input has an extension of its own.
    std::string stem = expected.stem().string();
    std::string suffix;
    const fs::path inner(stem);
    if (inner.extension() != ".c" && inner.extension() != ".cpp") {
      suffix = inner.extension().string().substr(1);
      stem = inner.stem().string();
    }
    const fs::path input = fs::exists(golden / stem) ? golden / stem : samples / stem;
    ASSERT_TRUE(fs::exists(input)) << expected;

    std::vector<std::string> args = {input.string()};
    for (const std::string& option : options_from_suffix(suffix)) args.push_back(option);
    const RunResult result = run_colorune(args, golden);
    EXPECT_EQ(0, result.status) << expected.filename();
    EXPECT_EQ("", result.err) << expected.filename();
    EXPECT_TRUE(read_file(expected) == result.out) << expected.filename() << " differs";
    // The library gives the same, whatever the pieces the input comes in.
    const Options options = api_options(options_from_suffix(suffix));
    const std::string source = read_file(input);
    EXPECT_TRUE(read_file(expected) == highlight(source, options)) << expected.filename() << ": colorune_to_html";
    for (const std::string_view sizes : {"", "\x06\x3f\x02", "\xff\x00"}) {
      EXPECT_TRUE(read_file(expected) == highlight_in_pieces(source, options, sizes))
          << expected.filename() << ": a converter fed in pieces of " << sizes.size() << " sizes";
    }
    ++compared;
  }
  EXPECT_GE(compared, 8);
}

}  // namespace
