// The installed package in headless Chromium, as a page imports it through an
// import map: served from 127.0.0.1 on a free port by this script, with the
// cases (sources and what the native program writes for them) beside it.
//   node browser.mjs CHROMIUM BROWSER_RUN PROJECT_DIR NATIVE_PROGRAM FILE...
// PROJECT_DIR holds node_modules/colorune. Prints the page's verdict: "PASS",
// or what went wrong.
import { execFileSync, spawn } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';

const [chromium, browserRun, project, native, ...files] = process.argv.slice(2);
const optionSets = [[{}, []], [{ lineNumbers: true, modern: true }, ['-l', '-m']], [{ noPre: true, style: true }, ['-p', '-s']]];
const cases = files.flatMap((file) => optionSets.map(([options, args]) => ({
  name: file.split('/').pop() + ' ' + args.join(' '),
  options,
  input: readFileSync(file).toString('base64'),
  expected: execFileSync(native, [file, ...args]).toString('base64'),
})));
writeFileSync(join(project, 'cases.json'), JSON.stringify(cases));
writeFileSync(join(project, 'index.html'), `<!DOCTYPE html>
<html><head><meta charset="utf-8">
<script type="importmap">
{ "imports": { "colorune": "./node_modules/colorune/index.mjs",
               "colorune/markdown-it": "./node_modules/colorune/markdown-it.mjs" } }
</script>
</head><body><pre id="verdict">the check did not run</pre>
<script type="module">
import { convert, toHtml, version } from 'colorune';
import plugin from 'colorune/markdown-it';
const problems = [];
const bytes = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
try {
  for (const c of await (await fetch('cases.json')).json()) {
    const got = convert(bytes(c.input), c.options);
    const want = bytes(c.expected);
    if (got.length !== want.length || got.some((b, i) => b !== want[i])) problems.push(c.name + ': bytes differ');
  }
  if (!toHtml('int x;').includes('int')) problems.push('toHtml');
  const md = { options: {} };
  plugin(md);
  if (md.options.highlight('int x;', 'cpp', '') !== toHtml('int x;', { modern: true })) problems.push('the plugin');
  if (!/^[0-9]+[.][0-9]+[.][0-9]+$/.test(version)) problems.push('version ' + version);
} catch (error) {
  problems.push(String(error));
}
document.getElementById('verdict').textContent = problems.length === 0 ? 'PASS' : problems.join('\\n');
</script></body></html>
`);

const types = { '.html': 'text/html', '.mjs': 'text/javascript', '.js': 'text/javascript', '.json': 'application/json' };
const server = createServer((request, response) => {
  const path = normalize(decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname)).replace(/^\/+/, '');
  if (path.startsWith('..')) return response.writeHead(403).end();
  try {
    const body = readFileSync(join(project, path || 'index.html'));
    response.writeHead(200, { 'content-type': types[extname(path || '.html')] || 'application/octet-stream' });
    response.end(body);
  } catch (error) {
    response.writeHead(404).end();
  }
});
server.listen(0, '127.0.0.1', () => {
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = spawn(process.execPath, [browserRun, chromium, url,
    "document.getElementById('verdict').textContent", 'the check did not run', '120'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  let verdict = '';
  browser.stdout.on('data', (chunk) => { verdict += chunk; });
  browser.on('exit', () => {
    process.stdout.write(verdict);
    server.close();
    server.closeAllConnections();
  });
});
