// The real program, run as a user runs it: arguments, messages on standard
// error, exit status, and which files exist afterwards with what content.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "element_kinds.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const std::string kUsageText = kUsage;
const std::string kHelp = std::string(kVersionLine) + kUsage;
const std::string kNoInput = std::string(kNoInputFile) + "\n" + kUsage;
const std::string kSource = "1 < 2\n";
const std::string kConverted = markup_of("<pre><code>1 &lt; 2\n</code></pre>");

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { dir.write("in.c", kSource); }
  RunResult run(const std::vector<std::string>& args) { return run_colorune(args, dir.path()); }
  bool exists(const std::string& name) const { return fs::exists(dir.path() / name); }
  std::string content(const std::string& name) const { return read_file(dir.path() / name); }
  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  ScratchDir dir;
};

TEST_F(EndToEnd, MessagesAndExitStatuses) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    std::string out;
  } cases[] = {
      {{}, 1, kNoInput, ""},
      {{"-l"}, 1, kNoInput, ""},
      {{"-h"}, 1, kHelp, ""},
      {{"-HELP"}, 1, kHelp, ""},
      {{"in.c", "-h", "-x"}, 1, kHelp, ""},            // parsing stops at -h
      {{"in.c", "-o", "-h"}, 1, kOutputOptionMisused, ""},
      {{"-o", "-l", "in.c"}, 1, kOutputOptionMisused, ""},
      {{"-o", "-", "in.c"}, 1, kOutputOptionMisused, ""},
      {{"missing.c"}, 1, kInputOpenFailed, ""},
      {{""}, 1, kInputOpenFailed, ""},                 // an empty name is a file name
      {{"in.c", "missing.c"}, 1, kInputOpenFailed, ""},
      {{"in.c", "-o", ""}, 1, kOutputOpenFailed, ""},
      {{"in.c", "-o", "no/such/dir/out.html"}, 1, kOutputOpenFailed, ""},
      {{"in.c", "-t"}, 1, kTabOptionMisused, ""},
      {{"in.c", "-tx"}, 1, kTabOptionMisused, ""},
      {{"in.c", "-t0"}, 1, kTabWidthOutOfRange, ""},
      {{"in.c", "-t100"}, 1, kTabWidthOutOfRange, ""},
      {{"in.c", "-t-1"}, 1, kTabWidthOutOfRange, ""},
      {{"in.c", "-t4294967296"}, 1, kTabWidthOutOfRange, ""},
      {{"in.c", "-t0", "-t4"}, 1, kTabWidthOutOfRange, ""},
      {{"in.c"}, 0, "", kConverted},
      {{"in.c", "-o"}, 0, "", kConverted},             // -o still waiting at the end
      {{"-x", "in.c", "-"}, 0, std::string(kUnknownOptionIgnored) + kUnknownOptionIgnored, kConverted},
      {{"-x", "missing.c"}, 1, std::string(kUnknownOptionIgnored) + kInputOpenFailed, ""},
      {{"in.c", "-t1"}, 0, "", kConverted},
      {{"in.c", "-t99"}, 0, "", kConverted},
  };
  for (const auto& c : cases) {
    std::string label;
    for (const std::string& a : c.args) label += "[" + a + "] ";
    const RunResult result = run(c.args);
    EXPECT_EQ(c.status, result.status) << label;
    EXPECT_EQ(c.err, result.err) << label;
    EXPECT_EQ(c.out, result.out) << label;
  }
}

