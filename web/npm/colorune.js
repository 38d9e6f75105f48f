// The package's API over the module above (Module, instantiated synchronously
// as this file is loaded, so that the first call may come at once: markdown-it
// asks for a fence's HTML synchronously). Appended to the WebAssembly glue by
// the web build, once for the ES module and once for the CommonJS one.
//
// Each call copies its source into the module's memory, calls
// colorune_to_html, and takes the fragment out; everything it allocates there
// is freed before it returns, so that the memory a large call took serves the
// next ones.
const { convert, toHtml, version } = (function () {
  'use strict';
  const LINE_NUMBERS = 0x01;
  const NO_PRE = 0x02;
  const UTF8 = 0x04;
  const MODERN = 0x08;
  const STYLE = 0x10;
  const ENOMEM = 2;
  // A request this large wraps around in the module's 32-bit sizes; the
  // memory holds at most 2 GiB anyway.
  const LARGEST_REQUEST = 0xfff00000;

  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  function outOfMemory(name) {
    return new Error('colorune.' + name + ': out of memory: the source and its fragment together must fit in ' +
                     'the 2 GiB of WebAssembly memory (sources up to a few hundred megabytes)');
  }

  // The option bits and the tab width of [options], checked.
  function settings(options, name) {
    if (options === undefined || options === null) return [0, 4];
    if (typeof options !== 'object') throw new TypeError('colorune.' + name + ': the options must be an object');
    let tabWidth = options.tabWidth;
    if (tabWidth === undefined) {
      tabWidth = 4;
    } else if (!Number.isInteger(tabWidth) || tabWidth < 1 || tabWidth > 99) {
      throw new RangeError('colorune.' + name + ': tabWidth must be a whole number from 1 to 99, not ' +
                           String(tabWidth));
    }
    const flags = (options.lineNumbers ? LINE_NUMBERS : 0) | (options.noPre ? NO_PRE : 0) |
                  (options.utf8 ? UTF8 : 0) | (options.modern ? MODERN : 0) | (options.style ? STYLE : 0);
    return [flags, tabWidth];
  }

  // Room for two result cells (the fragment's address and length), then
  // [capacity] bytes of source; 0 when there is no memory for it.
  function reserve(capacity) {
    return capacity > LARGEST_REQUEST ? 0 : Module._malloc(capacity + 8);
  }

  // Converts the [length] bytes at [block] + 8 and frees [block]; hands the
  // fragment, in the module's memory, to [take] and returns what it returns.
  function run(block, length, flags, tabWidth, name, take) {
    const status = Module._colorune_to_html(block + 8, length, flags, tabWidth, block, block + 4);
    // The memory may have grown during the call: the views are taken anew.
    const cells = Module.HEAPU32;
    const html = cells[block >> 2];
    const size = cells[(block >> 2) + 1];
    Module._free(block);
    if (status === ENOMEM) throw outOfMemory(name);
    if (status !== 0) throw new Error('colorune.' + name + ': the conversion failed (status ' + status + ')');
    try {
      return take(Module.HEAPU8.subarray(html, html + size));
    } finally {
      Module._colorune_free(html);
    }
  }

  // The fragment as a string, decoded in pieces of at most PIECE bytes joined
  // as V8 joins strings, without copying them. A string of more than about
  // 128 KiB is allocated by V8 in fresh pages of its own, which costs a fragment
  // of 300 KB as much time as converting it; pieces are allocated where small
  // strings are, and the string is made flat only if and when something needs
  // it so (markdown-it joins the fences into the page before it is written out).
  // The fragment of a UTF-8 text is UTF-8 itself: a piece ends before a
  // continuation byte, never inside a character.
  const PIECE = 65536;
  function decodePieces(fragment) {
    if (fragment.length <= PIECE) return decoder.decode(fragment);
    let text = '';
    for (let start = 0; start < fragment.length;) {
      let end = Math.min(start + PIECE, fragment.length);
      while (end < fragment.length && (fragment[end] & 0xc0) === 0x80) --end;
      text += decoder.decode(fragment.subarray(start, end));
      start = end;
    }
    return text;
  }

  function convert(bytes, options) {
    if (!(bytes instanceof Uint8Array)) throw new TypeError('colorune.convert: the source must be a Uint8Array');
    const [flags, tabWidth] = settings(options, 'convert');
    const block = reserve(bytes.length);
    if (block === 0) throw outOfMemory('convert');
    Module.HEAPU8.set(bytes, block + 8);
    return run(block, bytes.length, flags, tabWidth, 'convert', (fragment) => fragment.slice());
  }

  function toHtml(text, options) {
    if (typeof text !== 'string') throw new TypeError('colorune.toHtml: the source must be a string');
    // Always read as UTF-8, which is what the text becomes: options.utf8 changes nothing.
    const [flags, tabWidth] = settings(options, 'toHtml');
    // First as many bytes as the text has UTF-16 units, which ASCII fills
    // exactly; what does not fit then gets the most it can need, 3 bytes a unit.
    let capacity = text.length;
    let block = reserve(capacity);
    if (block === 0) throw outOfMemory('toHtml');
    let { read, written } = encoder.encodeInto(text, Module.HEAPU8.subarray(block + 8, block + 8 + capacity));
    if (read < text.length) {
      const rest = text.length - read;
      capacity = written + 3 * rest;
      const larger = capacity > LARGEST_REQUEST ? 0 : Module._realloc(block, capacity + 8);
      if (larger === 0) {
        Module._free(block);
        throw outOfMemory('toHtml');
      }
      block = larger;
      written += encoder.encodeInto(text.slice(read), Module.HEAPU8.subarray(block + 8 + written, block + 8 + capacity))
                   .written;
    }
    return run(block, written, flags | UTF8, tabWidth, 'toHtml', (fragment) => {
      try {
        return decodePieces(fragment);
      } catch (error) {
        if (!(error instanceof RangeError)) throw error;
        throw new Error('colorune.toHtml: out of memory: the fragment, ' + fragment.length + ' bytes, is longer ' +
                        'than a JavaScript string can be; convert gives it as bytes');
      }
    });
  }

  const address = Module._colorune_version();
  const version = decoder.decode(Module.HEAPU8.subarray(address, Module.HEAPU8.indexOf(0, address)));

  return { convert, toHtml, version };
})();
