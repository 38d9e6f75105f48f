// The -o file as careful editors replace theirs: a failed run touches nothing,
// a successful one changes nothing of the file but its content (inode, links,
// owner, group, mode, ACL), no temporary file outlives the run, and the names of
// standard streams are written through as they stand. Each row sets up a case,
// runs the real program, and checks what is left on disk; rows that need root,
// setfacl or mount are skipped where those are missing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "run_program.h"

namespace {

// Helpers for the rows: meta prints what a replacement must keep (links, mode,
// owner, group, ACL), same_file the inode too, for the cases where the content
// must go into the file in place; cannot_open tells M2 on standard error;
// as_nobody runs a command as an unprivileged user.
const char* const kPrelude = R"sh(
set -u
fail() { echo "FAILED: $*"; exit 1; }
meta() { stat -c '%h %a %u %g' "$1"; getfacl -cp "$1" 2>/dev/null; }
same_file() { stat -c '%i' "$1"; meta "$1"; }
cannot_open() { [ "$(head -c 10 "$1")" = "$(printf '[ERROR] \217o')" ]; }
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
chmod 755 .
printf 'int a;\n' > in.c
page='<pre><code><strong class="keyword">int</strong> a;
</code></pre>'
mkdir adir
)sh";

enum Needs { kNothing = 0, kRoot = 1, kAcl = 2 };

struct Row {
  const char* name;
  int needs;
  const char* script;  // prints "ok" when all is as it should be
};

