// md.use(colorune, options): the C and C++ fences highlighted by toHtml, every
// other fence left to the highlight function set before (or to markdown-it's
// own escaping). A fence's HTML is exactly toHtml(content, options), which
// starts with <pre, so markdown-it takes it as it is: noPre has no place here.
// modern defaults to true: a Markdown author writes today's C and C++.
const languages = new Set(['c', 'h', 'cpp', 'c++', 'cc', 'cxx', 'hpp', 'hxx', 'hh', 'h++']);

function colorune(md, options) {
  if (md === null || typeof md !== 'object' || md.options === null || typeof md.options !== 'object') {
    throw new TypeError('colorune/markdown-it: a plugin of markdown-it: md.use(colorune, options)');
  }
  if (options !== undefined && options !== null && typeof options !== 'object') {
    throw new TypeError('colorune/markdown-it: the options must be an object');
  }
  const settings = Object.assign({ modern: true }, options);
  if (settings.noPre) {
    throw new TypeError('colorune/markdown-it: noPre is no option of the plugin: a fence must be a pre element');
  }
  toHtml('', settings);  // a bad tab width throws now, not at the first fence
  const previous = md.options.highlight;
  // markdown-it hands over the first word of the info string as the language.
  md.options.highlight = function (code, language, attributes) {
    if (languages.has(language.toLowerCase())) return toHtml(code, settings);
    return previous ? previous.call(this, code, language, attributes) : '';
  };
}
