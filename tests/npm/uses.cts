// The package from CommonJS, as configuration files still require it.
import colorune = require('colorune');
import plugin = require('colorune/markdown-it');
import MarkdownIt = require('markdown-it');

const html: string = colorune.toHtml('int x;', { lineNumbers: true });
const md = new MarkdownIt().use(plugin, { tabWidth: 8 });
console.log(html, md.render('```c\nint x;\n```\n'), colorune.version);

// @ts-expect-error the source of convert is bytes
colorune.convert('int x;');
// @ts-expect-error a fence must be a pre element
plugin(new MarkdownIt(), { noPre: true });
