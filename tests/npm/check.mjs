// The installed package in Node, against the native program: both entries
// convert as it does, the markdown-it plugin highlights the C and C++ fences as
// it does and leaves the others alone, bad calls throw what they should, and
// the module's memory does not grow with repeated calls. Run from a project
// where colorune, markdown-it and typescript are installed (tests/npm_test.sh):
//   node check.mjs NATIVE_PROGRAM FILE...
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';

const [native, ...files] = process.argv.slice(2);
const scratch = mkdtempSync(join(tmpdir(), 'colorune-npm-'));
const program = (file, args) => execFileSync(native, [file, ...args], { maxBuffer: 1 << 30 });
const programOnText = (text, args) => {
  writeFileSync(join(scratch, 'source'), text);
  return program(join(scratch, 'source'), args).toString('utf8');
};

// Each module, as it is instantiated, hands over its memory, whose size tells
// whether calls made it grow.
const memories = [];
const Instance = WebAssembly.Instance;
WebAssembly.Instance = function (module, imports) {
  const instance = new Instance(module, imports);
  memories.push(Object.values(instance.exports).find((value) => value instanceof WebAssembly.Memory));
  return instance;
};
const esm = await import('colorune');
const { default: esmPlugin } = await import('colorune/markdown-it');
const require = createRequire(import.meta.url);
const cjs = require('colorune');
const cjsPlugin = require('colorune/markdown-it');
const { default: MarkdownIt } = await import('markdown-it');
WebAssembly.Instance = Instance;
assert.equal(memories.length, 2, 'one module for the ES entries, one for the CommonJS ones');
const [esmMemory] = memories;

const version = readFileSync(new URL('./node_modules/colorune/package.json', import.meta.url), 'utf8');
assert.equal(esm.version, JSON.parse(version).version);
assert.equal(cjs.version, esm.version);

// convert and toHtml against the program, in many sets of options.
const optionSets = [
  [{}, []],
  [{ lineNumbers: true }, ['-l']],
  [{ noPre: true, tabWidth: 8 }, ['-p', '-t8']],
  [{ lineNumbers: true, noPre: true, utf8: true, tabWidth: 1 }, ['-l', '-p', '-u', '-t1']],
  [{ modern: true, lineNumbers: true }, ['-m', '-l']],
  [{ style: true, noPre: true, lineNumbers: true }, ['-s', '-p', '-l']],
  [{ modern: true, utf8: true, style: true, tabWidth: 99 }, ['-m', '-u', '-s', '-t99']],
];
// Keeps a byte order mark, and says when the bytes are not UTF-8.
const strictUtf8 = new TextDecoder('utf-8', { fatal: true, ignoreBOM: true });
let conversions = 0;
for (const file of files) {
  const bytes = readFileSync(file);
  let text = null;
  try {
    text = strictUtf8.decode(bytes);
  } catch (error) {
    // Shift_JIS: bytes only
  }
  for (const [options, args] of optionSets) {
    const expected = program(file, args);
    for (const api of [esm, cjs]) {
      assert.deepEqual(Buffer.from(api.convert(new Uint8Array(bytes), options)), expected, `convert ${basename(file)} ${args}`);
    }
    if (text !== null) {
      const expectedText = program(file, [...args.filter((arg) => arg !== '-u'), '-u']).toString('utf8');
      const { utf8, ...htmlOptions } = options;
      assert.equal(esm.toHtml(text, htmlOptions), expectedText, `toHtml ${basename(file)} ${args}`);
      assert.equal(esm.toHtml(text, options), expectedText, `toHtml ${basename(file)} ${args}: utf8 changes nothing`);
    }
    conversions += 1;
  }
}
// Text that is not ASCII, whose fragment is decoded in pieces: three-byte
// characters everywhere, so that pieces end next to them, and four-byte ones.
const japanese = ('// ' + 'いろは'.repeat(40) + ' 😀\nchar *s = "にほへと";\n').repeat(400);
assert.equal(esm.toHtml(japanese, { lineNumbers: true }), programOnText(japanese, ['-u', '-l']));
assert.equal(esm.toHtml(''), programOnText('', ['-u']));
console.log(`ok: ${conversions} conversions of ${files.length} files equal the program's, in both entries`);