TEST_F(EndToEnd, OptionSpellings) {
  dir.write("tabs.c", "\t1\n");
  const struct {
    std::vector<std::string> args;
    std::string kinds;  // the output, its elements written as their kinds
    bool styled;        // -s
  } cases[] = {
      {{"tabs.c"}, "<pre><code>    1\n</code></pre>", false},
      {{"tabs.c", "-T8"}, "<pre><code>        1\n</code></pre>", false},
      {{"tabs.c", "-t+2"}, "<pre><code>  1\n</code></pre>", false},
      {{"tabs.c", "-t3x"}, "<pre><code>   1\n</code></pre>", false},
      {{"tabs.c", "-t4294967297"}, "<pre><code> 1\n</code></pre>", false},  // 2^32 + 1 wraps to 1
      {{"-P", "tabs.c", "-t2"}, "<code>&nbsp;&nbsp;1<br>\n</code>", false},
      {{"-lines", "tabs.c"}, "<pre><code><lineno>  1: </lineno>    1\n<lineno>  2: </lineno></code></pre>", false},
      {{"-L", "-p", "tabs.c", "-t1"},
       "<code><lineno>&nbsp;&nbsp;1: </lineno>&nbsp;1<br>\n<lineno>&nbsp;&nbsp;2: </lineno></code>", false},
      {{"-S", "tabs.c", "-p"}, "<code>&nbsp;&nbsp;&nbsp;&nbsp;1<br>\n</code>", true},
      {{"-style", "-l", "tabs.c"}, "<pre><code><lineno>  1: </lineno>    1\n<lineno>  2: </lineno></code></pre>", true},
  };
  for (const auto& c : cases) {
    const RunResult result = run(c.args);
    EXPECT_EQ(0, result.status) << c.args[0];
    EXPECT_EQ("", result.err);
    EXPECT_EQ(markup_of(c.kinds, c.styled), result.out);
  }
}

