#!/usr/bin/env bash
# Builds the converter page with emscripten and checks it in headless Chromium:
# its script converts the golden inputs as the native program does, byte for
# byte, in several sets of options, and a file given to its file input shows
# highlighted in the preview, with the decoded fragment as its copy text
# (tests/web_check.js). Also takes docs/web_page.png's screenshot.
#   tests/web_test.sh SOURCE_DIR WORK_DIR NATIVE_PROGRAM
# Exit status 77 (skipped) without emscripten or Chromium.
set -euo pipefail

source_dir=$(realpath "$1")
work=$2
native=$(realpath "$3")
browser=$(command -v chromium || command -v chromium-browser || true)
node=$(command -v node || command -v nodejs || true)
if ! command -v emcmake >/dev/null || [ -z "$browser" ] || [ -z "$node" ]; then
  echo "skipped: needs emscripten, chromium and node"
  exit 77
fi
# Debian's emscripten finds its modules there when the first node on PATH is
# not Debian's own.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

mkdir -p "$work"
work=$(realpath "$work")
emcmake cmake -S "$source_dir" -B "$work/build" -DCOLORUNE_WERROR=ON > "$work/build.log" 2>&1 &&
  cmake --build "$work/build" >> "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
echo "ok: built; colorune.js is $(wc -c < "$work/build/web/colorune.js") bytes"

b64() { base64 -w0 "$@"; }
case_json() {  # NAME FILE OPTIONS_JSON ARGS...
  local name=$1 file=$2 options=$3
  shift 3
  printf '{"name":"%s","options":%s,"input":"%s","expected":"%s"},\n' \
    "$name" "$options" "$(b64 "$file")" "$("$native" "$file" "$@" | b64)"
}

golden=$source_dir/tests/golden
inputs=("$golden"/*.c "$golden"/*.cpp "$source_dir/samples/hello.cpp")
: > "$work/empty.c"
{
  echo 'var webCases = ['
  for input in "${inputs[@]}" "$work/empty.c"; do
    name=$(basename "$input")
    case_json "$name" "$input" '{}'
    case_json "$name" "$input" '{"lineNumbers":true}' -l
    case_json "$name" "$input" '{"noPre":true,"tabWidth":8}' -p -t8
    case_json "$name" "$input" '{"lineNumbers":true,"noPre":true,"utf8":true,"tabWidth":1}' -l -p -u -t1
    case_json "$name" "$input" '{"modern":true,"lineNumbers":true}' -m -l
    case_json "$name" "$input" '{"style":true,"noPre":true,"lineNumbers":true}' -s -p -l
  done
  echo '];'
  echo 'var webFiles = ['
  printf '{"name":"sjis_inventory.c","encoding":"shift_jis","utf8":false,"input":"%s","expected":"%s"},\n' \
    "$(b64 "$golden/sjis_inventory.c")" "$("$native" "$golden/sjis_inventory.c" | b64)"
  printf '{"name":"utf8_japanese.cpp","encoding":"utf-8","utf8":true,"input":"%s","expected":"%s"},\n' \
    "$(b64 "$golden/utf8_japanese.cpp")" "$("$native" "$golden/utf8_japanese.cpp" -u | b64)"
  echo '];'
} > "$work/data.js"

# The page in headless Chromium with a real clock (tests/browser_run.js).
run_page() {  # URL [SHOT WIDTH HEIGHT]
  "$node" "$source_dir/tests/browser_run.js" "$browser" "$1" \
    "document.getElementById('verdict') ? document.getElementById('verdict').textContent : 'the check did not run'" \
    "the check did not run" 180 "${@:2}"
}

rm -rf "$work/checked"
cp -r "$work/build/web" "$work/checked"
cp "$work/data.js" "$source_dir/tests/web_check.js" "$work/checked/"
sed -i 's|</body>|<pre id="verdict">the check did not run</pre>\n<script src="data.js"></script>\n<script src="web_check.js"></script>\n</body>|' \
  "$work/checked/index.html"
verdict=$(run_page "file://$work/checked/index.html")
if [ "$verdict" != "PASS" ]; then
  echo "FAILED: the page in the browser:"
  echo "$verdict"
  exit 1
fi
echo "ok: $(grep -c '"name"' "$work/data.js") conversions and files checked in the page"
verdict=$(COLORUNE_COLOR_SCHEME=dark run_page "file://$work/checked/index.html#dark")
if [ "$verdict" != "PASS" ]; then
  echo "FAILED: the page in the browser, for a reader who prefers dark:"
  echo "$verdict"
  exit 1
fi
echo "ok: the preview, for a reader who prefers dark"

# The screenshot: the example file given to the page, with line numbers.
rm -rf "$work/shot"
cp -r "$work/build/web" "$work/shot"
cat > "$work/shot/shot.js" <<SHOT
// Once the page (its script is deferred) says it is ready.
(function start() {
  if (!document.getElementById('status').textContent.startsWith('Ready')) return setTimeout(start, 50);
  document.getElementById('line-numbers').checked = true;
  const transfer = new DataTransfer();
  transfer.items.add(new File([Uint8Array.from(atob('$(b64 "$source_dir/samples/hello.cpp")'), (c) => c.charCodeAt(0))], 'hello.cpp'));
  const input = document.getElementById('file');
  input.files = transfer.files;
  input.dispatchEvent(new Event('change'));
  const status = document.getElementById('status');
  new MutationObserver(() => {
    if (status.textContent.startsWith('Converted') && !document.getElementById('verdict')) {
      document.body.insertAdjacentHTML('beforeend', '<span id="verdict" hidden>shown</span>');
    }
  }).observe(status, { childList: true, characterData: true, subtree: true });
})();
SHOT
sed -i 's|</body>|<script src="shot.js"></script>\n</body>|' "$work/shot/index.html"
rm -f "$work/web_page.png"
run_page "file://$work/shot/index.html" "$work/web_page.png" 1000 1700 > /dev/null
[ -s "$work/web_page.png" ] || { echo "FAILED: no screenshot"; exit 1; }
echo "ok: screenshot in $work/web_page.png"
