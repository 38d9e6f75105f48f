// Opens a page in headless Chromium, driven over its DevTools pipe with a real
// clock (virtual time would run ahead of the page's real work: reading files,
// compiling WebAssembly), and prints the value of an expression once it is no
// longer a placeholder, or what it is when the time is up. With a file name,
// also takes a screenshot of the page at the given size. Needs only Node.js.
//
//   node tests/browser_run.js CHROMIUM URL EXPRESSION PLACEHOLDER SECONDS [SHOT.png WIDTH HEIGHT]
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [chromium, url, expression, placeholder, seconds, shot, width, height] = process.argv.slice(2);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'colorune-browser-'));
// No network, no first-run work, a fresh profile: the browser must reach
// nothing.
const browser = spawn(chromium, [
  '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--hide-scrollbars', '--remote-debugging-pipe',
  '--user-data-dir=' + profile, '--window-size=' + (width || 1000) + ',' + (height || 1000), 'about:blank',
], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });

// Messages go both ways as JSON, each ended by a NUL byte.
let lastId = 0;
const waiting = new Map();
let received = '';
browser.stdio[4].on('data', (chunk) => {
  received += chunk.toString();
  for (let end = received.indexOf('\0'); end >= 0; end = received.indexOf('\0')) {
    const message = JSON.parse(received.slice(0, end));
    received = received.slice(end + 1);
    if (message.id !== undefined && waiting.has(message.id)) {
      waiting.get(message.id)(message);
      waiting.delete(message.id);
    }
  }
});
function send(method, params, sessionId) {
  return new Promise((resolve) => {
    const id = ++lastId;
    waiting.set(id, resolve);
    browser.stdio[3].write(JSON.stringify({ id, method, params: params || {}, sessionId }) + '\0');
  });
}

let finishing = false;
function finish(value, code) {
  if (finishing) return;
  finishing = true;
  process.stdout.write(String(value));
  // The profile goes once the browser has let go of it.
  browser.on('exit', () => {
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
    process.exit(code);
  });
  browser.kill();
}

(async () => {
  const created = await send('Target.createTarget', { url });
  const attached = await send('Target.attachToTarget', { targetId: created.result.targetId, flatten: true });
  const session = attached.result.sessionId;
  const deadline = Date.now() + 1000 * Number(seconds);
  let value = placeholder;
  while (Date.now() < deadline) {
    const answer = await send('Runtime.evaluate', { expression, returnByValue: true }, session);
    const result = answer.result && answer.result.result;
    value = result && result.value !== undefined ? result.value : placeholder;
    if (value !== placeholder) break;
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
  if (shot) {
    const picture = await send('Page.captureScreenshot', { format: 'png' }, session);
    fs.writeFileSync(shot, Buffer.from(picture.result.data, 'base64'));
  }
  finish(value, 0);
})().catch((error) => finish('browser_run: ' + error, 1));
setTimeout(() => finish('browser_run: no answer from the browser', 1), 1000 * (Number(seconds) + 30)).unref();
