#!/usr/bin/env bash
# colorune.exe run as a Windows user runs it, under Wine. Text streams there turn
# CR LF into LF when reading, stop at a Ctrl-Z, and write every LF as CR LF, so
# the Windows program must give what the native program gives, with CR LF line
# ends, for the same input with CR LF line ends.
#   tests/windows_test.sh SOURCE_DIR WORK_DIR NATIVE_PROGRAM
# Makes the cross build in WORK_DIR/build; exits 77 (skipped) without MinGW-w64
# or Wine.
set -euo pipefail

source_dir=$(realpath "$1")
work=$2
native=$(realpath "$3")
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-$(dirname "$wine")/wineserver64}
[ -x "$wineserver" ] || wineserver=$(dirname "$wine")/wineserver
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ ! -x "$wine" ] || [ ! -x "$wineserver" ]; then
  echo "skipped: needs g++-mingw-w64-x86-64-posix and wine64"
  exit 77
fi

mkdir -p "$work"
cmake -S "$source_dir" -B "$work/build" --toolchain "$source_dir/cmake/mingw-w64-x86_64.cmake" \
  -DCOLORUNE_WERROR=ON > "$work/build.log"
cmake --build "$work/build" -j2 >> "$work/build.log" || { cat "$work/build.log"; exit 1; }
exe=$work/build/colorune.exe

# Only the system's own DLLs: no libstdc++, libgcc or winpthread to ship
# (advapi32 tells the owner of the output file).
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll " ] || { echo "FAILED: colorune.exe imports $imports"; exit 1; }

# Debian's Wine has no preloader to keep free the addresses Windows programs
# need, and now and then the address randomization puts something there: the
# program dies before it starts, silently but for "failed to map the shared user
# data" (about one start in 3000). Wine runs without the randomization.
run_wine() { setarch "$(uname -m)" -R "$wine" "$@"; }

scratch=$(mktemp -d)
# Wine's server keeps its socket in a directory under TMPDIR, which it leaves
# behind: here that is this run's own, so that no server of another run is met
# and nothing stays.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all TMPDIR=$scratch
trap '"$wineserver" -k 2>/dev/null || true; "$wineserver" -w 2>/dev/null || true; rm -rf "$scratch"' EXIT
# The first start makes the prefix, which takes a while and talks about it;
# wineboot may still be at it when that start has ended, so wait until every
# process of the prefix has gone (the server ends a few seconds after them).
run_wine "$exe" -h > /dev/null 2>&1 || true
"$wineserver" -w
# One server for all the runs that follow, ended by this script: by itself a
# server ends 3 seconds after its last process, and a run that meets one as it
# ends dies ("wine client error:0: recvmsg: Connection reset by peer"). It
# still ends by itself if this script is killed.
"$wineserver" -p120

failures=0
checks=0
# A failure tells how the last Windows run ended, to tell Wine's faults from ours.
fail() {
  echo "FAILED: $1"
  echo "  last run: status ${status:-}, $(wc -c < "$scratch/out" 2>/dev/null || echo no) bytes out, standard error: $(visible "$scratch/err")"
  failures=$((failures + 1))
}
# The start of a file, its bytes made visible.
visible() { head -c 400 "$1" 2>/dev/null | od -An -c | tr -s ' \n' ' '; }
# What differs, when two outputs differ: both.
show() { echo "  expected: $(visible "$1")"; echo "  got:      $(visible "$2")"; }
crlf() { perl -pe 's/\n/\r\n/g'; }

# Runs the Windows program with the arguments, in the current directory;
# sets status, out and err (files under $scratch).
# New files each time, so that a failure shows what this run wrote alone.
run_windows() {
  status=0
  rm -f "$scratch/out" "$scratch/err"
  run_wine "$exe" "$@" > "$scratch/out" 2> "$scratch/err" || status=$?
}

