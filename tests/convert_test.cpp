// The scan loop and its scanners: words, comments, literals and directives,
// each with its way in and its ways out (closing delimiter, line feed, end of
// input).

#include <gtest/gtest.h>

#include <string>

#include "highlight.h"

namespace {

struct Case {
  std::string input;
  std::string body;  // expected output inside the frame
};

const std::string kKw = "<keyword>";
const std::string kKwEnd = "</keyword>";
const std::string kCom = "<comment>";
const std::string kComEnd = "</comment>";
const std::string kStr = "<string>";
const std::string kStrEnd = "</string>";
const std::string kPp = "<preprocessor>";
const std::string kPpEnd = "</preprocessor>";

std::string kw(const std::string& word) { return kKw + word + kKwEnd; }

void expect_all(const std::vector<Case>& cases, const Options& options = {}) {
  for (const Case& c : cases) EXPECT_EQ(framed(c.body, options), highlighted(c.input, options)) << c.input;
}

TEST(ScanLoop, WorkedExampleWithLineNumbers) {
  EXPECT_EQ(
      "<pre><code><lineno>  1: </lineno><keyword>int</keyword> x; "
      "<comment>// hi\n<lineno>  2: </lineno></comment></code></pre>",
      highlighted("int x; // hi\n", make_options(true, false)));
}

TEST(ScanLoop, Words) {
  expect_all({
      {"int", kw("int")},
      {"Int integer _int int2", "Int integer _int int2"},
      {"wchar_t reinterpret_cast dynamic_cast export", kw("wchar_t") + " " + kw("reinterpret_cast") + " " +
                                                           kw("dynamic_cast") + " export"},
      {"unsigned long", kw("unsigned") + " " + kw("long")},
      {"a_b1", "a_b1"},
      {"1abc", "1abc"},
      {"0x1F 1e10", "0x1F 1e10"},
      {"2if", std::string("2") + kw("if")},  // the digit is written plain, then a word starts
      {"x = 10;", "x = 10;"},
      {"if(a<b)return;", kw("if") + "(a&lt;b)" + kw("return") + ";"},
      {"int\x82\xa0int", kw("int") + "\x82\xa0" + kw("int")},  // a two-byte character ends a word
      {"\x82int", "\x82i" "nt"},                             // the "i" is the lead byte's partner
      {"\x82" "aint", std::string("\x82" "a") + kw("int")},
      {std::string(300, 'q'), std::string(300, 'q')},
      {"int", kw("int")},
  });
}

TEST(ScanLoop, LongWordsAreCutAt255Characters) {
  const std::string run(255, 'a');
  expect_all({
      {run + "int", run + kw("int")},               // the piece after the cut is a word of its own
      {run + "9int", run + "9" + kw("int")},        // a digit after the cut is written plain
      {std::string(254, 'a') + "int", std::string(254, 'a') + "int"},
      {std::string(510, 'b') + "do", std::string(510, 'b') + kw("do")},
  });
}

TEST(ScanLoop, Comments) {
  expect_all({
      {"a /* b */ c", "a " + kCom + "/* b */" + kComEnd + " c"},
      {"/**/x", kCom + "/**/" + kComEnd + "x"},
      {"/*/ x */", kCom + "/*/ x */" + kComEnd},
      {"/* a /* b */ c */", kCom + "/* a /* b */" + kComEnd + " c */"},
      {"/* int <&> */", kCom + "/* int &lt;&amp;&gt; */" + kComEnd},
      {"/* open", kCom + "/* open" + kComEnd},
      {"/*", kCom + "/*" + kComEnd},
      {"/* *\x82/ */", kCom + "/* *\x82/ */" + kComEnd},             // "/" after a lead byte is its partner
      {"/* \x82* / */", kCom + "/* \x82* / */" + kComEnd},           // the "*" inside a pair is not prev
      {"// a\nint", kCom + "// a\n" + kComEnd + kw("int")},
      {"// a\\\nb\nc", kCom + "// a\\\nb\n" + kComEnd + "c"},
      {"// a\\\\\nb\nc", kCom + "// a\\\\\nb\n" + kComEnd + "c"},
      {"// \x95\\\nint", kCom + "// \x95\\\n" + kComEnd + kw("int")},  // 表: its backslash is no escape
      {"// end", kCom + "// end" + kComEnd},
      {"//", kCom + "//" + kComEnd},
      {"x / y", "x / y"},
      {"a/b", "a/b"},
      {"/\"s\"", "/" + kStr + "\"s\"" + kStrEnd},
      {"/", "/"},
      {"//*x*/\n", kCom + "//*x*/\n" + kComEnd},
      {"/*//*/", kCom + "/*//*/" + kComEnd},
  });
}

TEST(ScanLoop, Literals) {
  expect_all({
      {"'a'", kStr + "'a'" + kStrEnd},
      {"'\\''", kStr + "'\\''" + kStrEnd},
      {"\"a\\\\\" b", kStr + "\"a\\\\\"" + kStrEnd + " b"},
      {"\"a\\\"b\"", kStr + "\"a\\\"b\"" + kStrEnd},
      {"\"<&>\"", kStr + "\"&lt;&amp;&gt;\"" + kStrEnd},
      {"\"it's\"", kStr + "\"it's\"" + kStrEnd},
      {"'\"'", kStr + "'\"'" + kStrEnd},
      {"\"int /* no */ // no\"", kStr + "\"int /* no */ // no\"" + kStrEnd},
      {"\"a\nb\nc\" x", kStr + "\"a\nb\nc\"" + kStrEnd + " x"},
      {"\"open", kStr + "\"open" + kStrEnd},
      {"'", kStr + "'" + kStrEnd},
      {"\"\x95\\\"x", kStr + "\"\x95\\\"" + kStrEnd + "x"},      // 表 ends in 0x5C: no escape
      {"'\x83\\'", kStr + "'\x83\\'" + kStrEnd},                // ソ
      {"\"\x94\\\\\"", kStr + "\"\x94\\\\\"" + kStrEnd},        // 能 then a real backslash escaping the quote
      {"\"\x82\"\"", kStr + "\"\x82\"\"" + kStrEnd},            // the quote after a lead byte is its partner
      {"\"a\"\"b\"", kStr + "\"a\"" + kStrEnd + kStr + "\"b\"" + kStrEnd},
  });
}

TEST(ScanLoop, LiteralsAndCommentsOverLinesCarryTheirPrefixes) {
  const Options options = make_options(true, false);
  expect_all({{"\"a\nb\nc\"", kStr + "\"a\n<lineno>  2: </lineno>b\n<lineno>  3: "
                                      "</lineno>c\"" + kStrEnd},
              {"\n\n// x\n", "\n<lineno>  2: </lineno>\n<lineno>  3: </lineno>" + kCom +
                                "// x\n<lineno>  4: </lineno>" + kComEnd}},
             options);
}

TEST(ScanLoop, Directives) {
  expect_all({
      {"#include <stdio.h>\n", kPp + "#include &lt;stdio.h&gt;\n" + kPpEnd},
      {"#define N 10 // count\nint x;\n", kPp + "#define N 10 " + kCom + "// count\n" + kComEnd + kPpEnd + kw("int") +
                                               " x;\n"},
      {"#define A /* one\ntwo */ 1\nx", kPp + "#define A " + kCom + "/* one\ntwo */" + kComEnd + " 1\n" + kPpEnd + "x"},
      {"#define B \\\n  2\nx", kPp + "#define B \\\n  2\n" + kPpEnd + "x"},
      {"#define C \\/* c */\n  3\nx", kPp + "#define C \\" + kCom + "/* c */" + kComEnd + "\n  3\n" + kPpEnd + "x"},
      {"#define URL \"a//b\"\nx", kPp + "#define URL \"a" + kCom + "//b\"\n" + kComEnd + kPpEnd + "x"},
      {"#define Q '\nx", kPp + "#define Q '\n" + kPpEnd + "x"},                 // quotes mean nothing
      {"#if a/b\n", kPp + "#if a/b\n" + kPpEnd},
      {"#if a/ /b\n", kPp + "#if a/ /b\n" + kPpEnd},
      {"#if a//\n", kPp + "#if a" + kCom + "//\n" + kComEnd + kPpEnd},
      {"#x /", kPp + "#x /" + kPpEnd},                                          // a lone "/" at the end
      {"#x /* open", kPp + "#x " + kCom + "/* open" + kComEnd + kPpEnd},
      {"#x /**//**/\n", kPp + "#x " + kCom + "/**/" + kComEnd + kCom + "/**/" + kComEnd + "\n" + kPpEnd},
      {"#", kPp + "#" + kPpEnd},
      {"#endif", kPp + "#endif" + kPpEnd},
      {"a # b\n", "a " + kPp + "# b\n" + kPpEnd},
      {"#a\n#b\n", kPp + "#a\n" + kPpEnd + kPp + "#b\n" + kPpEnd},
      {"#error \x95\\\nint", kPp + "#error \x95\\\n" + kPpEnd + kw("int")},      // 表 does not continue it
      {"#define D \\\\\nx", kPp + "#define D \\\\\nx" + kPpEnd},            // only the last backslash counts
  });
}

TEST(ScanLoop, DirectiveEndingTheFileWithLineNumbers) {
  EXPECT_EQ("<pre><code><lineno>  1: </lineno><preprocessor>#endif\n"
            "<lineno>  2: </lineno></preprocessor></code></pre>",
            highlighted("#endif\n", make_options(true, false)));
  EXPECT_EQ("<code><lineno>&nbsp;&nbsp;1: </lineno><preprocessor>#if&nbsp;X<br>\n"
            "<lineno>&nbsp;&nbsp;2: </lineno></preprocessor></code>",
            highlighted("#if X\n", make_options(true, true)));
}

}  // namespace
