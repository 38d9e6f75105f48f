#!/usr/bin/env bash
# The npm package as its users get it: made by the web build
# (build-web/npm/colorune-VERSION.tgz), installed with npm into a scratch
# project beside markdown-it and TypeScript from the registry, and checked in
# Node against the native program (tests/npm/check.mjs), by the TypeScript
# compiler (tests/npm/uses.mts, uses.cts), and in headless Chromium through an
# import map (tests/npm/browser.mjs).
#   tests/npm_test.sh SOURCE_DIR WORK_DIR NATIVE_PROGRAM
# Exit status 77 (skipped) without emscripten, Node.js, npm or Chromium.
set -euo pipefail

source_dir=$(realpath "$1")
work=$2
native=$(realpath "$3")
browser=$(command -v chromium || command -v chromium-browser || true)
node=$(command -v node || command -v nodejs || true)
if ! command -v emcmake >/dev/null || ! command -v npm >/dev/null || [ -z "$browser" ] || [ -z "$node" ]; then
  echo "skipped: needs emscripten, node, npm and chromium"
  exit 77
fi
# Debian's emscripten finds its modules there when the first node on PATH is
# not Debian's own.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

mkdir -p "$work"
work=$(realpath "$work")
emcmake cmake -S "$source_dir" -B "$work/build" -DCOLORUNE_WERROR=ON > "$work/build.log" 2>&1 &&
  cmake --build "$work/build" >> "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
tarball=$(ls "$work"/build/npm/colorune-*.tgz)
echo "ok: built $(basename "$tarball"), $(wc -c < "$tarball") bytes"

project=$(mktemp -d)
trap 'rm -rf "$project"' EXIT
cd "$project"
npm init -y > /dev/null
npm install --no-audit --no-fund --silent "$tarball" markdown-it@14 typescript@5 @types/markdown-it@14 @types/node@20
cp "$source_dir"/tests/npm/check.mjs "$source_dir"/tests/npm/uses.mts "$source_dir"/tests/npm/uses.cts .

"$node" check.mjs "$native" "$source_dir"/tests/golden/*.c "$source_dir"/tests/golden/*.cpp "$source_dir/samples/hello.cpp"

# Types: the uses compile with strict types in both module resolutions, each
# marked misuse is an error, and without its marks the file does not compile.
for resolution in nodenext:nodenext bundler:preserve; do
  npx tsc --noEmit --strict --target es2022 --types node --moduleResolution "${resolution%%:*}" \
    --module "${resolution#*:}" uses.mts uses.cts
done
sed 's|^// @ts-expect-error.*$||' uses.mts > misuses.mts
marks=$(grep -c '^// @ts-expect-error' uses.mts)
errors=$(npx tsc --noEmit --strict --target es2022 --types node --moduleResolution nodenext --module nodenext \
  misuses.mts | grep -c 'error TS' || true)
[ "$errors" -eq "$marks" ] || { echo "FAILED: $errors type errors for the $marks misuses"; exit 1; }
echo "ok: the types accept the uses and refuse $marks misuses"

verdict=$("$node" "$source_dir/tests/npm/browser.mjs" "$browser" "$source_dir/tests/browser_run.js" "$project" "$native" \
  "$source_dir/tests/golden/sjis_inventory.c" "$source_dir/tests/golden/cpp20.cpp" "$source_dir/tests/golden/utf8_japanese.cpp")
[ "$verdict" = PASS ] || { echo "FAILED: the package in the browser: $verdict"; exit 1; }
echo "ok: the package imported in the browser through an import map converts as the program does"
