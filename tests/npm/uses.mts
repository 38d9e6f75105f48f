// The package as a TypeScript program uses it (checked with strict types, under
// the module resolutions nodenext and bundler). Every misuse is marked: the
// check fails when one is not an error, and when the file without the marks
// compiles.
import { convert, toHtml, version, type Options } from 'colorune';
import colorune from 'colorune/markdown-it';
import MarkdownIt from 'markdown-it';

const options: Options = { lineNumbers: true, noPre: false, tabWidth: 8, utf8: true, modern: true, style: false };
const bytes: Uint8Array = convert(new TextEncoder().encode('int x;'), options);
const html: string = toHtml('int x;', { modern: true, lineNumbers: true });
const plain: string = toHtml('int x;');
const v: string = version;
const md = new MarkdownIt().use(colorune, { lineNumbers: true, modern: false, tabWidth: 2, style: true });
const page: string = md.render('```cpp\nint x;\n```\n');
console.log(bytes.length, html, plain, v, page);

// @ts-expect-error the source of convert is bytes
convert('int x;');
// @ts-expect-error the source of toHtml is a string
toHtml(new Uint8Array(1));
// @ts-expect-error a string is always read as UTF-8
toHtml('int x;', { utf8: true });
// @ts-expect-error the tab width is a number
convert(new Uint8Array(1), { tabWidth: '8' });
// @ts-expect-error no such option
convert(new Uint8Array(1), { lineNumber: true });
// @ts-expect-error toHtml gives a string
const wrong: Uint8Array = toHtml('int x;');
// @ts-expect-error a fence must be a pre element
colorune(new MarkdownIt(), { noPre: true });
console.log(wrong);
