// Character-level output: escaping, tabs, no-pre mode, two-byte characters and
// line-number prefixes. The input holds no letters, quotes, slashes or "#", so
// every character goes through the plain branch of the scan loop.

#include <gtest/gtest.h>

#include <string>

#include "highlight.h"

namespace {

struct Case {
  const char* name;
  std::string input;
  Options options;
  std::string body;  // expected output inside the frame
};

const Options kPre = make_options(false, false);
const Options kNoPre = make_options(false, true);

TEST(Emitter, WritesEachCharacterAsHtmlText) {
  const Case cases[] = {
      {"markup is escaped", "1<2 && 3>2", kPre, "1&lt;2 &amp;&amp; 3&gt;2"},
      {"no-pre spaces", "1<2 && 3>2", kNoPre, "1&lt;2&nbsp;&amp;&amp;&nbsp;3&gt;2"},
      {"control bytes pass through", "\x01\x1b\x7f", kPre, "\x01\x1b\x7f"},
      {"NUL passes through", std::string("1\0" "2", 3), kPre, std::string("1\0" "2", 3)},
      {"tab at column 0", "\t1", kPre, "    1"},
      {"tab at column 6", "123456\t1", kPre, "123456  1"},
      {"tab at a tab stop", "1234\t1", kPre, "1234    1"},
      {"tab width 8", "12\t1", make_options(false, false, 8), "12      1"},
      {"tab width 1", "\t\t", make_options(false, false, 1), "  "},
      {"tab in no-pre", "1\t", kNoPre, "1&nbsp;&nbsp;&nbsp;"},
      {"column restarts after a line feed", "12\n\t", kPre, "12\n    "},
      {"line feed in no-pre", "1\n2", kNoPre, "1<br>\n2"},
      {"carriage return kept", "1\r\n", kNoPre, "1\r<br>\n"},
      {"two-byte character", "\x82\xa0", kPre, "\x82\xa0"},
      {"two-byte character is one column", "\x82\xa0\t", kPre, "\x82\xa0   "},
      {"second byte backslash raw", "\x95\\", kPre, "\x95\\"},
      {"second byte space raw in no-pre", "\x82 ", kNoPre, "\x82 "},
      {"second byte tab is not expanded", "\x82\t\t", kPre, "\x82\t   "},
      {"second byte < escaped", "\xe9<", kPre, "\xe9&lt;"},
      {"second byte > and & escaped", "\xe9>\xe9&", kPre, "\xe9&gt;\xe9&amp;"},
      {"second byte NUL written", std::string("\x82\0", 2), kPre, std::string("\x82\0", 2)},
      {"lone byte at the end", "1\x82", kPre, "1\x82"},
      {"lone byte is the whole input", "\xff", kPre, "\xff"},
      {"pairs run to an odd end", "\x82\xa0\x82", kPre, "\x82\xa0\x82"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(framed(c.body, c.options), highlighted(c.input, c.options)) << c.name;
  }
}

TEST(Emitter, SecondByteLineFeedDoesNotStartALine) {
  // The line feed belongs to the two-byte character: no <br>, no prefix, and the
  // column goes on counting (the tab after it is at column 1).
  const Options options = make_options(true, true);
  EXPECT_EQ(framed("\x82\n&nbsp;&nbsp;&nbsp;", options), highlighted("\x82\n\t", options));
}

TEST(Emitter, FrameOfEmptyInput) {
  EXPECT_EQ("<pre><code></code></pre>", highlighted("", kPre));
  EXPECT_EQ("<code></code>", highlighted("", kNoPre));
  EXPECT_EQ("<pre><code><lineno>  1: </lineno></code></pre>",
            highlighted("", make_options(true, false)));
  EXPECT_EQ("<code><lineno>&nbsp;&nbsp;1: </lineno></code>",
            highlighted("", make_options(true, true)));
}

TEST(Emitter, NoLineFeedIsAdded) {
  EXPECT_EQ("<pre><code>1;</code></pre>", highlighted("1;"));
  EXPECT_EQ("<pre><code>1;\n</code></pre>", highlighted("1;\n"));
}

TEST(Emitter, LineNumbersAreRightAlignedInThreePlaces) {
  const struct {
    unsigned line;
    const char* pre;
    const char* no_pre;
  } cases[] = {
      {1, "  1", "&nbsp;&nbsp;1"},  {9, "  9", "&nbsp;&nbsp;9"},  {10, " 10", "&nbsp;10"},
      {99, " 99", "&nbsp;99"},      {100, "100", "100"},           {999, "999", "999"},
      {1000, "1000", "1000"},       {1001, "1001", "1001"},
  };
  const std::string input(1000, '\n');  // 1000 line feeds: lines 1 to 1001
  const std::string pre = highlighted(input, make_options(true, false));
  const std::string no_pre = highlighted(input, make_options(true, true));
  for (const auto& c : cases) {
    const std::string line = std::to_string(c.line);
    EXPECT_NE(std::string::npos, pre.find(std::string("<lineno>") + c.pre + ": </lineno>")) << line;
    EXPECT_NE(std::string::npos, no_pre.find(std::string("<lineno>") + c.no_pre + ": </lineno>"))
        << line;
  }
  // Each line feed is followed at once by the next line's prefix, and the last
  // prefix names the empty line after the final line feed.
  EXPECT_NE(std::string::npos, pre.find("\n<lineno> 10: </lineno>\n"));
  EXPECT_NE(std::string::npos, no_pre.find("<br>\n<lineno>&nbsp;10: </lineno><br>\n"));
  EXPECT_TRUE(pre.ends_with("\n<lineno>1001: </lineno></code></pre>"));
}

TEST(Emitter, StreamsPastTheBufferSizes) {
  // More than the reader's 64 KiB buffer and, escaped, the writer's 1 MiB, with
  // a two-byte character whose bytes fall on both sides of the reader's first
  // refill.
  const std::string input = std::string(65535, '<') + "\x82\xa0" + std::string(300000, '&');
  std::string expected;
  for (int i = 0; i < 65535; ++i) expected += "&lt;";
  expected += "\x82\xa0";
  for (int i = 0; i < 300000; ++i) expected += "&amp;";
  EXPECT_EQ(framed(expected), highlighted(input));
}

}  // namespace
