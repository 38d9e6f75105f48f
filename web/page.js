// The converter page: a source (a file, or typed text), the options, and the
// fragment as a preview, as text to copy, as rich text for editors and as bytes
// to download.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const fileInput = $('file');
  const dropZone = $('drop-zone');
  const paste = $('paste');
  const showing = $('showing');
  const encoding = $('encoding');
  const encodingNote = $('encoding-note');
  const modern = $('modern');
  const lineNumbers = $('line-numbers');
  const noPre = $('no-pre');
  const style = $('style');
  const tabWidth = $('tab-width');
  const tabWidthError = $('tab-width-error');
  const status = $('status');
  const preview = $('preview');
  const fragmentText = $('fragment');
  const fragmentNote = $('fragment-note');
  const copyButton = $('copy');
  const copyRichButton = $('copy-rich');
  const downloadButton = $('download');

  // A fragment larger than this is not put in the text box, where the browser
  // would lay out all of it: copy and download still take it whole.
  const kLargestShownFragment = 300000;
  // The preview is built in pieces of this many lines, the first at once and
  // the rest while the page stays responsive.
  const kChunkLines = 300;

  // Each source keeps its own encoding: the typed text is UTF-8 (the page makes
  // its bytes); a file's is guessed from its bytes, and the user may change it.
  const typed = { name: 'the typed text', bytes: new Uint8Array(0), encoding: 'utf-8', guessed: false, typed: true };
  let file = null;
  let source = null;     // typed or file: what is on screen
  let fragment = null;   // the fragment's bytes, as the program writes them
  let fragmentHtml = '';  // the same, decoded
  let ready = false;
  let generation = 0;    // a newer conversion stops the rendering of an older one
  let statusTimer = 0;

  const encodingNames = { 'shift_jis': 'Shift_JIS', 'utf-8': 'UTF-8', 'euc-jp': 'EUC-JP', 'windows-1252': 'Windows-1252' };

  function decodes(bytes, name) {
    try {
      new TextDecoder(name, { fatal: true }).decode(bytes);
      return true;
    } catch (e) {
      return false;
    }
  }
  const hasHighBytes = (bytes) => bytes.some((b) => b >= 0x80);

  // UTF-8 when the bytes are well-formed UTF-8, else Shift_JIS, the program's
  // own home encoding.
  const guessEncoding = (bytes) => (decodes(bytes, 'utf-8') ? 'utf-8' : 'shift_jis');

  // Whether the bytes look like what the chosen encoding expects, said in the
  // note under the choice.
  function describeEncoding() {
    encodingNote.classList.remove('warning');
    if (source === null) return;
    const chosen = source.encoding;
    let text = source.typed ? 'Typed text is UTF-8.'
      : source.guessed ? 'Guessed from the bytes.' : 'As you chose.';
    if (!source.typed && hasHighBytes(source.bytes)) {
      if (chosen !== 'utf-8' && decodes(source.bytes, 'utf-8')) {
        text = 'These bytes are UTF-8: read as ' + encodingNames[chosen] + ', its characters show wrong and' +
          ' may hide syntax. Choose UTF-8.';
        encodingNote.classList.add('warning');
      } else if (chosen !== 'windows-1252' && !decodes(source.bytes, chosen)) {
        text = 'These bytes are not ' + encodingNames[chosen] + ': some characters show as \ufffd.' +
          (chosen === 'utf-8' ? ' Shift_JIS, perhaps?' : '');
        encodingNote.classList.add('warning');
      }
    }
    encodingNote.textContent = text;
  }

  // The status: said at once for what the user did, but while text is typed
  // only once the typing pauses, so that a screen reader does not read it out
  // at every key.
  function say(text, later) {
    clearTimeout(statusTimer);
    if (later) {
      statusTimer = setTimeout(() => { status.textContent = text; }, 700);
    } else {
      status.textContent = text;
    }
  }

  function readTabWidth() {
    const value = Number(tabWidth.value);
    const valid = tabWidth.value.trim() !== '' && Number.isInteger(value) && value >= 1 && value <= 99;
    tabWidthError.hidden = valid;
    tabWidth.setAttribute('aria-invalid', valid ? 'false' : 'true');
    return valid ? value : null;
  }

  function options(width, inlineStyles) {
    return {
      lineNumbers: lineNumbers.checked, noPre: noPre.checked, tabWidth: width, utf8: source.encoding === 'utf-8',
      modern: modern.checked, style: inlineStyles,
    };
  }

  // Nothing stale stays on screen after an error: preview and fragment go, and
  // so do the buttons that would copy them.
  function clearOutput() {
    ++generation;
    fragment = null;
    fragmentHtml = '';
    preview.replaceChildren();
    fragmentText.value = '';
    fragmentNote.hidden = true;
    for (const button of [copyButton, copyRichButton, downloadButton]) button.disabled = true;
  }

  // The fragment's body cut into lines that each stand alone: an element open
  // at a line's end is closed there and opened again on the next line.
  function splitLines(html) {
    const bodyStart = html.indexOf('>', html.indexOf('<code')) + 1;
    const bodyEnd = html.lastIndexOf('</code>');
    const frame = { open: html.slice(0, bodyStart), close: html.slice(bodyEnd) };
    const lines = [];
    const open = [];  // the opening tags of the elements open here
    const closing = () => open.map((tag) => '</' + /^<(\w+)/.exec(tag)[1] + '>').reverse().join('');
    let line = '';
    const parts = html.slice(bodyStart, bodyEnd).split(/(<[^>]*>)/);
    for (let i = 0; i < parts.length; ++i) {
      const part = parts[i];
      if (i % 2 === 1) {  // a tag
        line += part;
        if (part.startsWith('</')) open.pop();
        else if (!part.startsWith('<br')) open.push(part);
        continue;
      }
      const pieces = part.split('\n');
      for (let k = 0; k < pieces.length; ++k) {
        line += pieces[k];
        if (k + 1 < pieces.length) {
          lines.push(line + closing());
          line = open.join('');
        }
      }
    }
    lines.push(line + closing());
    return { frame, lines };
  }

  // The preview in pieces: the first at once, the others a few at a time
  // between the page's other work. Pieces off screen cost no layout
  // (content-visibility), so a file of a few megabytes keeps the page
  // responsive. [done] is called once the whole preview is in.
  function renderPreview(html, painted, done) {
    const mine = ++generation;
    const { frame, lines } = splitLines(html);
    preview.innerHTML = frame.open + frame.close;
    const code = preview.querySelector('code');
    const separator = noPre.checked ? '' : '\n';
    let next = 0;
    const addChunk = () => {
      const chunk = document.createElement('span');
      chunk.className = 'chunk';
      chunk.innerHTML = lines.slice(next, next + kChunkLines).join(separator);
      code.appendChild(chunk);
      next += kChunkLines;
    };
    addChunk();
    // Once the first piece is painted; a page that is not shown gets no frames,
    // so it is said after a while all the same.
    let reported = false;
    const report = () => {
      if (reported || mine !== generation) return;
      reported = true;
      painted();
    };
    requestAnimationFrame(() => setTimeout(report, 0));
    setTimeout(report, 500);
    const step = () => {
      if (mine !== generation) return;
      const until = performance.now() + 12;
      while (next < lines.length && performance.now() < until) addChunk();
      if (next < lines.length) setTimeout(step, 0);
      else done();
    };
    if (next < lines.length) setTimeout(step, 0);
    else setTimeout(() => { if (mine === generation) done(); }, 0);
  }

  function convertSource(started, typing) {
    if (!ready || source === null) return;
    describeEncoding();
    const width = readTabWidth();
    if (width === null) {
      clearOutput();
      say('Not converted: the tab width is a whole number from 1 to 99.', false);
      return;
    }
    fragment = colorune.convert(source.bytes, options(width, style.checked));
    fragmentHtml = new TextDecoder(source.encoding).decode(fragment);
    if (fragmentHtml.length <= kLargestShownFragment) {
      fragmentText.value = fragmentHtml;
      fragmentNote.hidden = true;
    } else {
      fragmentText.value = '';
      fragmentNote.textContent = 'The fragment is ' + (fragment.length / 1e6).toFixed(1) +
        ' MB, too large to show here; Copy and Download take all of it.';
      fragmentNote.hidden = false;
    }
    for (const button of [copyButton, copyRichButton, downloadButton]) button.disabled = false;
    const what = 'Converted ' + source.name + ': ' + source.bytes.length.toLocaleString('en') + ' bytes read as ' +
      encodingNames[source.encoding];
    let shownAfter = 0;
    renderPreview(fragmentHtml, () => {
      shownAfter = performance.now() - started;
      say(what + ', shown in ' + shownAfter.toFixed(0) + ' ms.', typing);
    }, () => {
      const whole = performance.now() - started;
      if (whole - shownAfter > 100) say(what + ', shown in ' + shownAfter.toFixed(0) + ' ms, the whole preview in ' +
                                         whole.toFixed(0) + ' ms.', typing);
    });
  }

  function showSource(next) {
    source = next;
    encoding.value = source.encoding;
    encoding.disabled = source.typed;
    showing.textContent = 'Showing ' + (source.typed ? 'the text typed above.' : 'the file ' + source.name + '.');
  }

  function takeFile(chosen) {
    const started = performance.now();
    chosen.arrayBuffer().then(function (buffer) {
      const bytes = new Uint8Array(buffer);
      file = { name: chosen.name, bytes, encoding: guessEncoding(bytes), guessed: true, typed: false };
      showSource(file);
      convertSource(started, false);
    }, function () {
      say('Could not read ' + chosen.name + '.', false);
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
    const started = performance.now();
    typed.bytes = new TextEncoder().encode(paste.value);
    if (source !== typed) {
      fileInput.value = '';  // the file is no longer what is shown
      showSource(typed);
    }
    convertSource(started, true);
  });

  encoding.addEventListener('change', function () {
    if (source === null || source.typed) return;
    source.encoding = encoding.value;
    source.guessed = false;
    convertSource(performance.now(), false);
  });
  for (const control of [modern, lineNumbers, noPre, style, tabWidth]) {
    control.addEventListener(control === tabWidth ? 'input' : 'change', () => convertSource(performance.now(), false));
  }

  // Puts [items] (type to text) on the clipboard: by the asynchronous clipboard
  // where the browser offers it, else by the copy event of a copy command.
  function copy(items, message) {
    const done = () => say(message, false);
    const failed = () => say('The browser did not let the page copy.', false);
    const byEvent = () => {
      const onCopy = (event) => {
        for (const [type, text] of Object.entries(items)) event.clipboardData.setData(type, text);
        event.preventDefault();
      };
      document.addEventListener('copy', onCopy);
      const copied = document.execCommand('copy');
      document.removeEventListener('copy', onCopy);
      if (copied) done(); else failed();
    };
    if (navigator.clipboard && navigator.clipboard.write && window.ClipboardItem) {
      const blobs = {};
      for (const [type, text] of Object.entries(items)) blobs[type] = new Blob([text], { type });
      navigator.clipboard.write([new ClipboardItem(blobs)]).then(done, byEvent);
    } else {
      byEvent();
    }
  }

  copyButton.addEventListener('click', function () {
    copy({ 'text/plain': fragmentHtml }, 'The fragment is on the clipboard.');
  });

  // For word processors, mail and visual editors: the fragment with its colours
  // written into each tag (-s) as rich text, and the source's text as plain text.
  copyRichButton.addEventListener('click', function () {
    const width = readTabWidth();
    if (width === null || source === null) return;
    const styled = new TextDecoder(source.encoding).decode(colorune.convert(source.bytes, options(width, true)));
    const text = new TextDecoder(source.encoding).decode(source.bytes);
    copy({ 'text/html': styled, 'text/plain': text }, 'The code is on the clipboard with its colours, for editors.');
  });

  downloadButton.addEventListener('click', function () {
    // The bytes as the program writes them, in the source's own encoding.
    const url = URL.createObjectURL(new Blob([fragment], { type: 'text/html' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = (source.typed ? 'source' : source.name) + '.html';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  });

  colorune.ready.then(function () {
    ready = true;
    say('Ready: choose or drop a file, or type some source.', false);
    convertSource(performance.now(), false);
  }, function (error) {
    say('The converter could not start: ' + error, false);
  });
})();
