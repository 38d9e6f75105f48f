#include "generated_inputs.h"

#include <vector>

#include "highlight.h"

// Text made of the pieces that matter to the scanners and the emitter, in both
// readings.
std::string generate_tricky_input(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      "/", "*", "\"", "'", "#", "\\", "<", ">", "&", "\t", "\n", "\r", std::string(1, '\0'), " ", "x", "_",
      "7", "int", "while", "/*", "*/", "//", "\\\n", "\x82\xa0", "\x95\\", "\x82\n", "\xe9<", "\x81&", "\x83\"",
      "\xff\t", "#define A(x) x", "\"a\\\\\"", "'\\''",
      // UTF-8: whole sequences of two to four bytes, and broken ones
      "\xc3\xa9", "\xe3\x81\x82", "\xf0\x9f\x98\x80", "\xe3\x81", "\xf0\x9f", "\xed\xa0\x80", "\xc0\xaf",
      "\xe0\x80\x80", "\xf4\x90\x80\x80", "\xbf",
      // The modern reading: raw literals, numbers, literals cut at a line feed
      "R\"(", ")\"", "u8R\"x(", ")x\"", "LR\"", "(", ")", "1'000", "0x1e+1", ".5e-3f", "''", "e", "+", ".",
      "R", "nullptr", "constexpr", "\"a\n", "'\\\n",
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

std::vector<Options> all_modes() {
  std::vector<Options> modes;
  for (bool line_numbers : {false, true}) {
    for (bool no_pre : {false, true}) {
      for (bool utf8 : {false, true}) {
        for (bool modern : {false, true}) {
          for (std::uint32_t width : {1u, 4u, 7u, 99u}) {
            modes.push_back(make_options(line_numbers, no_pre, width, utf8, modern));
          }
        }
      }
    }
  }
  return modes;
}

std::string describe(const Options& o) {
  return std::string(o.line_numbers ? "-l " : "") + (o.no_pre ? "-p " : "") + (o.utf8 ? "-u " : "") +
         (o.modern ? "-m " : "") + "-t" + std::to_string(o.tab_width);
}

