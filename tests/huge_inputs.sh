#!/usr/bin/env bash
# Slow checks on huge and odd inputs, kept out of the unit tests; .ci/run calls
# this with the built program: tests/huge_inputs.sh build/colorune
set -euo pipefail

program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

pass() { echo "ok: $1"; }
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

# 1. 300 MB of real C and C++ from a pipe through /dev/stdin, with line numbers:
#    memory stays flat.
for _ in $(seq 1 200); do cat "$here"/golden/modern.cpp "$here"/golden/sjis_inventory.c; done > "$work/block.c"
kb=$(
  for _ in $(seq 1 400); do cat "$work/block.c"; done |
    /usr/bin/time -f '%M' "$program" /dev/stdin -l 2>&1 >/dev/null
)
if [ "$kb" -lt 4096 ]; then pass "300 MB from a pipe: peak resident size $kb KiB"; else fail "300 MB from a pipe: peak resident size $kb KiB"; fi

# 2. One line of 2^31 + 1 characters, then a tab: the column does not wrap, so
#    the tab at column 2^31 + 1 (1 modulo 4) expands to three spaces.
tail_bytes=$(
  { head -c 2147483649 /dev/zero | tr '\0' '.'; printf '\tE'; } |
    "$program" /dev/stdin | tail -c 20
)
if [ "$tail_bytes" = "...   E</code></pre>" ]; then pass "line of 2^31 + 1 characters"; else fail "line of 2^31 + 1 characters: ends in '$tail_bytes'"; fi

# 3. A binary file converts without error.
if "$program" "$program" -l -p > "$work/binary.html"; then pass "binary input"; else fail "binary input"; fi

# 4. An input that cannot be read for want of permission (checked as an
#    unprivileged user, since root may read anything): the open fails.
printf 'int x;\n' > "$work/secret.c"
cp "$program" "$work/colorune"  # where the other user may run it
chmod 600 "$work/secret.c"
chmod 755 "$work"
if [ "$(id -u)" -eq 0 ]; then
  as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  as_other=()
fi
if [ "$(id -u)" -ne 0 ] && [ -r "$work/secret.c" ]; then
  echo "skipped: unreadable input (cannot make a file unreadable to this user)"
else
  status=0
  "${as_other[@]}" "$work/colorune" "$work/secret.c" > /dev/null 2> "$work/err" || status=$?
  if [ "$status" -eq 1 ] && [ "$(head -c 7 "$work/err")" = "[ERROR]" ]; then
    pass "unreadable input"
  else
    fail "unreadable input: status $status"
  fi
fi

# 5. The input is removed while it is being read: what was opened is converted
#    whole.
mkfifo "$work/pipe"
"$program" "$work/pipe" -o "$work/removed.html" &
converter=$!
{
  printf 'int a;\n'
  rm "$work/pipe"
  sleep 0.2
  printf 'int b;\n'
} > "$work/pipe"
printf 'int a;\nint b;\n' > "$work/whole.c"
if wait "$converter" && "$program" "$work/whole.c" | cmp -s - "$work/removed.html"; then
  pass "input removed while read"
else
  fail "input removed while read"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
