#!/usr/bin/env bash
# Renders the example page, built from the program's real output, in headless
# Chromium (Debian's package) and reads back the verdict of tests/browser_check.js;
# also takes a screenshot of the page.
#   tests/browser_test.sh PROGRAM OUT_DIRECTORY
# Exit status 77 (skipped) when Chromium or Node.js is not installed.
set -euo pipefail

program=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
node=$(command -v node || command -v nodejs || true)
if [ -z "$browser" ] || [ -z "$node" ]; then
  echo "skipped: needs chromium (apt-get install chromium) and node"
  exit 77
fi

mkdir -p "$out"
out=$(realpath "$out")
# The page in headless Chromium, with a profile and a process group of its own
# (tests/browser_run.js): prints the expression's value once it is not the
# placeholder.
run_page() {  # URL EXPRESSION PLACEHOLDER [SHOT WIDTH HEIGHT]
  "$node" "$here/browser_run.js" "$browser" "$1" "$2" "$3" 120 "${@:4}"
}

"$here/../examples/build_example.sh" "$program" "$out/checked" "$here/browser_check.js"
verdict=$(run_page "file://$out/checked/example.html" \
  "document.getElementById('verdict').textContent" "the check did not run")
if [ "$verdict" != "PASS" ]; then
  echo "FAILED: the page in the browser:"
  echo "$verdict"
  exit 1
fi
echo "ok: styles, text and lines of both fragments in the browser"

"$here/../examples/build_example.sh" "$program" "$out/page"
loaded="document.readyState === 'complete' && document.fonts.status === 'loaded' ? 'shown' : 'loading'"
for page in example:1500 inline:1150; do
  name=${page%%:*}
  rm -f "$out/$name.png"
  shown=$(run_page "file://$out/page/$name.html" "$loaded" loading "$out/$name.png" 1000 "${page##*:}")
  [ "$shown" = shown ] && [ -s "$out/$name.png" ] || { echo "FAILED: no screenshot of $name.html: $shown"; exit 1; }
  echo "ok: screenshot in $out/$name.png"
done