# The Windows program's run equals the native program's with CR LF line ends:
# the same status, and the same standard output and error.
same_as_native() {
  checks=$((checks + 1))
  local label=$1
  shift
  local native_status=0
  "$native" "$@" > "$scratch/native.out" 2> "$scratch/native.err" || native_status=$?
  run_windows "$@"
  [ "$status" -eq "$native_status" ] || { fail "$label: status $status, native $native_status"; return; }
  crlf < "$scratch/native.out" > "$scratch/expected.out"
  crlf < "$scratch/native.err" > "$scratch/expected.err"
  cmp -s "$scratch/expected.out" "$scratch/out" || { fail "$label: standard output"; show "$scratch/expected.out" "$scratch/out"; }
  cmp -s "$scratch/expected.err" "$scratch/err" || { fail "$label: standard error"; show "$scratch/expected.err" "$scratch/err"; }
}

cd "$scratch"

# 1. The golden files in the options their names give ("modern.cpp.lp.html":
#    -l -p), each from its input as it stands and from a CR LF copy of it.
for expected in "$source_dir"/tests/golden/*.html; do
  name=$(basename "$expected" .html)
  options=()
  case $name in
    *.c | *.cpp) ;;
    *) options=($(sed 's/[a-z]/ -&/g' <<< "${name##*.}")); name=${name%.*} ;;
  esac
  input=$source_dir/tests/golden/$name
  [ -f "$input" ] || input=$source_dir/samples/$name
  cp "$input" "lf_$name"
  crlf < "$input" > "crlf_$name"
  for form in lf crlf; do
    checks=$((checks + 1))
    run_windows "${form}_$name" "${options[@]}"
    if [ "$status" -ne 0 ] || ! crlf < "$expected" | cmp -s - out; then
      fail "$(basename "$expected") from the $form input"
    fi
  done
done

# 2. Line ends and Ctrl-Z: the Windows program reads the CR LF file as the
#    native one reads the LF file.
printf '// a\\\nb\n#define B \\\n  2\nint x; // c\\\n' > continued.c  # a backslash continues the line
printf 'int a;\n\032int b;\n' > ctrl_z.c                             # a Ctrl-Z ends the input
printf 'int a;\n' > before_ctrl_z.c
printf 'a\rb\r\r\n' > lone_cr.c                                      # a CR alone is a byte like any other
for name in continued.c lone_cr.c; do
  crlf < "$name" > "crlf_$name"
  for options in "" "-l -p" "-s -l -m"; do
    checks=$((checks + 1))
    run_windows "crlf_$name" $options
    cp out windows.out
    "$native" "$name" $options | crlf > native.out
    cmp -s windows.out native.out || { fail "$name with CR LF line ends, options '$options'"; show native.out windows.out; }
  done
done
checks=$((checks + 1))
run_windows ctrl_z.c -l
"$native" before_ctrl_z.c -l | crlf | cmp -s - out || fail "Ctrl-Z ends the input"

# 3. Every message and exit status, the messages ending in CR LF.
printf '1 < 2\n' > in.c
mkdir -p sub
same_as_native "no arguments"
same_as_native "-h" in.c -h
same_as_native "-l alone" -l
same_as_native "missing input" missing.c
same_as_native "output in a missing folder" in.c -o no/such/dir/out.html
same_as_native "-o -l" -o -l in.c
same_as_native "-t" in.c -t
same_as_native "-tx" in.c -tx
same_as_native "-t0" in.c -t0
same_as_native "-t100" in.c -t100
same_as_native "unknown option" -x in.c -
same_as_native "output is the input" in.c -o in.c
same_as_native "a conversion" in.c -l -t8
checks=$((checks + 1))
run_windows sub   # a folder cannot be opened as a file on Windows
[ "$status" -eq 1 ] && { "$native" missing.c || true; } 2>&1 | crlf | cmp -s - err || fail "a folder as input"

# 4. The console's argument rules and the file system's spellings of a name.
cp in.c "my file.c"
checks=$((checks + 1))
run_windows '*.c'   # never expanded: no file is called *.c
{ "$native" missing.c || true; } 2>&1 | crlf | cmp -s - err && [ "$status" -eq 1 ] || fail "*.c is not expanded"
checks=$((checks + 1))
run_windows "my file.c"
[ "$status" -eq 0 ] && "$native" in.c | crlf | cmp -s - out || fail "a name with a space"
for spelling in IN.C .\\in.c ./IN.c sub\\..\\in.c; do
  checks=$((checks + 1))
  run_windows in.c -o "$spelling"
  [ "$status" -eq 1 ] && [ "$(cat in.c)" = "1 < 2" ] || fail "in.c -o $spelling"
done

# 5. The output file is replaced whole, or left as it was.
printf 'keep' > old.html
checks=$((checks + 1))
run_windows sub -o old.html
[ "$status" -eq 1 ] && [ "$(cat old.html)" = keep ] || fail "a failed run leaves the output file"
checks=$((checks + 1))
run_windows in.c -o old.html
[ "$status" -eq 0 ] && "$native" in.c | crlf | cmp -s - old.html || fail "the output file is replaced"
printf 'keep' > linked.html
ln -f linked.html other.html   # a page with two links is written in place: both show it
checks=$((checks + 1))
run_windows in.c -o linked.html
[ "$status" -eq 0 ] && "$native" in.c | crlf | cmp -s - other.html || fail "a page with two links is written in place"
leftover=$(ls | grep -c '\.tmp$' || true)
[ "$leftover" -eq 0 ] || fail "temporary files left: $leftover"

# 6. Names in Japanese and in Korean (outside code page 932): the arguments come
#    as wide strings and every file is opened by its wide name.
for name in "テスト" "테스트"; do
  cp in.c "$name.c"
  checks=$((checks + 1))
  run_windows "$name.c"
  [ "$status" -eq 0 ] && "$native" in.c | crlf | cmp -s - out || fail "input named $name.c"
  checks=$((checks + 1))
  run_windows in.c -o "$name.html"
  [ "$status" -eq 0 ] && "$native" in.c | crlf | cmp -s - "$name.html" || fail "-o $name.html"
  checks=$((checks + 1))
  run_windows "$name.c" -o "$name.c"
  [ "$status" -eq 1 ] && [ "$(cat "$name.c")" = "1 < 2" ] || fail "$name.c -o $name.c"
done
leftover=$(ls | grep -c '\.tmp$' || true)
[ "$leftover" -eq 0 ] || fail "temporary files left: $leftover"

# 7. The library: a C program built against colorune.dll and its import
#    library, beside the DLL alone (no DLL of the compiler's), converts as the
#    native program does.
mkdir -p library
x86_64-w64-mingw32-gcc-posix -std=c89 -Wall -Wextra -pedantic -Werror -I"$source_dir/include" \
  "$source_dir/tests/clients/client.c" "$work/build/libcolorune.dll.a" -o library/client.exe
cp "$work/build/colorune.dll" library/
imports=$(x86_64-w64-mingw32-objdump -p library/colorune.dll | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$imports" = "kernel32.dll msvcrt.dll " ] || fail "colorune.dll imports $imports"
for input in "$source_dir"/tests/golden/*.c "$source_dir"/tests/golden/*.cpp; do
  for set in "0 4:" "3 8:-l -p -t8" "12 4:-u -m" "17 2:-s -l -t2"; do
    read -r bits width <<< "${set%%:*}"
    checks=$((checks + 1))
    cp "$input" library/in
    status=0
    rm -f library/out library/err
    (cd library && run_wine client.exe in out "$bits" "$width" > /dev/null 2> err) || status=$?
    # shellcheck disable=SC2086
    [ "$status" -eq 0 ] && "$native" "$input" ${set#*:} | cmp -s - library/out ||
      fail "the library under Wine: $(basename "$input") [${set#*:}], status $status: $(visible library/err)"
  done
done

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
