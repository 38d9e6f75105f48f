// -s: every opening tag with a class carries a style attribute right after it,
// and the frame's tags carry the frame's look; taking every style attribute out
// gives, byte for byte, the output without -s.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "generated_inputs.h"
#include "highlight.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Style, TakingTheStylesOutGivesTheOutputWithout) {
  for (const fs::directory_entry& entry : fs::directory_iterator(COLORUNE_GOLDEN_DIR)) {
    const fs::path path = entry.path();
    if (path.extension() != ".c" && path.extension() != ".cpp") continue;
    const std::string input = read_file(path);
    for (Options options : all_modes()) {
      const std::string plain = highlight(input, options);
      options.style = true;
      const std::string styled = highlight(input, options);
      ASSERT_EQ(plain, without_styles(styled)) << path.filename() << " " << describe(options);
      ASSERT_EQ(count(styled, "class=\""), count(styled, "\" style=\""))
          << path.filename() << " " << describe(options) << ": a class without its style";
      // The frame's first tag carries the frame's look.
      ASSERT_NE(std::string::npos, styled.substr(0, styled.find('>')).find(" style=\"")) << path.filename();
    }
  }
}

}  // namespace
