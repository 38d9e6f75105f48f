// The converter page: source bytes from a file or from typed text, options,
// and the fragment as a preview, as text to copy and as bytes to download.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const fileInput = $('file');
  const dropZone = $('drop-zone');
  const paste = $('paste');
  const lineNumbers = $('line-numbers');
  const noPre = $('no-pre');
  const utf8 = $('utf8');
  const modern = $('modern');
  const tabWidth = $('tab-width');
  const tabWidthError = $('tab-width-error');
  const encoding = $('encoding');
  const status = $('status');
  const preview = $('preview');
  const fragmentText = $('fragment');
  const copyButton = $('copy');
  const downloadButton = $('download');

  let source = null;       // { bytes: Uint8Array, name: string }
  let fragment = null;     // the fragment's bytes
  let ready = false;

  // UTF-8 when the bytes are well-formed UTF-8 (plain ASCII included), else
  // Shift_JIS, the program's own home encoding.
  function guessEncoding(bytes) {
    try {
      new TextDecoder('utf-8', { fatal: true }).decode(bytes);
      return 'utf-8';
    } catch (e) {
      return 'shift_jis';
    }
  }

  function sourceEncoding() {
    return encoding.value === 'auto' ? guessEncoding(source.bytes) : encoding.value;
  }

  function readTabWidth() {
    const value = Number(tabWidth.value);
    const valid = tabWidth.value.trim() !== '' && Number.isInteger(value) && value >= 1 && value <= 99;
    tabWidthError.hidden = valid;
    tabWidth.setAttribute('aria-invalid', valid ? 'false' : 'true');
    return valid ? value : null;
  }

  function convertSource() {
    if (!ready || source === null) return;
    const width = readTabWidth();
    if (width === null) return;
    const started = performance.now();
    fragment = colorune.convert(source.bytes, {
      lineNumbers: lineNumbers.checked, noPre: noPre.checked, tabWidth: width, utf8: utf8.checked,
      modern: modern.checked,
    });
    const elapsed = performance.now() - started;
    const name = sourceEncoding();
    const html = new TextDecoder(name).decode(fragment);
    // The fragment is safe to insert: every "<", ">" and "&" of the source is an
    // entity, and its only tags are the format's own.
    preview.innerHTML = html;
    fragmentText.value = html;
    copyButton.disabled = false;
    downloadButton.disabled = false;
    status.textContent = 'Converted ' + source.name + ': ' + source.bytes.length.toLocaleString('en') +
      ' bytes, read as ' + (name === 'utf-8' ? 'UTF-8' : 'Shift_JIS') + ', in ' + elapsed.toFixed(1) + ' ms.';
  }

  function takeFile(file) {
    file.arrayBuffer().then(function (buffer) {
      source = { bytes: new Uint8Array(buffer), name: file.name };
      // A UTF-8 file wants UTF-8 reading; the user may still change it.
      utf8.checked = guessEncoding(source.bytes) === 'utf-8';
      convertSource();
    }, function () {
      status.textContent = 'Could not read ' + file.name + '.';
    });
  }

  fileInput.addEventListener('change', function () {
    if (fileInput.files.length > 0) takeFile(fileInput.files[0]);
  });
  dropZone.addEventListener('dragover', function (event) {
    event.preventDefault();
    dropZone.classList.add('dragging');
  });
  dropZone.addEventListener('dragleave', function () { dropZone.classList.remove('dragging'); });
  dropZone.addEventListener('drop', function (event) {
    event.preventDefault();
    dropZone.classList.remove('dragging');
    if (event.dataTransfer.files.length > 0) takeFile(event.dataTransfer.files[0]);
  });

  paste.addEventListener('input', function () {
    source = { bytes: new TextEncoder().encode(paste.value), name: 'the typed text' };
    utf8.checked = true;
    encoding.value = 'utf-8';
    convertSource();
  });

  for (const control of [lineNumbers, noPre, utf8, modern, tabWidth, encoding]) {
    control.addEventListener('input', convertSource);
    control.addEventListener('change', convertSource);
  }

  copyButton.addEventListener('click', function () {
    const done = () => { status.textContent = 'The fragment is on the clipboard.'; };
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(fragmentText.value).then(done, function () {
        fragmentText.select();
        if (document.execCommand('copy')) done();
      });
    } else {
      fragmentText.select();
      if (document.execCommand('copy')) done();
    }
  });

  downloadButton.addEventListener('click', function () {
    // The bytes as the program writes them, in the source's own encoding.
    const url = URL.createObjectURL(new Blob([fragment], { type: 'text/html' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = (source.name === 'the typed text' ? 'source' : source.name) + '.html';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  });

  colorune.ready.then(function () {
    ready = true;
    status.textContent = 'Ready: choose or drop a file, or type some source.';
    convertSource();
  }, function (error) {
    status.textContent = 'The converter could not start: ' + error;
  });
})();
