#!/usr/bin/env bash
# Builds the example pages from the program's real output:
#   examples/build_example.sh PROGRAM OUT_DIRECTORY [CHECK_SCRIPT]
# writes OUT_DIRECTORY/example.html and a copy of the style sheet beside it, and
# OUT_DIRECTORY/inline.html, a page with no style sheet that holds the output of
# -s. With CHECK_SCRIPT (tests/browser_check.js) the example page also holds the
# source text and the script that checks the page in a browser.
set -euo pipefail

program=$1
out=$2
check=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" "$here/sample.cpp" -l > "$work/pre.html"
"$program" "$here/sample.cpp" -l -p > "$work/no-pre.html"
{
  printf '<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>colorune -s: no style sheet</title>\n'
  printf '</head>\n<body style="max-width: 54em; margin: 2em auto; padding: 0 1em; font-family: system-ui, sans-serif">\n'
  printf '<p>The output of <code>colorune sample.cpp -l -s</code> in a page that links no style sheet:</p>\n'
  "$program" "$here/sample.cpp" -l -s
  printf '\n</body>\n</html>\n'
} > "$out/inline.html"
cp "$here/../share/colorune.css" "$out/colorune.css"

if [ -n "$check" ]; then
  {
    printf '<textarea id="expected-source" hidden>'
    sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' "$here/sample.cpp"
    printf '</textarea>\n<pre id="verdict">the check did not run</pre>\n<script>\n'
    cat "$check"
    printf '</script>\n'
  } > "$work/check.html"
else
  : > "$work/check.html"
fi

# Each placeholder stands on a line of its own and is replaced by a file.
awk -v pre="$work/pre.html" -v no_pre="$work/no-pre.html" -v check="$work/check.html" '
  function insert(file,   line) { while ((getline line < file) > 0) print line; close(file) }
  /^@PRE_FRAGMENT@$/ { insert(pre); next }
  /^@NO_PRE_FRAGMENT@$/ { insert(no_pre); next }
  /^@CHECK@$/ { insert(check); next }
  { print }
' "$here/example.html.in" > "$out/example.html"
