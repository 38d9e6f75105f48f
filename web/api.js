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
    const input = module._malloc(Math.max(bytes.length, 1));
    const sizeCell = module._malloc(4);
    if (input === 0 || sizeCell === 0) {
      module._free(input);
      module._free(sizeCell);
      throw new Error('colorune.convert: out of memory');
    }
    module.HEAPU8.set(bytes, input);
    const output = module._colorune_convert(input, bytes.length, o.lineNumbers ? 1 : 0, o.noPre ? 1 : 0,
                                            o.tabWidth, o.utf8 ? 1 : 0, o.modern ? 1 : 0, o.style ? 1 : 0, sizeCell);
    module._free(input);
    // The memory may have grown during the call: take the views anew.
    const size = module.HEAPU32[sizeCell >> 2];
    module._free(sizeCell);
    if (output === 0) throw new Error('colorune.convert: out of memory');
    const fragment = module.HEAPU8.slice(output, output + size);
    module._free(output);
    return fragment;
  };

  return api;
})();
