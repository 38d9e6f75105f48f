// Reading UTF-8 (-u): a well-formed sequence is one character of one column;
// any other byte stands alone; no ASCII byte is ever taken into a character.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "highlight.h"

namespace {

const Options kUtf8 = make_options(false, false, 4, true);
const std::string kCom = "<comment>";
const std::string kComEnd = "</comment>";
const std::string kStr = "<string>";
const std::string kStrEnd = "</string>";
const std::string kPp = "<preprocessor>";

struct Case {
  std::string input;
  std::string body;
};

void expect_all(const std::vector<Case>& cases, const Options& options) {
  for (const Case& c : cases) EXPECT_EQ(framed(c.body, options), highlighted(c.input, options)) << c.input;
}

// One character each of one, two, three and four bytes.
const std::vector<std::string> kCharacters = {"a", "\xc3\xa9", "\xe3\x81\x82", "\xf0\x9f\x98\x80"};

TEST(Utf8, CharactersBeforeSyntaxLeaveItAlone) {
  // Odd and even counts of each character directly before a line feed, a quote,
  // "*/" and a backslash: the syntax after them is always seen.
  for (const std::string& ch : kCharacters) {
    for (int count : {1, 2, 3}) {
      std::string run;
      for (int i = 0; i < count; ++i) run += ch;
      expect_all({{"// " + run + "\nx", kCom + "// " + run + "\n" + kComEnd + "x"},
                  {"\"" + run + "\"x", kStr + "\"" + run + "\"" + kStrEnd + "x"},
                  {"'" + run + "'x", kStr + "'" + run + "'" + kStrEnd + "x"},
                  {"/* " + run + "*/x", kCom + "/* " + run + "*/" + kComEnd + "x"},
                  {"// " + run + "\\\nx\ny", kCom + "// " + run + "\\\nx\n" + kComEnd + "y"},
                  {"\"" + run + "\\\"\"x", kStr + "\"" + run + "\\\"\"" + kStrEnd + "x"},
                  {"#define S \"" + run + "\"\nx", kPp + "#define S \"" + run + "\"\n</preprocessor>x"}},
                 kUtf8);
    }
  }
}

TEST(Utf8, EachCharacterIsOneColumn) {
  expect_all({{"\xc3\xa9\t|", "\xc3\xa9   |"},
              {"\xe3\x81\x82\xe3\x81\x84\t|", "\xe3\x81\x82\xe3\x81\x84  |"},
              {"\xf0\x9f\x98\x80\t|", "\xf0\x9f\x98\x80   |"},
              {"\xe3\x81\t|", "\xe3\x81  |"},  // a cut sequence: two characters of one byte
              {"\xff\xfe\t|", "\xff\xfe  |"}},
             kUtf8);
}

TEST(Utf8, BytesThatStartNoCompleteSequenceStandAlone) {
  expect_all({
                 {"// \xe3\x81\nx", kCom + "// \xe3\x81\n" + kComEnd + "x"},       // cut short by the line feed
                 {"// \xe3\nx", kCom + "// \xe3\n" + kComEnd + "x"},
                 {"\"\xf0\x9f\x98\"x", kStr + "\"\xf0\x9f\x98\"" + kStrEnd + "x"},  // cut short by the quote
                 {"\"\xc3\\\"x", kStr + "\"\xc3\\\"x" + kStrEnd},                   // the backslash escapes the quote
                 {"/* \xe3*/x", kCom + "/* \xe3*/" + kComEnd + "x"},
                 {"\xc3<", "\xc3&lt;"},                                       // the "<" is a character of its own
                 {"\xc3" "int", "\xc3<keyword>int</keyword>"},
                 {"\x80\xbf", "\x80\xbf"},                                     // stray continuation bytes
                 {"\xc0\xaf/", "\xc0\xaf/"},                                   // overlong "/"
                 {"\xe0\x80\xaf", "\xe0\x80\xaf"},                             // overlong, three bytes
                 {"\xed\xa0\x80", "\xed\xa0\x80"},                             // a surrogate
                 {"\xf4\x90\x80\x80", "\xf4\x90\x80\x80"},                     // past U+10FFFF
                 {"\xf5\x80\x80\x80", "\xf5\x80\x80\x80"},
                 {"x\xe3\x81", "x\xe3\x81"},                                   // cut short by end of input
                 {"\xf0", "\xf0"},
             },
             kUtf8);
  // The same bytes with line numbers: a line feed after a broken sequence still
  // starts a line.
  EXPECT_EQ(framed("\xe3\x81\n<lineno>  2: </lineno>\xf0\x9f\n<lineno>  3: </lineno>",
                   make_options(true, false, 4, true)),
            highlighted("\xe3\x81\n\xf0\x9f\n", make_options(true, false, 4, true)));
}

TEST(Utf8, DefaultReadingIsUnchanged) {
  // Without -u the byte after a lead byte is its partner, line feed included.
  EXPECT_EQ(framed(kCom + "// \xe3\x81\x82\nx" + kComEnd), highlighted("// \xe3\x81\x82\nx"));
  EXPECT_EQ(framed(kCom + "// \xe3\x81\x82\nx\n" + kComEnd), highlighted("// \xe3\x81\x82\nx\n"));
}

}  // namespace
