// The -o file as careful editors replace theirs: the kernel resolves its name,
// a failed run touches nothing, a successful one changes nothing of the file
// but its content (inode, links, owner, group, mode, ACL, flags), no temporary
// file outlives the run, and any name of a standard stream is written through
// as it stands. Each row sets up a case, runs the real program, and checks what
// is left on disk. Each row is a test of its own: one the machine cannot run
// (no root, setfacl, loop device, or a sysctl it may not set) is skipped, with
// its reason.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ostream>
#include <string>

#include "run_program.h"

namespace {

// Helpers for the rows: meta prints what a replacement must keep (links, mode,
// owner, group, ACL), same_file the inode too, for the cases where the content
// must go into the file in place; cannot_open tells M2 on standard error;
// as_nobody runs a command as an unprivileged user; $bad is an input that opens
// but cannot be read, for a run that fails after opening its output. skip ends
// a row the machine cannot run, with the reason; at_exit undoes what a row set
// up (a mount, a sysctl) however it ends; ext4 mounts a fresh ext4 file system
// of $2 MB on $1; big C N prints N MB of the character C.
const char* const kPrelude = R"sh(
set -u
fail() { echo "FAILED: $*"; exit 1; }
skip() { echo "skip: $*"; exit 0; }
cleanups=:
at_exit() { cleanups="$1; $cleanups"; trap "$cleanups" EXIT; }
meta() { stat -c '%h %a %u %g' "$1"; getfacl -cp "$1" 2>/dev/null; }
same_file() { stat -c '%i' "$1"; meta "$1"; }
m2=$(printf '[ERROR] \217o\227\315\203t\203@\203C\203\213\202\360\212J'; printf '\202\257\202\334\202\271\202\361\202\305\202\265\202\275\201B')
cannot_open() { [ "$(cat "$1")" = "$m2" ]; }
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
ext4() {
  command -v mkfs.ext4 > /dev/null && command -v chattr > /dev/null || skip "needs mkfs.ext4 and chattr (e2fsprogs)"
  truncate -s "$2M" "$1.img" && mkfs.ext4 -q -F -m 0 "$1.img" > /dev/null 2>&1 || skip "mkfs.ext4 failed"
  mkdir "$1"; mount -o loop "$1.img" "$1" 2> /dev/null || skip "cannot mount an ext4 image (no loop device?)"
  at_exit "umount '$PWD/$1' || umount -l '$PWD/$1'"
}
big() { head -c "$2"000000 /dev/zero | tr '\0' "$1"; }
export bad=/proc/self/mem
chmod 755 .
printf 'int a;\n' > in.c
# The page: what the program writes to standard output for in.c.
page=$("$colorune" in.c)
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
      mount --bind host.html m/out.html 2>/dev/null || skip "cannot bind-mount a file"
      "$colorune" in.c -o m/out.html; status=$?
      umount m/out.html
      [ $status -eq 0 ] && [ "$(cat host.html)" = "$page" ] || fail "status $status: $(cat host.html)"
      echo ok)sh"},
    {"a read-only directory, a writable file", kRoot, R"sh(
      mkdir ro; echo old > ro/page.html; chmod 666 ro/page.html; chmod 555 ro
      as_nobody "$colorune" "$bad" -o ro/page.html 2> /dev/null && fail "a failed run gave 0"
      [ "$(cat ro/page.html)" = old ] || fail "a failed run changed the page"
      as_nobody "$colorune" in.c -o ro/page.html || fail "exit status"
      [ "$(cat ro/page.html)" = "$page" ] || fail "content"
      echo ok)sh"},
    {"a name too long for a temporary name beside it", kNothing, R"sh(
      n=$(printf 'n%.0s' $(seq 1 245)); echo old > "$n"; mkdir t
      TMPDIR=$PWD/t "$colorune" "$bad" -o "$n" 2> /dev/null && fail "a failed run gave 0"
      [ "$(cat "$n")" = old ] && [ -z "$(ls -A t)" ] || fail "failed run: $(cat "$n") / $(ls -A t)"
      TMPDIR=$PWD/t "$colorune" in.c -o "$n" || fail "exit status"
      [ "$(cat "$n")" = "$page" ] && [ -z "$(ls -A t)" ] || fail "content"
      echo ok)sh"},
    {"no free inodes", kRoot, R"sh(
      mkdir full; mount -t tmpfs -o size=1m,nr_inodes=3 tmpfs full 2>/dev/null || skip "cannot mount a tmpfs"
      echo old > full/page.html; i=0; while touch full/f$i 2>/dev/null; do i=$((i+1)); done
      "$colorune" "$bad" -o full/page.html 2> /dev/null; s1=$?; c1=$(cat full/page.html)
      "$colorune" in.c -o full/page.html; s2=$?; c2=$(cat full/page.html)
      # A new name is refused before converting, as one that cannot be opened.
      "$colorune" in.c -o full/new.html 2> err; s3=$?
      umount full
      [ $s1 -eq 1 ] && [ "$c1" = old ] || fail "failed run: $s1 $c1"
      [ $s2 -eq 0 ] && [ "$c2" = "$page" ] || fail "run: $s2 $c2"
      [ $s3 -eq 1 ] && cannot_open err || fail "a new name: $s3 $(cat err)"
      echo ok)sh"},
    {"the temporary name is taken", kNothing, R"sh(
      echo old > page.html
      sh -c 'ln -s nowhere "page.html.colorune-$$.tmp"; exec "$colorune" "$bad" -o page.html' 2> /dev/null
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
    {"any spelling of a standard stream is written through it", kNothing, R"sh(
      ln -s /proc/thread-self/fd/1 link
      for name in /proc/thread-self/fd/1 /proc/self//fd/1 /proc/self/./fd/1 /dev/fd/../fd/1 link; do
        printf 'log\n' > log.txt
        "$colorune" in.c -o $name >> log.txt || fail "$name: exit status"
        [ "$(cat log.txt)" = "log
$page" ] || fail "$name: $(cat log.txt)"
      done
      # A socket cannot be opened again by any name: still written through.
      for name in /dev/stdout /proc/thread-self/fd/1; do
        perl -MSocket -e 'socketpair(my $r, my $w, AF_UNIX, SOCK_STREAM, 0) or die;
          if (!fork) { close $r; open STDOUT, ">&", $w or die; exec @ARGV } close $w; print <$r>; wait; exit($? >> 8)' \
          "$colorune" in.c -o $name > socket.txt || fail "$name, a socket: exit status"
        [ "$(cat socket.txt)" = "$page" ] || fail "$name, a socket: $(cat socket.txt)"
      done
      echo ok)sh"},
    {"the kernel's rules for sticky directories hold", kRoot, R"sh(
      cd /proc/sys/fs 2> /dev/null && links=$(cat protected_symlinks) && regular=$(cat protected_regular) &&
        cd - > /dev/null || skip "no fs.protected_symlinks and fs.protected_regular"
      at_exit "echo $links > /proc/sys/fs/protected_symlinks; echo $regular > /proc/sys/fs/protected_regular"
      { echo 1 > /proc/sys/fs/protected_symlinks && echo 2 > /proc/sys/fs/protected_regular; } 2> /dev/null ||
        skip "cannot set fs.protected_symlinks and fs.protected_regular"
      daemon=$(id -u daemon) || skip "no user daemon"
      as_daemon() { setpriv --reuid=$daemon --regid=$daemon --clear-groups "$@"; }
      mkdir shared; chmod 1777 shared
      echo mine > mine.html; chown 65534:65534 mine.html; chmod 600 mine.html
      as_daemon ln -s "$PWD/mine.html" shared/link.html
      as_daemon sh -c 'echo planted > shared/planted.html; chmod 666 shared/planted.html'
      for name in link.html planted.html; do
        as_nobody "$colorune" in.c -o shared/$name 2> err && fail "$name: exit status 0"
        cannot_open err || fail "$name: $(cat err)"
      done
      [ "$(cat mine.html)" = mine ] && [ "$(cat shared/planted.html)" = planted ] || fail "a file was written"
      echo ok)sh"},
    {"a directory's default ACL widens no page", kAcl, R"sh(
      mkdir priv; setfacl -m d:u::rw,d:g::-,d:o::-,d:u:daemon:rw priv
      : > priv/shell.html
      "$colorune" in.c -o priv/new.html || fail "exit status"
      [ "$(meta priv/new.html)" = "$(meta priv/shell.html)" ] ||
        fail "new: $(meta priv/new.html); the shell's: $(meta priv/shell.html)"
      echo old > priv/old.html; setfacl -b priv/old.html; chmod 640 priv/old.html; before=$(meta priv/old.html)
      "$colorune" in.c -o priv/old.html || fail "exit status"
      [ "$(cat priv/old.html)" = "$page" ] && [ "$(meta priv/old.html)" = "$before" ] ||
        fail "was: $before; is: $(meta priv/old.html)"
      echo ok)sh"},
    {"a full disk leaves a page with two links as it was", kRoot, R"sh(
      ext4 disk 16
      printf 'old page\n' > disk/page.html; ln disk/page.html disk/link.html
      big '<' 1 > big.c  # a page of 4 MB, with room for it once but not twice
      fallocate -l $(($(df -B1 --output=avail disk | tail -1) - 6000000)) disk/filler
      before=$(stat -c '%i %h %s %Y' disk/page.html)
      "$colorune" big.c -o disk/page.html 2> /dev/null && fail "exit status 0"
      [ "$(cat disk/page.html)" = "old page" ] && [ "$(stat -c '%i %h %s %Y' disk/page.html)" = "$before" ] ||
        fail "was: $before; is: $(stat -c '%i %h %s %Y' disk/page.html)"
      [ "$(stat -c %b disk/page.html)" -lt 100 ] || fail "the room reserved kept: $(stat -c %b disk/page.html) blocks"
      [ -z "$(ls -A disk | grep colorune)" ] || fail "left: $(ls -A disk)"
      echo ok)sh"},
    {"a signal during the last copy leaves a whole page or none", kNothing, R"sh(
      big '&' 8 > big.c  # a page of 40 MB
      # Waits until the run has begun to write the page ($1 tells), or has ended.
      wait_for() { while ! eval "$1"; do read -r _ _ state _ < /proc/$pid/stat; [ "$state" != Z ] || break; done; }
      echo old > page.html; ln page.html link.html
      env --default-signal "$colorune" big.c -o page.html & pid=$!
      wait_for '[ "$(head -c 5 page.html)" = "<pre>" ]'
      kill $pid; wait $pid
      "$colorune" big.c | cmp -s - page.html || fail "in place: neither page, $(stat -c %s page.html) bytes"
      # A new page whose temporary file is in TMPDIR, its name too long for one beside it.
      n=$(printf 'n%.0s' $(seq 1 245)); mkdir t
      TMPDIR=$PWD/t env --default-signal "$colorune" big.c -o "$n" & pid=$!
      wait_for '[ -e "$n" ]'
      kill $pid; wait $pid
      [ ! -e "$n" ] || "$colorune" big.c | cmp -s - "$n" || fail "a new page, partial: $(stat -c %s "$n") bytes"
      [ -z "$(ls -A t)" ] && [ -z "$(ls -A | grep colorune-)" ] || fail "left: $(ls -A t) $(ls -A | grep colorune-)"
      echo ok)sh"},
    {"two runs at once onto a page with two links", kNothing, R"sh(
      big '&' 8 > a.c; big '<' 2 > b.c  # pages of 40 and 8 MB
      echo old > page.html; ln page.html link.html
      for try in 1 2 3; do
        rm -f fa fb; mkfifo fa fb
        "$colorune" fa -o page.html & p1=$!
        "$colorune" fb -o page.html & p2=$!
        exec 3> fa 4> fb
        cat a.c >&3 & c1=$!
        cat b.c >&4 & c2=$!
        wait $c1 $c2; exec 3>&- 4>&-  # both inputs end at once
        wait $p1 && wait $p2 || fail "exit status"
        "$colorune" a.c | cmp -s - page.html || "$colorune" b.c | cmp -s - page.html || fail "try $try: neither page"
      done
      echo ok)sh"},
    {"inode flags stay", kRoot, R"sh(
      ext4 disk 8
      echo old > disk/page.html; chattr +d +A disk/page.html; before=$(lsattr disk/page.html)
      "$colorune" in.c -o disk/page.html || fail "exit status"
      [ "$(cat disk/page.html)" = "$page" ] && [ "$(lsattr disk/page.html)" = "$before" ] ||
        fail "$(lsattr disk/page.html)"
      echo ok)sh"},
    {"append-only files and directories", kRoot, R"sh(
      ext4 disk 8
      mkdir disk/d t; echo old > disk/d/page.html; chattr +a disk/d
      at_exit "chattr -a '$PWD/disk/d'"
      for name in page.html new.html; do
        TMPDIR=$PWD/t "$colorune" in.c -o disk/d/$name || fail "$name: exit status"
        [ "$(cat disk/d/$name)" = "$page" ] || fail "$name: content"
      done
      TMPDIR=$PWD/t "$colorune" "$bad" -o disk/d/failed.html 2> /dev/null && fail "a failed run gave 0"
      [ "$(ls -A disk/d | tr '\n' ' ')" = "new.html page.html " ] && [ -z "$(ls -A t)" ] ||
        fail "left: $(ls -A disk/d t)"
      # A page that can only be appended to, or not written at all, is refused before converting.
      for flag in a i; do
        echo old > disk/$flag.html; chattr +$flag disk/$flag.html; at_exit "chattr -$flag '$PWD/disk/$flag.html'"
        "$colorune" in.c -o disk/$flag.html 2> err && fail "+$flag: exit status 0"
        cannot_open err && [ "$(cat disk/$flag.html)" = old ] || fail "+$flag: $(cat err)"
      done
      echo ok)sh"},
    {"a directory as input cannot be opened", kNothing, R"sh(
      mkdir adir; echo old > page.html
      "$colorune" missing.c 2> want
      for out in "" "-o page.html"; do
        "$colorune" adir $out > stdout 2> err && fail "exit status 0"
        [ ! -s stdout ] && cmp -s want err && [ "$(cat page.html)" = old ] || fail "$out: $(cat stdout err)"
      done
      echo ok)sh"},
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class OutputFile : public ::testing::TestWithParam<Row> {};

TEST_P(OutputFile, ReplacingItChangesOnlyItsContent) {
  const Row& row = GetParam();
  if ((row.needs & kRoot) && (geteuid() != 0 || std::system("command -v setpriv > /dev/null") != 0)) {
    GTEST_SKIP() << "needs root and setpriv";
  }
  if ((row.needs & kAcl) && std::system("command -v setfacl > /dev/null && command -v getfacl > /dev/null") != 0) {
    GTEST_SKIP() << "needs setfacl and getfacl";
  }
  ScratchDir dir;
  const RunResult result = run_shell(std::string(kPrelude) + row.script, dir.path());
  if (result.out.rfind("skip: ", 0) == 0) GTEST_SKIP() << result.out.substr(6);
  EXPECT_EQ("ok\n", result.out) << row.name << "\n" << result.err;
}

// Each row its own test, named after it, so that a row skipped shows as such.
INSTANTIATE_TEST_SUITE_P(, OutputFile, ::testing::ValuesIn(kRows), [](const ::testing::TestParamInfo<Row>& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
