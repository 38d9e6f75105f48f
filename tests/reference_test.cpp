// The conversion equals the plain character-at-a-time reference, byte for byte,
// on every kind of input and in every mode: whatever shortcut makes it fast must
// not change a single output byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "generate_source.h"
#include "element_kinds.h"
#include "generated_inputs.h"
#include "highlight.h"
#include "reference_converter.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

// A few modes that together touch every option, for the larger inputs.
const std::vector<Options> kSomeModes = {make_options(false, false), make_options(true, true, 7),
                                         make_options(false, false, 4, true), make_options(true, false, 1, true)};

void expect_same(const std::string& input, const std::string& label,
                 const std::vector<Options>& modes = all_modes()) {
  for (const Options& options : modes) {
    const std::string output = highlight(input, options);
    const std::string reference = markup_of(reference_convert(input, options), options.style);
    ASSERT_TRUE(output == reference) << label << " " << describe(options) << ": outputs differ from byte "
                                     << std::mismatch(output.begin(), output.end(), reference.begin(),
                                                      reference.end()).first - output.begin();
  }
}

TEST(Reference, GoldenInputs) {
  for (const fs::directory_entry& entry : fs::directory_iterator(COLORUNE_GOLDEN_DIR)) {
    const fs::path path = entry.path();
    if (path.extension() == ".c" || path.extension() == ".cpp") expect_same(read_file(path), path.filename());
  }
}

TEST(Reference, GeneratedSourceLargerThanTheBuffers) {
  // Several times the 64 KiB input buffer, so that tokens of every kind fall
  // across a refill.
  expect_same(generate_source(300000, 1), "generated source 1");  // every mode
  for (std::uint32_t variant = 2; variant <= 3; ++variant) {
    expect_same(generate_source(300000 + variant * 7919, variant), "generated source " + std::to_string(variant),
                kSomeModes);
  }
}

TEST(Reference, TrickyInputs) {
  std::mt19937 random(7);  // fixed, so that a failure can be replayed
  for (int i = 0; i < 1500; ++i) {
    expect_same(generate_tricky_input(random), "tricky input " + std::to_string(i));
    if (HasFatalFailure()) return;
  }
}

TEST(Reference, TokensAcrossTheBufferBoundary) {
  // Each token placed so that it starts a few bytes before the 65536th byte.
  const std::string tokens[] = {"integer_value", "while", "/* c */", "// c\\\nx\n", "\"s\\\"\"", "'\\''",
                                "#define X \\\n 1 // c\n", "\x82\xa0", "\xe3\x81\x82", "\t<&>", std::string(300, 'w')};
  for (const std::string& token : tokens) {
    for (std::size_t shift = 0; shift < 6; ++shift) {
      std::string input(65536 - shift, ';');
      input += token;
      input += " int x;";
      expect_same(input, "token " + token.substr(0, 20) + " shifted by " + std::to_string(shift), kSomeModes);
    }
  }
}


TEST(Reference, RunsLongerThanABlock) {
  // The fast runs look at 64 bytes at a time: runs of one kind of byte that fill
  // a whole block, or end just short of or just past one, in every context.
  const std::string fills[] = {" ", "\t", "&", "\n", "a", "1", "\x82\xa0", "\x82", "*", "\\"};
  const std::string contexts[] = {"x", "/*", "//", "\"", "#"};
  for (const std::string& context : contexts) {
    for (const std::string& fill : fills) {
      for (std::size_t count : {63u, 64u, 65u, 129u}) {
        std::string input = context;
        for (std::size_t i = 0; i < count; ++i) input += fill;
        input += " int\n";
        expect_same(input, context + " then " + std::to_string(count) + " of " + fill);
        if (HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
