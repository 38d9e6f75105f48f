#!/usr/bin/env bash
# The converter page's speed against the native program's, on one large file:
#   bench/web_bench.sh BUILD_WEB_DIR NATIVE_PROGRAM FILE
# Converts FILE in headless Chromium with the page's own script (median of 5
# runs, in pre mode and with -p -l) and times the native program on it.
set -euo pipefail

web=$(realpath "$1")
native=$(realpath "$2")
file=$(realpath "$3")
browser=$(command -v chromium)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$web/colorune.js" "$work/"
{
  printf 'var source = Uint8Array.from(atob("'
  base64 -w0 "$file"
  printf '"), (c) => c.charCodeAt(0));\n'
} > "$work/source.js"
cat > "$work/bench.html" <<'PAGE'
<!DOCTYPE html><meta charset="utf-8"><script src="colorune.js"></script><script src="source.js"></script>
<pre id="result">not run</pre>
<script>
colorune.ready.then(function () {
  const lines = [];
  for (const [label, options] of [['pre', {}], ['-p -l', { noPre: true, lineNumbers: true }]]) {
    const times = [];
    for (let i = 0; i < 5; ++i) {
      const start = performance.now();
      colorune.convert(source, options);
      times.push(performance.now() - start);
    }
    times.sort((a, b) => a - b);
    lines.push(label + ' ' + times[2].toFixed(1) + ' ms ' + (source.length / times[2] / 1000).toFixed(0) + ' MB/s');
  }
  document.getElementById('result').textContent = lines.join('\n');
});
</script>
PAGE
profile=$(mktemp -d)
echo "page (Chromium):"
timeout 300 "$browser" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$profile" \
  --dump-dom "file://$work/bench.html" 2>/dev/null |
  perl -0ne 'print "$1\n" if /<pre id="result">(.*?)<\/pre>/s'
rm -rf "$profile"
echo "native (median of 5):"
for options in "" "-p -l"; do
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N); "$native" "$file" $options > /dev/null; end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
  done | sort -n | sed -n 3p | awk -v size="$(wc -c < "$file")" -v label="${options:-pre}" \
    '{ printf "%s %.1f ms %.0f MB/s\n", label, $1 / 1000, size / $1 }'
done