// Bad calls.
const throwing = [
  [() => esm.toHtml(42), TypeError],
  [() => esm.toHtml(new Uint8Array(2)), TypeError],
  [() => cjs.toHtml(undefined), TypeError],
  [() => esm.convert('int main;'), TypeError],
  [() => esm.convert([105, 110, 116]), TypeError],
  [() => cjs.convert(new Uint16Array(2)), TypeError],
  [() => esm.toHtml('int', 'lineNumbers'), TypeError],
  ...[0, 100, 2.5, '4', NaN, null, -1].map((tabWidth) => [() => esm.toHtml('int', { tabWidth }), RangeError]),
  [() => cjs.convert(new Uint8Array(1), { tabWidth: 0 }), RangeError],
];
for (const [call, kind] of throwing) assert.throws(call, kind, String(call));
for (const tabWidth of [1, 99]) esm.toHtml('\tint', { tabWidth });
// Out of memory: the source alone does not fit in the module's memory, or its
// fragment does not. The module is still usable afterwards.
assert.throws(() => cjs.convert(new Uint8Array(2 ** 31)), (error) => error.constructor === Error && /out of memory/.test(error.message));
assert.throws(() => cjs.toHtml('x'.repeat(2 ** 29 - 24)), (error) => error.constructor === Error && /out of memory/.test(error.message));
assert.equal(cjs.toHtml('int'), esm.toHtml('int'));
console.log(`ok: ${throwing.length + 2} bad calls throw what they should`);

// The markdown-it plugin. The fence languages, and whether the plugin should
// take the fence: the first word of the info string, in any case.
const languages = [
  ['c', true], ['C', true], ['h', true], ['cpp', true], ['CPP', true], ['c++', true], ['cc', true], ['cxx', true],
  ['hpp', true], ['hxx', true], ['hh', true], ['h++', true], ['H++', true], ['Cpp {.numbered}', true],
  ['python', false], ['c#', false], ['cs', false], ['objective-c', false], ['cppx', false], ['', false],
];
const code = 'constexpr auto n = 1\'000\'000;\t// ナンバー <n> & "m"\nauto s = R"(a "raw" \\ string)";\nchar c = \'x;\n';
const markdown = '# Code\n\n' + languages.map(([info]) => '```' + info + '\n' + code + '```\n').join('\n') +
                 '\n~~~ cpp\nint tilde;\n~~~\n\n    int indented;\n';
// The highlight function set before the plugin: it takes Python, and leaves the
// rest to markdown-it.
const before = (text, language) => (language === 'python' ? `<pre class="before">${text.length}</pre>` : '');
function expectedRender(args) {
  const isC = new Map(languages.map(([info, c]) => [info.split(' ')[0], c]));
  isC.set('cpp', true);
  const md = new MarkdownIt({ highlight: (text, language) => (isC.get(language) ? programOnText(text, ['-u', ...args]) : before(text, language)) });
  return md.render(markdown);
}
for (const [options, args] of [
  [undefined, ['-m']],
  [{ lineNumbers: true, tabWidth: 8, style: true, modern: false }, ['-l', '-t8', '-s']],
  [{ modern: true, lineNumbers: true }, ['-m', '-l']],
]) {
  const expected = expectedRender(args);
  for (const plugin of [esmPlugin, cjsPlugin]) {
    const md = new MarkdownIt({ highlight: before }).use(plugin, options);
    assert.equal(md.render(markdown), expected, `markdown-it with ${JSON.stringify(options)}`);
  }
  // Without a highlight function of its own, the other fences are markdown-it's.
  assert.equal(new MarkdownIt().use(esmPlugin, options).render('```js\na < b\n```\n'), new MarkdownIt().render('```js\na < b\n```\n'));
}
assert.throws(() => new MarkdownIt().use(esmPlugin, { noPre: true }), TypeError);
assert.throws(() => new MarkdownIt().use(cjsPlugin, { tabWidth: 100 }), RangeError);
console.log(`ok: markdown-it with the plugin renders ${languages.length + 2} fences as the program and markdown-it do`);

// Memory: a million small calls leave the module's memory as it was; after a
// 100 MB text, the next large and small calls fit in the memory it took.
const pages = () => esmMemory.buffer.byteLength;
const small = 'int main(void) { return 0; } /* a small call */\n';
const smallBytes = new TextEncoder().encode(small);
esm.toHtml(small);
esm.convert(smallBytes);
const before1 = pages();
for (let i = 0; i < 500000; ++i) {
  esm.toHtml(small, { lineNumbers: (i & 1) === 1 });
  esm.convert(smallBytes, { style: (i & 2) === 2 });
}
assert.equal(pages(), before1, 'a million small calls grew the memory');
const huge = readFileSync(files.find((file) => /\.cpp$/.test(file)), 'utf8').repeat(1).padEnd(1000, ' ');
const hundred = huge.repeat(Math.ceil(100e6 / huge.length));
const first = esm.toHtml(hundred);
const after = pages();
assert.ok(after > 100e6);
assert.equal(esm.toHtml(hundred).length, first.length);
esm.convert(new TextEncoder().encode(hundred));
for (let i = 0; i < 1000; ++i) esm.toHtml(small);
assert.equal(pages(), after, 'the calls after a 100 MB text took more memory');
console.log(`ok: a million small calls and calls after a 100 MB text leave the memory at ${after} bytes`);

rmSync(scratch, { recursive: true, force: true });
