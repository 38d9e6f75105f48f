// The converter as the page sees it: a global colorune with
//   colorune.ready                  a Promise that resolves (to colorune) once it can convert;
//   colorune.convert(bytes, options) the fragment's bytes (a Uint8Array) for the
//                                    source bytes (a Uint8Array), exactly what the
//                                    program writes for them.
// options: lineNumbers (-l), noPre (-p), tabWidth (-t, 1 to 99), utf8 (-u),
// modern (-m) and style (-s); any left out keeps its default (off, off, 4, off,
// off, off).
var colorune = (function () {
  'use strict';
  let module = null;
  const api = {};

  api.ready = createColoruneModule().then(function (instance) {
    module = instance;
    return api;
  });

  api.convert = function (bytes, options) {
    if (module === null) throw new Error('colorune.convert: not ready yet (wait for colorune.ready)');
    if (!(bytes instanceof Uint8Array)) throw new TypeError('colorune.convert: the source must be a Uint8Array');
    const o = Object.assign({ lineNumbers: false, noPre: false, tabWidth: 4, utf8: false, modern: false, style: false },
                            options);
    if (!Number.isInteger(o.tabWidth) || o.tabWidth < 1 || o.tabWidth > 99) {
      throw new RangeError('colorune.convert: tabWidth must be a whole number from 1 to 99, not ' + o.tabWidth);
    }
    const flags = (o.lineNumbers ? 0x01 : 0) | (o.noPre ? 0x02 : 0) | (o.utf8 ? 0x04 : 0) |
                    (o.modern ? 0x08 : 0) | (o.style ? 0x10 : 0);
    // The source, then two cells for colorune_to_html's results: the fragment and its length.
    const cells = (bytes.length + 3) & ~3;
    const input = module._malloc(cells + 8);
    if (input === 0) throw new Error('colorune.convert: out of memory');
    module.HEAPU8.set(bytes, input);
    const status = module._colorune_to_html(input, bytes.length, flags, o.tabWidth, input + cells, input + cells + 4);
    // The memory may have grown during the call: take the views anew.
    const output = module.HEAPU32[(input + cells) >> 2];
    const size = module.HEAPU32[(input + cells + 4) >> 2];
    module._free(input);
    if (status !== 0) throw new Error('colorune.convert: out of memory');
    const fragment = module.HEAPU8.slice(output, output + size);
    module._colorune_free(output);
    return fragment;
  };

  return api;
})();
