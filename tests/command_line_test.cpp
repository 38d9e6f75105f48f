#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ParseUnsigned, ReadsLikeTheScanConversion) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> value;
  } cases[] = {
      {"8", 8u},
      {"99", 99u},
      {"+8", 8u},
      {"8x", 8u},                        // characters after the digits are ignored
      {" \t\n\v\f\r8", 8u},              // leading white space is skipped
      {"007", 7u},
      {"-1", 4294967295u},               // negated modulo 2^32
      {"-0", 0u},
      {"4294967295", 4294967295u},
      {"4294967296", 0u},                // wraps modulo 2^32 instead of saturating
      {"4294967297", 1u},
      {"99999999999999999999", 1661992959u},
      {"", std::nullopt},
      {"x", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {"- 1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, parse_unsigned(c.text)) << '"' << c.text << '"';
}

}  // namespace
