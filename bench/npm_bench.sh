#!/usr/bin/env bash
# The npm package against highlight.js (the most used JavaScript highlighter)
# and the native program, in Node:
#   bench/npm_bench.sh PACKAGE.tgz NATIVE_PROGRAM CORPUS_DIR FILE...
# Installs the package and highlight.js from the registry into a scratch
# project (removed afterwards), makes the large input from every C and C++ file
# of CORPUS_DIR, twice over, and runs bench/npm_bench.mjs.
set -euo pipefail

tarball=$(realpath "$1")
native=$(realpath "$2")
corpus=$(realpath "$3")
shift 3
files=()
for file in "$@"; do files+=("$(realpath "$file")"); done
bench=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$work"
npm init -y > /dev/null
npm install --no-audit --no-fund --silent "$tarball" highlight.js@11
cp "$bench/npm_bench.mjs" .
find "$corpus" -type f \( -name '*.c' -o -name '*.h' -o -name '*.cpp' -o -name '*.hpp' -o -name '*.cc' \) -print0 |
  LC_ALL=C sort -z | xargs -0 cat > once.c
cat once.c once.c > large.c
node npm_bench.mjs "$native" "$work/large.c" "${files[@]}"
