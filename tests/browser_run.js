// Opens a page in headless Chromium, driven over its DevTools pipe with a real
// clock (virtual time would run ahead of the page's real work: reading files,
// compiling WebAssembly), and prints the value of an expression once it is no
// longer a placeholder, or what it is when the time is up. With a file name,
// also takes a screenshot of the page at the given size. Needs only Node.js.
//
// The browser runs in a process group of its own, with a fresh profile; its
// helpers outlive the main process for a while, writing into the profile, so the
// profile goes only once every process of the group has gone. The verdict is
// the page's alone: a profile that cannot be removed is a warning.
//
//   [COLORUNE_COLOR_SCHEME=dark] node tests/browser_run.js CHROMIUM URL EXPRESSION PLACEHOLDER SECONDS [SHOT.png WIDTH HEIGHT]
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
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--hide-scrollbars', '--remote-debugging-pipe',
  '--user-data-dir=' + profile, '--window-size=' + (width || 1000) + ',' + (height || 1000), 'about:blank',
], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'], detached: true });
const group = browser.pid;
browser.on('error', (error) => finish('browser_run: cannot start the browser: ' + error.message, 1));
// Once the browser has gone, a message to it is lost, not an error.
browser.stdio[3].on('error', () => {});

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

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Whether a process of the browser's group is still running (a zombie waiting
// for its parent, or for an init that may never reap it, is not).
function groupRunning() {
  if (group === undefined) return false;
  let entries;
  try {
    entries = fs.readdirSync('/proc');
  } catch (error) {
    try {
      process.kill(-group, 0);
      return true;
    } catch (e) {
      return e.code === 'EPERM';
    }
  }
  for (const entry of entries) {
    if (!/^[0-9]+$/.test(entry)) continue;
    let stat;
    try {
      stat = fs.readFileSync('/proc/' + entry + '/stat', 'latin1');
    } catch (error) {
      continue;  // gone meanwhile
    }
    // pid (comm) state ppid pgrp ...: comm may hold spaces and parentheses.
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    if (Number(fields[2]) === group && fields[0] !== 'Z') return true;
  }
  return false;
}

function signalGroup(signal) {
  try {
    process.kill(-group, signal);
  } catch (error) {
    // the group has gone already
  }
}

// Asks the browser to close, then ends what is left of its group; waits, with a
// bound, until none of it runs.
async function stopBrowser() {
  await Promise.race([send('Browser.close'), sleep(3000)]);
  for (const [signal, seconds] of [['SIGTERM', 2], ['SIGTERM', 10], ['SIGKILL', 10]]) {
    const deadline = Date.now() + 1000 * seconds;
    while (groupRunning() && Date.now() < deadline) await sleep(50);
    if (!groupRunning()) return true;
    signalGroup(signal);
  }
  return !groupRunning();
}

let finishing = false;
async function finish(value, code) {
  if (finishing) return;
  finishing = true;
  process.stdout.write(String(value));
  const stopped = await stopBrowser();
  try {
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
  } catch (error) {
    process.stderr.write('browser_run: warning: the browser profile stays: ' + error.message + '\n');
  }
  if (!stopped) process.stderr.write('browser_run: warning: browser processes outlived the wait\n');
  process.exit(code);
}

(async () => {
  // COLORUNE_COLOR_SCHEME=dark: the page as a reader who prefers dark sees it.
  const scheme = process.env.COLORUNE_COLOR_SCHEME;
  const created = await send('Target.createTarget', { url: scheme ? 'about:blank' : url });
  const attached = await send('Target.attachToTarget', { targetId: created.result.targetId, flatten: true });
  const session = attached.result.sessionId;
  if (scheme) {
    await send('Emulation.setEmulatedMedia', { features: [{ name: 'prefers-color-scheme', value: scheme }] }, session);
    await send('Page.navigate', { url }, session);
  }
  const deadline = Date.now() + 1000 * Number(seconds);
  let value = placeholder;
  let answer = null;
  while (Date.now() < deadline) {
    answer = await send('Runtime.evaluate', { expression, returnByValue: true }, session);
    const result = answer.result && answer.result.result;
    value = result && result.value !== undefined ? result.value : placeholder;
    if (value !== placeholder) break;
    await sleep(200);
  }
  if (value === placeholder) {
    // What the page was waiting for (a check may say so in
    // window.coloruneWaitingFor), or what the browser answered.
    const waiting = await send('Runtime.evaluate', { expression: 'String(window.coloruneWaitingFor)', returnByValue: true },
                               session);
    const said = waiting.result && waiting.result.result ? waiting.result.result.value : JSON.stringify(waiting);
    process.stderr.write('browser_run: timed out; the page was waiting for: ' + said + '; last answer: ' +
                         JSON.stringify(answer).slice(0, 500) + '\n');
  }
  if (shot) {
    const picture = await send('Page.captureScreenshot', { format: 'png' }, session);
    fs.writeFileSync(shot, Buffer.from(picture.result.data, 'base64'));
  }
  finish(value, 0);
})().catch((error) => finish('browser_run: ' + error, 1));
setTimeout(() => finish('browser_run: no answer from the browser', 1), 1000 * (Number(seconds) + 30)).unref();
