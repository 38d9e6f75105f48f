#!/usr/bin/env bash
# Renders the example page, built from the program's real output, in headless
# Chromium (Debian's package) and reads back the verdict of tests/browser_check.js;
# also takes a screenshot of the page.
#   tests/browser_test.sh PROGRAM OUT_DIRECTORY
# Exit status 77 (skipped) when Chromium is not installed.
set -euo pipefail

program=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "skipped: chromium is not installed (apt-get install chromium)"
  exit 77
fi

mkdir -p "$out"
out=$(realpath "$out")
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
# No network, no first-run work, a fresh profile: the browser must not try to
# reach anything.
run_browser() {
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$profile" "$@" 2> "$out/browser.log"
}

"$here/../examples/build_example.sh" "$program" "$out/checked" "$here/browser_check.js"
verdict=$(run_browser --dump-dom "file://$out/checked/example.html" |
  grep -o '<pre id="verdict">[^<]*</pre>' | sed -e 's/<pre id="verdict">//' -e 's/<\/pre>//' || true)
if [ "$verdict" != "PASS" ]; then
  echo "FAILED: the page in the browser:"
  echo "${verdict:-no verdict (see $out/browser.log)}"
  exit 1
fi
echo "ok: styles, text and lines of both fragments in the browser"

"$here/../examples/build_example.sh" "$program" "$out/page"
run_browser --hide-scrollbars --window-size=1000,1500 --screenshot="$out/example.png" "file://$out/page/example.html"
if [ ! -s "$out/example.png" ]; then
  echo "FAILED: no screenshot"
  exit 1
fi
echo "ok: screenshot in $out/example.png"
run_browser --hide-scrollbars --window-size=1000,1150 --screenshot="$out/inline.png" "file://$out/page/inline.html"
[ -s "$out/inline.png" ] || { echo "FAILED: no screenshot of the -s page"; exit 1; }
echo "ok: screenshot in $out/inline.png"
