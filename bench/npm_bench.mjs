// The npm package's speed against the most used JavaScript highlighter, side by
// side in one Node process, and against the native program on a large input.
// Run by bench/npm_bench.sh, which installs both into a scratch project:
//   node npm_bench.mjs NATIVE_PROGRAM LARGE_FILE FILE...
// Runs are interleaved (each contender in turn, round after round) and the
// fastest of each is kept, since the machine's other work only ever slows a run.
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { basename } from 'node:path';
import { toHtml, convert } from 'colorune';
import hljs from 'highlight.js';

const [native, large, ...files] = process.argv.slice(2);
const rounds = 15;

// The fastest time of one call, in milliseconds, of each contender.
function race(contenders, budgetMs) {
  const best = contenders.map(() => Infinity);
  for (let round = 0; round < rounds; ++round) {
    contenders.forEach(([, run], i) => {
      let calls = 0;
      const start = performance.now();
      let elapsed = 0;
      do {
        run();
        ++calls;
        elapsed = performance.now() - start;
      } while (elapsed < budgetMs);
      best[i] = Math.min(best[i], elapsed / calls);
    });
  }
  return best;
}

for (const file of files) {
  const text = readFileSync(file, 'utf8');
  const language = /\.(c|h)$/.test(file) ? 'c' : 'cpp';
  // Both once first, so that neither is timed while compiled for the first time.
  toHtml(text);
  hljs.highlight(text, { language });
  // Both give strings that V8 may keep in pieces until something reads them
  // through; the second pair of rows makes each flat, as writing it out would.
  const flat = (html) => /\u0001/.test(html);
  const [ours, theirs, oursFlat, theirsFlat] = race([
    ['toHtml', () => toHtml(text)],
    ['highlight.js', () => hljs.highlight(text, { language }).value],
    ['toHtml, flat', () => flat(toHtml(text))],
    ['highlight.js, flat', () => flat(hljs.highlight(text, { language }).value)],
  ], 50);
  const row = (label, ms, theirMs) =>
    console.log(`${basename(file)} (${(text.length / 1000).toFixed(1)} KB)${label}: toHtml ${ms.toFixed(3)} ms ` +
                `(${(text.length / ms / 1000).toFixed(0)} MB/s), highlight.js ${theirMs.toFixed(2)} ms ` +
                `(${(text.length / theirMs / 1000).toFixed(1)} MB/s): ${(theirMs / ms).toFixed(1)} times faster`);
  row('', ours, theirs);
  row(', made flat', oursFlat, theirsFlat);
}

// A large input: toHtml (encoding and decoding included), convert (bytes in,
// bytes out) and the native program (reading the file and writing to
// /dev/null; its start is a millisecond of it).
const bytes = readFileSync(large);
const text = bytes.toString('utf8');
const megabytes = bytes.length / 1e6;
const [textMs, bytesMs, nativeMs] = race([
  ['toHtml', () => toHtml(text)],
  ['convert', () => convert(bytes)],
  ['native', () => spawnSync(native, [large, '-u'], { stdio: ['ignore', 'ignore', 'inherit'] })],
], 0);
console.log(`${megabytes.toFixed(1)} MB: toHtml ${textMs.toFixed(1)} ms (${(megabytes / textMs * 1000).toFixed(0)} MB/s), ` +
            `convert ${bytesMs.toFixed(1)} ms (${(megabytes / bytesMs * 1000).toFixed(0)} MB/s), ` +
            `native ${nativeMs.toFixed(1)} ms (${(megabytes / nativeMs * 1000).toFixed(0)} MB/s): ` +
            `toHtml takes ${(textMs / nativeMs).toFixed(2)} times the native program's time, convert ` +
            `${(bytesMs / nativeMs).toFixed(2)}`);
