// Whole files through the real program, compared byte for byte with outputs that
// were checked by eye. An expected output is named after its input and the
// options it was made with: "modern.cpp.lp.html" is "modern.cpp -l -p";
// "x.c.t8.html" is "x.c -t8"; "x.c.html" has no options. Inputs are looked for
// in tests/golden/ and then in samples/.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
    ++compared;
  }
  EXPECT_GE(compared, 8);
}

}  // namespace
