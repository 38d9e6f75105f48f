#!/usr/bin/env bash
# With -m, no ordinary literal element of a real source file holds a line feed
# that no backslash escapes: the literal ends with its line. Converts every C
# and C++ file under CORPUS_DIR and checks every literal element that is not a
# raw literal.
#   tests/corpus_literals.sh PROGRAM CORPUS_DIR
# Exit status 77 (skipped) when CORPUS_DIR does not exist; a failure when it
# holds no source file or its sources no literal, since then nothing was
# checked.
set -euo pipefail
program=$(realpath "$1")
corpus=$2
if [ ! -d "$corpus" ]; then
  echo "skipped: no corpus at $corpus"
  exit 77
fi
# The literal element's tags, as the program writes them.
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '"a"' > "$probe"
tags=$("$program" "$probe" -m | perl -0 -ne 'print "$1\n$2" if /(<[^>]*>)"a"(<\/[^>]*>)/')
open_tag=$(head -n 1 <<< "$tags")
close_tag=$(tail -n 1 <<< "$tags")
[ -n "$open_tag" ] && [ -n "$close_tag" ] || { echo "FAILED: no literal element in the output for \"a\""; exit 1; }
find "$corpus" -type f \( -name '*.c' -o -name '*.h' -o -name '*.cc' -o -name '*.cpp' -o -name '*.hpp' \
  -o -name '*.cxx' -o -name '*.hh' \) -print0 | sort -z |
  PROGRAM=$program OPEN_TAG=$open_tag CLOSE_TAG=$close_tag perl -0 -ne '
    chomp;
    my $file = $_;
    open(my $out, "-|", $ENV{PROGRAM}, $file, "-m") or die "cannot run: $!";
    binmode $out;
    local $/;
    my $html = <$out>;
    close $out or die "$file: exit status $?\n";
    $files++;
    while ($html =~ /\Q$ENV{OPEN_TAG}\E(.*?)\Q$ENV{CLOSE_TAG}\E/gs) {
      my ($content, $start) = ($1, $-[0]);
      $literals++;
      # A raw literal: its prefix word stands right before the element.
      next if substr($html, $start > 6 ? $start - 6 : 0, $start > 6 ? 6 : $start) =~ /(?<![A-Za-z0-9_])(?:R|LR|uR|UR|u8R)$/;
      my $escaped = 0;
      my @bytes = unpack("C*", $content);
      for (my $i = 0; $i < @bytes; ++$i) {
        my $b = $bytes[$i];
        if ($b >= 0x80) { ++$i; $escaped = 0; next; }  # a pair: its second byte is no syntax
        if ($escaped) { $escaped = 0; next; }
        if ($b == 0x5C) { $escaped = 1; next; }
        if ($b == 0x0A) { print "FAILED: $file: a literal runs on past its line\n"; $failed++; last; }
      }
    }
    END {
      $files //= 0;
      $literals //= 0;
      print "$files files, $literals literal elements, " . ($failed // 0) . " running past their line\n";
      if ($files == 0 || $literals == 0) {
        print "FAILED: nothing to check\n";
        exit 1;
      }
      exit($failed ? 1 : 0);
    }'