const Row kRows[] = {
    {"a standard stream is written through as it stands", kNothing, R"sh(
      printf 'HEADER\n' > page.html
      "$colorune" in.c -o /dev/stdout >> page.html || fail "exit status"
      [ "$(cat page.html)" = "HEADER
$page" ] || fail "-o /dev/stdout >> page.html: $(cat page.html)"
      { echo HEADER; "$colorune" in.c -o /dev/fd/1; echo; echo FOOTER; } > p.html
      [ "$(cat p.html)" = "HEADER
$page
FOOTER" ] || fail "/dev/fd/1 between two lines: $(cat p.html)"
      { echo HEADER; "$colorune" in.c -o /proc/self/fd/1; } > q.html
      [ "$(cat q.html)" = "HEADER
$page" ] || fail "/proc/self/fd/1"
      echo LOG > log; "$colorune" in.c -o /dev/stderr 2>> log
      [ "$(cat log)" = "LOG
$page" ] || fail "/dev/stderr 2>> log"
      echo ok)sh"},
    {"a closed standard stream cannot be opened", kNothing, R"sh(
      "$colorune" in.c -o /dev/stdout >&- 2> err; status=$?
      [ $status -eq 1 ] && cannot_open err || fail "status $status"
      echo ok)sh"},
    {"an ACL stays, and nothing is widened", kAcl, R"sh(
      echo old > a.html; chmod 600 a.html; setfacl -m u:daemon:rw,g::---,o::--- a.html
      before=$(same_file a.html)
      "$colorune" in.c -o a.html || fail "exit status"
      [ "$(cat a.html)" = "$page" ] || fail "content"
      [ "$(same_file a.html)" = "$before" ] || fail "was: $before; is: $(same_file a.html)"
      echo ok)sh"},
    {"a group the user cannot give the new file stays", kRoot, R"sh(
      groupadd -f colorunetest; gid=$(getent group colorunetest | cut -d: -f3)
      chmod 777 .; echo old > g.html; chown root:colorunetest g.html; chmod 664 g.html
      before=$(same_file g.html)
      setpriv --reuid=65534 --regid=65534 --groups=$gid "$colorune" in.c -o g.html || fail "exit status"
      [ "$(cat g.html)" = "$page" ] || fail "content"
      [ "$(same_file g.html)" = "$before" ] || fail "was: $before; is: $(same_file g.html)"
      echo ok)sh"},
    {"hard links stay one file", kNothing, R"sh(
      echo old > a.c; ln a.c hard.c; before=$(same_file a.c)
      "$colorune" in.c -o a.c || fail "exit status"
      [ "$(cat hard.c)" = "$page" ] && [ "$(same_file a.c)" = "$before" ] || fail "$(same_file a.c) / $before"
      echo ok)sh"},
    {"a sticky directory, another user's file", kRoot, R"sh(
      mkdir sticky; chmod 1777 sticky; echo old > sticky/s.html; chmod 666 sticky/s.html
      before=$(same_file sticky/s.html)
      as_nobody "$colorune" in.c -o sticky/s.html || fail "exit status"
      [ "$(cat sticky/s.html)" = "$page" ] && [ "$(same_file sticky/s.html)" = "$before" ] || fail "$(meta sticky/s.html)"
      [ "$(ls -A sticky)" = "s.html" ] || fail "left: $(ls -A sticky)"
      echo ok)sh"},
    {"a single-file bind mount", kRoot, R"sh(
      mkdir m; echo host > host.html; echo old > m/out.html
      mount --bind host.html m/out.html 2>/dev/null || { echo ok; exit 0; }
      "$colorune" in.c -o m/out.html; status=$?
      umount m/out.html
      [ $status -eq 0 ] && [ "$(cat host.html)" = "$page" ] || fail "status $status: $(cat host.html)"
      echo ok)sh"},
    {"a read-only directory, a writable file", kRoot, R"sh(
      mkdir ro; echo old > ro/page.html; chmod 666 ro/page.html; chmod 555 ro
      as_nobody "$colorune" adir -o ro/page.html 2> /dev/null && fail "a failed run gave 0"
      [ "$(cat ro/page.html)" = old ] || fail "a failed run changed the page"
      as_nobody "$colorune" in.c -o ro/page.html || fail "exit status"
      [ "$(cat ro/page.html)" = "$page" ] || fail "content"
      echo ok)sh"},
    {"a name too long for a temporary name beside it", kNothing, R"sh(
      n=$(printf 'n%.0s' $(seq 1 245)); echo old > "$n"; mkdir t
      TMPDIR=$PWD/t "$colorune" adir -o "$n" 2> /dev/null && fail "a failed run gave 0"
      [ "$(cat "$n")" = old ] && [ -z "$(ls -A t)" ] || fail "failed run: $(cat "$n") / $(ls -A t)"
      TMPDIR=$PWD/t "$colorune" in.c -o "$n" || fail "exit status"
      [ "$(cat "$n")" = "$page" ] && [ -z "$(ls -A t)" ] || fail "content"
      echo ok)sh"},
    {"no free inodes", kRoot, R"sh(
      mkdir full; mount -t tmpfs -o size=1m,nr_inodes=3 tmpfs full 2>/dev/null || { echo ok; exit 0; }
      echo old > full/page.html; i=0; while touch full/f$i 2>/dev/null; do i=$((i+1)); done
      "$colorune" adir -o full/page.html 2> /dev/null; s1=$?; c1=$(cat full/page.html)
      "$colorune" in.c -o full/page.html; s2=$?; c2=$(cat full/page.html)
      umount full
      [ $s1 -eq 1 ] && [ "$c1" = old ] || fail "failed run: $s1 $c1"
      [ $s2 -eq 0 ] && [ "$c2" = "$page" ] || fail "run: $s2 $c2"
      echo ok)sh"},
    {"the temporary name is taken", kNothing, R"sh(
      echo old > page.html
      sh -c 'ln -s nowhere "page.html.colorune-$$.tmp"; exec "$colorune" adir -o page.html' 2> /dev/null
      [ "$(cat page.html)" = old ] || fail "a failed run changed the page"
      rm page.html.colorune-*.tmp
      sh -c 'ln -s nowhere "page.html.colorune-$$.tmp"; exec "$colorune" in.c -o page.html' || fail "exit status"
      [ "$(cat page.html)" = "$page" ] || fail "content"
      [ "$(ls -A | grep -c colorune)" -eq 1 ] && [ -L page.html.colorune-*.tmp ] || fail "left: $(ls -A)"
      echo ok)sh"},
    {"symbolic links that loop", kNothing, R"sh(
      ln -s lb la; ln -s la lb
      "$colorune" in.c -o la 2> err && fail "exit status 0"
      cannot_open err && [ -L la ] && [ -L lb ] || fail "$(ls -l la lb)"
      echo ok)sh"},
    {"a link to a file is followed, and stays a link", kNothing, R"sh(
      echo old > target.html; ln -s target.html link.html; before=$(meta target.html)
      "$colorune" in.c -o link.html || fail "exit status"
      [ -L link.html ] && [ "$(cat target.html)" = "$page" ] && [ "$(meta target.html)" = "$before" ] || fail "$(ls -l)"
      echo ok)sh"},
    {"every signal that ends the run removes the temporary file", kNothing, R"sh(
      for s in HUP INT TERM QUIT PIPE XCPU XFSZ ALRM VTALRM PROF USR1 USR2; do
        echo old > page.html; rm -f fifo; mkfifo fifo
        # A shell starts a command in the background with SIGINT and SIGQUIT
        # ignored, and an ignored signal stays ignored: back to the default.
        env --default-signal "$colorune" fifo -o page.html & pid=$!
        exec 3> fifo; printf 'int a;\n' >&3
        while [ -z "$(ls -A | grep colorune-)" ]; do sleep 0.01; done
        kill -s $s $pid; sleep 0.1; exec 3>&-; wait $pid
        [ "$(cat page.html)" = old ] || fail "$s: the page changed"
        [ -z "$(ls -A | grep colorune-)" ] || fail "$s: left $(ls -A | grep colorune-)"
      done
      echo ok)sh"},
    {"a directory moved during the run", kNothing, R"sh(
      mkdir d1; echo old > d1/out.html; mkfifo fifo
      "$colorune" fifo -o d1/out.html & pid=$!
      exec 3> fifo; printf 'int a;\n' >&3
      while [ -z "$(ls -A d1 | grep colorune-)" ]; do sleep 0.01; done
      mv d1 d1moved; exec 3>&-
      wait $pid || fail "exit status"
      [ "$(cat d1moved/out.html)" = "$page" ] && [ "$(ls -A d1moved)" = out.html ] || fail "$(ls -A d1moved)"
      echo ok)sh"},
};

TEST(OutputFile, ReplacingItChangesOnlyItsContent) {
  const bool root = geteuid() == 0 && std::system("command -v setpriv > /dev/null") == 0;
  const bool acl = std::system("command -v setfacl > /dev/null && command -v getfacl > /dev/null") == 0;
  for (const Row& row : kRows) {
    if (((row.needs & kRoot) && !root) || ((row.needs & kAcl) && !acl)) {
      std::printf("skipped (needs %s): %s\n", (row.needs & kRoot) ? "root" : "setfacl", row.name);
      continue;
    }
    ScratchDir dir;
    const RunResult result = run_shell(std::string(kPrelude) + row.script, dir.path());
    EXPECT_EQ("ok\n", result.out) << row.name << "\n" << result.err;
  }
}

}  // namespace