TEST_F(EndToEnd, Utf8Option) {
  // "あ" (three bytes) then a tab: read as UTF-8 the tab stands at column 1; by
  // default its last byte pairs with the tab.
  dir.write("utf8.c", "\xe3\x81\x82\t|");
  for (const char* spelling : {"-u", "-U", "-utf8"}) {
    const RunResult result = run({spelling, "utf8.c"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(markup_of("<pre><code>\xe3\x81\x82   |</code></pre>"), result.out) << spelling;
  }
  EXPECT_EQ(markup_of("<pre><code>\xe3\x81\x82\t|</code></pre>"), run({"utf8.c"}).out);
}

TEST_F(EndToEnd, LaterArgumentsOverrideEarlierOnes) {
  dir.write("b.c", "2\n");
  RunResult result = run({"in.c", "b.c"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(markup_of("<pre><code>2\n</code></pre>"), result.out);

  result = run({"-o", "a.html", "in.c", "-o", "b.html"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_FALSE(exists("a.html"));  // only the last name is ever opened
  EXPECT_EQ(kConverted, content("b.html"));

  result = run({"in.c", "-o", "c.html", "-o"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(kConverted, content("c.html"));
}

TEST_F(EndToEnd, FailedRunsLeaveFilesAlone) {
  dir.write("old.html", "keep");
  const std::vector<std::vector<std::string>> runs = {
      {"-oold.html", "in.c"},           // in.c is taken as the output name: M7
      {"-o", "old.html", "missing.c"},  // M1
      {"-o", "old.html", "in.c", "-h"},
      {"-o", "old.html", "in.c", "-t0"},
      {"-o", "old.html", "-o", "-l"},
      {"-o", "new.html", "in.c", "-t"},
  };
  for (const auto& args : runs) {
    EXPECT_EQ(1, run(args).status) << args[0] << " " << args[1];
    EXPECT_EQ(kSource, content("in.c"));
    EXPECT_EQ("keep", content("old.html"));
    EXPECT_FALSE(exists("new.html"));
  }
  EXPECT_EQ(kNoInput, run({"-oold.html", "in.c"}).err);
}

TEST_F(EndToEnd, RefusesToWriteOverTheInput) {
  fs::create_symlink("in.c", dir.path() / "link.c");
  fs::create_hard_link(dir.path() / "in.c", dir.path() / "hard.c");
  fs::create_directory(dir.path() / "sub");
  const std::vector<std::vector<std::string>> runs = {
      {"in.c", "-o", "in.c"},
      {"-o", "in.c", "in.c"},
      {"in.c", "-o", "./sub/../in.c"},
      {"in.c", "-o", "link.c"},
      {"link.c", "-o", "in.c"},
      {"in.c", "-o", "hard.c"},
  };
  for (const auto& args : runs) {
    const RunResult result = run(args);
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(kOutputIsInput, result.err);
    EXPECT_EQ(kSource, content("in.c"));
  }
}

TEST_F(EndToEnd, StandardOutputOverTheInputIsRefused) {
  // Appending to the input would read the output back without end; an input
  // the shell has emptied already converts to an empty frame.
  const struct {
    std::string script;
    int status;
    std::string err;
    std::string input_after;
  } cases[] = {
      {"\"$colorune\" in.c >> in.c", 1, kOutputIsInput, kSource},
      {"\"$colorune\" in.c 1<> in.c", 1, kOutputIsInput, kSource},
      {"\"$colorune\" in.c > in.c", 0, "", markup_of("<pre><code></code></pre>")},
  };
  for (const auto& c : cases) {
    dir.write("in.c", kSource);
    const RunResult result = run_shell(c.script, dir.path());
    EXPECT_EQ(c.status, result.status) << c.script;
    EXPECT_EQ(c.err, result.err) << c.script;
    EXPECT_EQ(c.input_after, content("in.c")) << c.script;
  }
}

TEST_F(EndToEnd, FailuresLeaveTheOutputFileAsItWas) {
  dir.write("big.c", std::string(8192, 'x'));
  const std::set<std::string> files = {"big.c", "in.c", "old.html"};
  const struct {
    std::string script;
    std::string err;
  } cases[] = {
      // /proc/self/mem opens, but its first byte cannot be read.
      {"\"$colorune\" /proc/self/mem -o old.html", kInputReadFailed},
      // Past the file size limit (2 blocks of 512 bytes), its signal ignored:
      // the write fails part-way.
      {"trap '' XFSZ; ulimit -f 2; \"$colorune\" big.c -o old.html", kOutputWriteFailed},
      // The same, killed by the signal.
      {"ulimit -f 2; exec \"$colorune\" big.c -o old.html", ""},
  };
  for (const auto& c : cases) {
    dir.write("old.html", "keep");
    const RunResult result = run_shell(c.script, dir.path());
    EXPECT_NE(0, result.status) << c.script;
    EXPECT_EQ(c.err, result.err) << c.script;
    EXPECT_EQ("keep", content("old.html")) << c.script;
    EXPECT_EQ(files, listing()) << c.script;  // no temporary file is left
  }
}

TEST_F(EndToEnd, ReplacesTheFileALinkPointsToAndKeepsItsMode) {
  dir.write("old.html", "keep");
  fs::permissions(dir.path() / "old.html", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("old.html", dir.path() / "link.html");
  const RunResult result = run({"in.c", "-o", "link.html"});
  EXPECT_EQ(0, result.status);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.html"));
  EXPECT_EQ(kConverted, content("old.html"));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
            fs::status(dir.path() / "old.html").permissions());
  EXPECT_EQ((std::set<std::string>{"in.c", "link.html", "old.html"}), listing());
}

TEST_F(EndToEnd, ReadAndWriteFailuresAreReported) {
  RunResult result = run({"/proc/self/mem"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(kInputReadFailed, result.err);

  result = run({"in.c", "-o", "/dev/full"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(kOutputWriteFailed, result.err);

  result = run({"/proc/self/mem", "-o", "/dev/full"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(std::string(kInputReadFailed) + kOutputWriteFailed, result.err);

  result = run_colorune({"in.c"}, dir.path(), /*close_stdout=*/true);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(kOutputWriteFailed, result.err);
  EXPECT_EQ(kSource, content("in.c"));
}

TEST_F(EndToEnd, WritesTheOutputFile) {
  dir.write("sjis.c", "\x82\xa0\x95\\\n\x82");  // ends in a lone lead byte
  const RunResult result = run({"sjis.c", "-o", "out.html"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(markup_of("<pre><code>\x82\xa0\x95\\\n\x82</code></pre>"), content("out.html"));
}

}  // namespace
