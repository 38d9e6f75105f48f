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

const std::string kKw = "<strong class=\"keyword\">";
const std::string kKwEnd = "</strong>";
const std::string kCom = "<em class=\"comment\">";
const std::string kStr = "<em class=\"string\">";
const std::string kEm = "</em>";
const std::string kPp = "<span class=\"preprocessor\">";
const std::string kSpan = "</span>";

std::string kw(const std::string& word) { return kKw + word + kKwEnd; }

void expect_all(const std::vector<Case>& cases, const Options& options = {}) {
  for (const Case& c : cases) EXPECT_EQ(framed(c.body, options), highlight(c.input, options)) << c.input;
}

TEST(ScanLoop, WorkedExampleWithLineNumbers) {
  EXPECT_EQ(
      "<pre><code><span class=\"lineno\">  1: </span><strong class=\"keyword\">int</strong> x; "
      "<em class=\"comment\">// hi\n<span class=\"lineno\">  2: </span></em></code></pre>",
      highlight("int x; // hi\n", make_options(true, false)));
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
      {"a /* b */ c", "a " + kCom + "/* b */" + kEm + " c"},
      {"/**/x", kCom + "/**/" + kEm + "x"},
      {"/*/ x */", kCom + "/*/ x */" + kEm},
      {"/* a /* b */ c */", kCom + "/* a /* b */" + kEm + " c */"},
      {"/* int <&> */", kCom + "/* int &lt;&amp;&gt; */" + kEm},
      {"/* open", kCom + "/* open" + kEm},
      {"/*", kCom + "/*" + kEm},
      {"/* *\x82/ */", kCom + "/* *\x82/ */" + kEm},             // "/" after a lead byte is its partner
      {"/* \x82* / */", kCom + "/* \x82* / */" + kEm},           // the "*" inside a pair is not prev
      {"// a\nint", kCom + "// a\n" + kEm + kw("int")},
      {"// a\\\nb\nc", kCom + "// a\\\nb\n" + kEm + "c"},
      {"// a\\\\\nb\nc", kCom + "// a\\\\\nb\n" + kEm + "c"},
      {"// \x95\\\nint", kCom + "// \x95\\\n" + kEm + kw("int")},  // 表: its backslash is no escape
      {"// end", kCom + "// end" + kEm},
      {"//", kCom + "//" + kEm},
      {"x / y", "x / y"},
      {"a/b", "a/b"},
      {"/\"s\"", "/" + kStr + "\"s\"" + kEm},
      {"/", "/"},
      {"//*x*/\n", kCom + "//*x*/\n" + kEm},
      {"/*//*/", kCom + "/*//*/" + kEm},
  });
}

TEST(ScanLoop, Literals) {
  expect_all({
      {"'a'", kStr + "'a'" + kEm},
      {"'\\''", kStr + "'\\''" + kEm},
      {"\"a\\\\\" b", kStr + "\"a\\\\\"" + kEm + " b"},
      {"\"a\\\"b\"", kStr + "\"a\\\"b\"" + kEm},
      {"\"<&>\"", kStr + "\"&lt;&amp;&gt;\"" + kEm},
      {"\"it's\"", kStr + "\"it's\"" + kEm},
      {"'\"'", kStr + "'\"'" + kEm},
      {"\"int /* no */ // no\"", kStr + "\"int /* no */ // no\"" + kEm},
      {"\"a\nb\nc\" x", kStr + "\"a\nb\nc\"" + kEm + " x"},
      {"\"open", kStr + "\"open" + kEm},
      {"'", kStr + "'" + kEm},
      {"\"\x95\\\"x", kStr + "\"\x95\\\"" + kEm + "x"},      // 表 ends in 0x5C: no escape
      {"'\x83\\'", kStr + "'\x83\\'" + kEm},                // ソ
      {"\"\x94\\\\\"", kStr + "\"\x94\\\\\"" + kEm},        // 能 then a real backslash escaping the quote
      {"\"\x82\"\"", kStr + "\"\x82\"\"" + kEm},            // the quote after a lead byte is its partner
      {"\"a\"\"b\"", kStr + "\"a\"" + kEm + kStr + "\"b\"" + kEm},
  });
}

TEST(ScanLoop, LiteralsAndCommentsOverLinesCarryTheirPrefixes) {
  const Options options = make_options(true, false);
  expect_all({{"\"a\nb\nc\"", kStr + "\"a\n<span class=\"lineno\">  2: </span>b\n<span class=\"lineno\">  3: "
                                      "</span>c\"" + kEm},
              {"\n\n// x\n", "\n<span class=\"lineno\">  2: </span>\n<span class=\"lineno\">  3: </span>" + kCom +
                                "// x\n<span class=\"lineno\">  4: </span>" + kEm}},
             options);
}

TEST(ScanLoop, Directives) {
  expect_all({
      {"#include <stdio.h>\n", kPp + "#include &lt;stdio.h&gt;\n" + kSpan},
      {"#define N 10 // count\nint x;\n", kPp + "#define N 10 " + kCom + "// count\n" + kEm + kSpan + kw("int") +
                                               " x;\n"},
      {"#define A /* one\ntwo */ 1\nx", kPp + "#define A " + kCom + "/* one\ntwo */" + kEm + " 1\n" + kSpan + "x"},
      {"#define B \\\n  2\nx", kPp + "#define B \\\n  2\n" + kSpan + "x"},
      {"#define C \\/* c */\n  3\nx", kPp + "#define C \\" + kCom + "/* c */" + kEm + "\n  3\n" + kSpan + "x"},
      {"#define URL \"a//b\"\nx", kPp + "#define URL \"a" + kCom + "//b\"\n" + kEm + kSpan + "x"},
      {"#define Q '\nx", kPp + "#define Q '\n" + kSpan + "x"},                 // quotes mean nothing
      {"#if a/b\n", kPp + "#if a/b\n" + kSpan},
      {"#if a/ /b\n", kPp + "#if a/ /b\n" + kSpan},
      {"#if a//\n", kPp + "#if a" + kCom + "//\n" + kEm + kSpan},
      {"#x /", kPp + "#x /" + kSpan},                                          // a lone "/" at the end
      {"#x /* open", kPp + "#x " + kCom + "/* open" + kEm + kSpan},
      {"#x /**//**/\n", kPp + "#x " + kCom + "/**/" + kEm + kCom + "/**/" + kEm + "\n" + kSpan},
      {"#", kPp + "#" + kSpan},
      {"#endif", kPp + "#endif" + kSpan},
      {"a # b\n", "a " + kPp + "# b\n" + kSpan},
      {"#a\n#b\n", kPp + "#a\n" + kSpan + kPp + "#b\n" + kSpan},
      {"#error \x95\\\nint", kPp + "#error \x95\\\n" + kSpan + kw("int")},      // 表 does not continue it
      {"#define D \\\\\nx", kPp + "#define D \\\\\nx" + kSpan},            // only the last backslash counts
  });
}

TEST(ScanLoop, DirectiveEndingTheFileWithLineNumbers) {
  EXPECT_EQ("<pre><code><span class=\"lineno\">  1: </span><span class=\"preprocessor\">#endif\n"
            "<span class=\"lineno\">  2: </span></span></code></pre>",
            highlight("#endif\n", make_options(true, false)));
  EXPECT_EQ("<code><span class=\"lineno\">&nbsp;&nbsp;1: </span><span class=\"preprocessor\">#if&nbsp;X<br>\n"
            "<span class=\"lineno\">&nbsp;&nbsp;2: </span></span></code>",
            highlight("#if X\n", make_options(true, true)));
}

}  // namespace
