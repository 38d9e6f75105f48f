// The converter page: a source (a file, or typed text), the options, and the
// fragment as a preview, as text to copy, as rich text for editors and as bytes
// to download.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const fileInput = $('file');
  const paste = $('paste');
  const showing = $('showing');
  const encoding = $('encoding');
  const encodingNote = $('encoding-note');
  const modern = $('modern');
  const lineNumbers = $('line-numbers');
  const noPre = $('no-pre');
  const style = $('style');
  const tabWidth = $('tab-width');
  const tabWidthNote = $('tab-width-note');
  const status = $('status');
  const preview = $('preview');
  const previewNote = $('preview-note');
  const fragmentText = $('fragment');
  const fragmentNote = $('fragment-note');
  const copyButton = $('copy');
  const copyRichButton = $('copy-rich');
  const downloadButton = $('download');

  // A fragment larger than this is not put in the text box, where the browser
  // would lay out all of it: copy and download still take it whole.
  const kLargestShownFragment = 300000;
  // The preview is built in pieces of this many lines: the first at once, the
  // others near the visible part first, then in order while the page is idle.
  const kChunkLines = 300;
  // Typed text of this many bytes or more is converted once the typing pauses
  // for kTypingPause ms, so that a key press costs the page nothing.
  const kLargeTypedText = 20000;
  const kTypingPause = 400;

  // The preview stands apart from the page's own style sheets, in a shadow
  // root: the fragment looks there as on a page that links colorune.css and
  // nothing else, or (-s) as on a page, in a mail or in an editor with no style
  // sheet at all.
  const shadow = preview.attachShadow({ mode: 'open' });
  shadow.innerHTML =
    '<link rel="stylesheet" href="colorune.css">' +
    '<style>' +
    // A page of its own: nothing inherited from the converter page, and the
    // light scheme a page gets that declares none.
    // As wide as the longest line that cannot wrap (with pre, any line; without
    // it, any line without wide characters, its spaces being &nbsp;).
    '#shown { all: initial; display: block; box-sizing: border-box; width: fit-content; min-width: 100%;' +
    ' padding: 8px; color-scheme: light; background: Canvas; color: CanvasText; }' +
    // The preview is the one scrolling box (its host scrolls).
    '#shown pre { margin: 0; overflow: visible !important; }' +
    '#shown pre > code { overflow: visible !important; }' +
    // The pieces off screen cost no layout; each keeps the size it had, or
    // the one it was given ahead of time.
    '.chunk { display: block; content-visibility: auto; }' +
    '</style>' +
    '<div id="shown"></div>';
  const sheet = shadow.querySelector('link');
  const shown = shadow.getElementById('shown');
  const sheetLoaded = new Promise((resolve) => {
    sheet.addEventListener('load', resolve, { once: true });
    sheet.addEventListener('error', resolve, { once: true });
  });

  // Each source keeps its own encoding: the typed text is UTF-8 (the page makes
  // its bytes); a file's is the user's choice once they make one, else guessed
  // from its bytes.
  const typed = { name: 'the typed text', bytes: new Uint8Array(0), encoding: 'utf-8', typed: true };
  let file = null;
  let chosenEncoding = null;  // the user's, for every file, once they change the control
  let source = null;          // typed or file: what is on screen
  let fragment = null;        // the fragment's bytes, as the program writes them
  let fragmentHtml = '';      // the same, decoded
  let ready = false;
  let generation = 0;         // a newer conversion stops the rendering of an older one
  let sourceGeneration = 0;   // a newer source wins over a file still being read
  let statusTimer = 0;
  let typingTimer = 0;
  let textArrived = null;     // when the page got the text of a paste or a drop

  const encodingNames = { 'shift_jis': 'Shift_JIS', 'utf-8': 'UTF-8', 'euc-jp': 'EUC-JP', 'windows-1252': 'Windows-1252' };

  // Whether the bytes read as text in that encoding. Western text often
  // decodes without error as Shift_JIS too, into the user-defined area and
  // half-width katakana: neither counts as clean, katakana unless the text has
  // other Japanese too.
  function decodes(bytes, name) {
    let text;
    try {
      text = new TextDecoder(name, { fatal: true }).decode(bytes);
    } catch (e) {
      return false;
    }
    if (name === 'utf-8' || name === 'windows-1252') return true;
    return !/[\ue000-\uf8ff]/.test(text) && (!/[\uff61-\uff9f]/.test(text) || /[\u3040-\u30ff\u4e00-\u9fff]/.test(text));
  }
  const hasHighBytes = (bytes) => bytes.some((b) => b >= 0x80);

  // The encoding a file's bytes are read as when the user has chosen none, and
  // why. Windows-1252 decodes any bytes, so it can only be the last resort.
  function guessEncoding(bytes) {
    if (!hasHighBytes(bytes)) return { encoding: 'utf-8', why: 'the bytes are ASCII, read alike in all four' };
    if (decodes(bytes, 'utf-8')) return { encoding: 'utf-8', why: 'the bytes are well-formed UTF-8' };
    const sjis = decodes(bytes, 'shift_jis');
    const euc = decodes(bytes, 'euc-jp');
    if (sjis && euc) {
      return { encoding: 'shift_jis', warn: true,
               why: 'the bytes are not UTF-8 and read cleanly both as Shift_JIS and as EUC-JP; Shift_JIS was' +
                    ' taken. Choose EUC-JP if the characters look wrong' };
    }
    if (sjis) return { encoding: 'shift_jis', why: 'the bytes are not UTF-8 and read cleanly as Shift_JIS' };
    if (euc) return { encoding: 'euc-jp', why: 'the bytes are not UTF-8 and read cleanly as EUC-JP' };
    return { encoding: 'windows-1252', warn: true,
             why: 'the bytes are neither UTF-8 nor Shift_JIS nor EUC-JP, and Windows-1252 reads any bytes.' +
                  ' If the characters look wrong, choose the right encoding' };
  }

  // How the source is read, said in the note under the choice; a warning when
  // the bytes do not read cleanly so.
  function describeEncoding() {
    encodingNote.classList.remove('warning');
    if (source === null) return;
    const name = encodingNames[source.encoding];
    let text;
    let warn = false;
    if (source.typed) {
      text = 'Typed text is UTF-8.' + (chosenEncoding ? ' Files are read as ' + encodingNames[chosenEncoding] + '.' : '');
    } else if (source.guess) {
      text = 'Guessed ' + name + ': ' + source.guess.why + '.';
      warn = !!source.guess.warn;
    } else {
      text = 'Read as ' + name + ', as you chose.';
      if (hasHighBytes(source.bytes)) {
        const guess = guessEncoding(source.bytes);
        if (source.encoding !== 'windows-1252' && !decodes(source.bytes, source.encoding)) {
          text += ' These bytes are not ' + name + ': some characters show as \ufffd.';
          warn = true;
        }
        if (guess.encoding !== source.encoding && guess.encoding !== 'windows-1252') {
          text += ' They read cleanly as ' + encodingNames[guess.encoding] + '.';
          warn = true;
        }
      }
    }
    encodingNote.textContent = text;
    if (warn) encodingNote.classList.add('warning');
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

  // The tab width as the program reads -t: white space, a sign, then digits,
  // taken modulo 2^32 (a minus negates them there), whatever follows ignored;
  // 1 to 99 is a width. Says under the field what the program would make of it.
  function readTabWidth() {
    const match = /^[ \t\n\v\f\r]*([+-]?)([0-9]+)/.exec(tabWidth.value);
    let width = null;
    let problem = null;
    if (match === null) {
      problem = 'No number: the program would refuse it (-t needs digits).';
    } else {
      let value = 0;
      for (const digit of match[2]) value = (value * 10 + Number(digit)) % 4294967296;
      if (match[1] === '-') value = (4294967296 - value) % 4294967296;
      if (value >= 1 && value <= 99) width = value;
      else problem = 'Read as ' + value + ': the tab width is 1 to 99.';
    }
    const note = width !== null ? 'Width used: ' + width + '.' : problem;
    if (tabWidthNote.textContent !== note) tabWidthNote.textContent = note;  // it is read out when it changes
    tabWidthNote.classList.toggle('error', width === null);
    tabWidth.setAttribute('aria-invalid', width === null ? 'true' : 'false');
    return width;
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
    shown.replaceChildren();
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

  // The columns a line of the fragment takes: its characters outside tags, an
  // entity one, a wide (CJK) character two; and whether it has wide ones.
  function columnsOf(line) {
    let columns = 0;
    let wide = false;
    for (let i = 0; i < line.length; ++i) {
      const c = line.charCodeAt(i);
      if (c === 60) {  // <
        i = line.indexOf('>', i);
        if (i < 0) break;
      } else if (c === 38) {  // &
        const end = line.indexOf(';', i);
        if (end > i) i = end;
        ++columns;
      } else if ((c >= 0x2e80 && c < 0xd800) || (c >= 0xf900 && c <= 0xfaff) || (c >= 0xff00 && c <= 0xff60)) {
        columns += 2;
        wide = true;
      } else if (c < 0xdc00 || c > 0xdfff) {  // a low surrogate ends a pair counted already
        ++columns;
      }
    }
    return { columns, wide };
  }

  // The preview in pieces of lines. Every piece is in place from the start
  // with its height (with pre every line has the same height; without it,
  // long lines wrap, and the height is estimated from the columns and corrected
  // when the piece is laid out, the browser keeping what is on screen in place),
  // so that the scroll bar is right at once and End lands at the end. The first
  // piece is filled at once, those coming into view next, the rest a few at a
  // time between the page's other work. [painted] is called once the first
  // piece is on screen, [done] once every piece is filled.
  function renderPreview(html, inlineStyles, painted, done) {
    const mine = ++generation;
    sheet.media = inlineStyles ? 'not all' : 'all';  // (disabled would load it again)
    const { frame, lines } = splitLines(html);
    const total = lines.length;
    // The empty line after the last line feed shows nothing: it gets no piece
    // of its own, and no height.
    if (total > 1 && lines[total - 1] === '' && (total - 1) % kChunkLines === 0) lines.pop();
    const wraps = noPre.checked;
    shown.innerHTML = frame.open + frame.close;
    const code = shown.querySelector('code');
    const chunks = [];
    for (let first = 0; first < lines.length; first += kChunkLines) {
      const chunk = document.createElement('span');
      chunk.className = 'chunk pending';
      chunk.dataset.first = first;
      chunks.push(chunk);
    }
    code.append(...chunks);

    let filled = 0;
    const fill = (chunk) => {
      if (!chunk.classList.contains('pending')) return;
      const first = Number(chunk.dataset.first);
      // -p lines end with <br>; with pre, a piece ends with its last line feed,
      // so that an empty last line still shows.
      chunk.innerHTML = wraps ? lines.slice(first, first + kChunkLines).join('')
        : lines.slice(first, first + kChunkLines).join('\n') + (first + kChunkLines < total ? '\n' : '');
      chunk.classList.remove('pending');
      // The size given ahead is what it takes off screen until it is laid out.
      if (chunk.style.height) chunk.style.containIntrinsicBlockSize = 'auto ' + chunk.style.height;
      if (chunk.style.minWidth) chunk.style.containIntrinsicInlineSize = 'auto ' + chunk.style.minWidth;
      chunk.style.height = '';
      chunk.style.minWidth = '';
      observer.unobserve(chunk);
      ++filled;
    };
    const observer = new IntersectionObserver((entries) => {
      if (mine !== generation) return observer.disconnect();
      for (const entry of entries) if (entry.isIntersecting) fill(entry.target);
      if (filled === chunks.length) finish();
    }, { root: preview, rootMargin: '100% 0px' });

    // The first piece shows the line height and the width of a column.
    fill(chunks[0]);
    if (chunks.length > 1) {
      // Laid out even when the preview is off screen, where it would be skipped.
      chunks[0].style.contentVisibility = 'visible';
      const box = chunks[0].getBoundingClientRect();
      const firstLines = Math.min(kChunkLines, lines.length);
      const probe = document.createElement('span');
      probe.textContent = 'M'.repeat(64);
      probe.style.cssText = 'position: absolute; visibility: hidden; white-space: pre';
      chunks[0].appendChild(probe);
      const column = probe.getBoundingClientRect().width / 64 || 8;
      probe.remove();
      chunks[0].style.contentVisibility = '';
      chunks[0].style.containIntrinsicBlockSize = 'auto ' + box.height + 'px';
      const perRow = Math.max(1, Math.floor(Math.max(column, box.width) / column));
      // A line's rows, and the widest line that cannot wrap: with pre none
      // wraps; without it spaces are &nbsp;, so only a line with wide (CJK)
      // characters does.
      const measure = (from, to) => {
        let rows = 0;
        let widest = 0;
        for (let i = from; i < to; ++i) {
          if (i === total - 1 && lines[i] === '') break;  // after the last line feed: nothing shows
          const { columns, wide } = columnsOf(lines[i]);
          if (wraps && wide) {
            rows += Math.max(1, Math.ceil(columns / perRow));
          } else {
            rows += 1;
            widest = Math.max(widest, columns);
          }
        }
        return { rows, widest };
      };
      const lineHeight = box.height / measure(0, firstLines).rows;
      for (const chunk of chunks.slice(1)) {
        const first = Number(chunk.dataset.first);
        const { rows, widest } = measure(first, Math.min(first + kChunkLines, lines.length));
        chunk.style.height = (rows * lineHeight).toFixed(2) + 'px';
        chunk.style.minWidth = Math.ceil(widest * column) + 'px';
        observer.observe(chunk);
      }
    }

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
    let finished = false;
    const finish = () => {
      if (finished || mine !== generation) return;
      finished = true;
      observer.disconnect();
      done();
    };
    let next = 1;
    const step = () => {
      if (mine !== generation) return observer.disconnect();
      const until = performance.now() + 12;
      while (next < chunks.length && performance.now() < until) fill(chunks[next++]);
      while (next < chunks.length && !chunks[next].classList.contains('pending')) ++next;
      if (next < chunks.length) setTimeout(step, 0);
      else finish();
    };
    setTimeout(step, 0);
  }

  function convertSource(started, typing) {
    if (typingTimer !== 0) {  // typed text waiting for a pause: converted now, as it stands
      clearTimeout(typingTimer);
      typingTimer = 0;
      typed.bytes = new TextEncoder().encode(paste.value);
    }
    if (!ready || source === null) return;
    describeEncoding();
    const width = readTabWidth();
    if (width === null) {
      clearOutput();
      say('Not converted: the tab width is a whole number from 1 to 99.', false);
      return;
    }
    const inlineStyles = style.checked;
    fragment = colorune.convert(source.bytes, options(width, inlineStyles));
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
    previewNote.textContent = inlineStyles
      ? 'As a page with no style sheet, a mail or an editor shows it.'
      : 'As a page that links colorune.css, and no other style sheet, shows it.';
    const what = 'Converted ' + source.name + ': ' + source.bytes.length.toLocaleString('en') + ' bytes read as ' +
      encodingNames[source.encoding];
    let shownAfter = 0;
    renderPreview(fragmentHtml, inlineStyles, () => {
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
    encoding.value = source.typed ? 'utf-8' : (chosenEncoding ? source.encoding : 'guess');
    encoding.disabled = source.typed;
    showing.textContent = 'Showing ' + (source.typed ? 'the text typed above.' : 'the file ' + source.name + '.');
  }

  function takeFile(chosen) {
    const started = performance.now();
    const mine = ++sourceGeneration;
    chosen.arrayBuffer().then(function (buffer) {
      if (mine !== sourceGeneration) return;  // another file or typing came since
      const bytes = new Uint8Array(buffer);
      const guess = chosenEncoding ? null : guessEncoding(bytes);
      file = { name: chosen.name, bytes, encoding: guess ? guess.encoding : chosenEncoding, guess, typed: false };
      showSource(file);
      convertSource(started, false);
    }, function () {
      if (mine === sourceGeneration) say('Could not read ' + chosen.name + '.', false);
    });
  }

  fileInput.addEventListener('change', function () {
    if (fileInput.files.length > 0) takeFile(fileInput.files[0]);
  });
  // A file dropped anywhere on the page is taken, never opened by the browser
  // in the page's place; dragged text still goes where it is dropped.
  const dragsFiles = (event) => event.dataTransfer && Array.from(event.dataTransfer.types).includes('Files');
  // The drop zone is lit while a file is over the page: every element entered
  // is left again, so the count of those entered says when it has left.
  let entered = 0;
  document.addEventListener('dragenter', function (event) {
    if (dragsFiles(event) && ++entered === 1) document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', function (event) {
    if (dragsFiles(event) && entered > 0 && --entered === 0) document.body.classList.remove('dragging');
  });
  document.addEventListener('dragover', function (event) {
    if (!dragsFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  document.addEventListener('drop', function (event) {
    entered = 0;
    document.body.classList.remove('dragging');
    if (!dragsFiles(event)) return;
    event.preventDefault();
    if (event.dataTransfer.files.length > 0) takeFile(event.dataTransfer.files[0]);
  });

  // The text box's own editing comes first: a large text is read and converted
  // only once the typing pauses (the timer marks text waiting). A paste or a
  // drop of text is converted at once, timed from when the page got it (the
  // browser may spend a while inserting it).
  const arrives = () => {
    textArrived = performance.now();
    setTimeout(() => { textArrived = null; }, 0);  // its input event, if any, comes before
  };
  paste.addEventListener('paste', arrives);
  paste.addEventListener('drop', (event) => { if (!dragsFiles(event)) arrives(); });
  paste.addEventListener('input', function (event) {
    ++sourceGeneration;
    const arrived = textArrived;
    textArrived = null;
    if (source !== typed) {
      fileInput.value = '';  // the file is no longer what is shown
      showSource(typed);
    }
    const pasted = arrived !== null || event.inputType === 'insertFromPaste' || event.inputType === 'insertFromDrop';
    clearTimeout(typingTimer);
    typingTimer = setTimeout(() => convertSource(performance.now(), true), kTypingPause);
    if (pasted || typed.bytes.length < kLargeTypedText) convertSource(arrived !== null ? arrived : performance.now(), true);
  });

  encoding.addEventListener('change', function () {
    if (encoding.value === 'guess') {
      chosenEncoding = null;
      if (file !== null) {
        file.guess = guessEncoding(file.bytes);
        file.encoding = file.guess.encoding;
      }
    } else {
      chosenEncoding = encoding.value;
      if (file !== null) {
        file.guess = null;
        file.encoding = chosenEncoding;
      }
    }
    if (source === file && file !== null) convertSource(performance.now(), false);
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

  // Typed text that waits for a pause is converted before it is copied.
  function flushTyping() {
    if (typingTimer !== 0) convertSource(performance.now(), true);
  }

  copyButton.addEventListener('click', function () {
    flushTyping();
    copy({ 'text/plain': fragmentHtml }, 'The fragment is on the clipboard.');
  });

  // For word processors, mail and visual editors: the fragment with its colours
  // written into each tag (-s) as rich text, and the source's text as plain text.
  // The rich text starts with a line break: pasted at the end of a paragraph's
  // text, the first line of what is pasted joins that paragraph, and that line
  // must not be the first line of code.
  copyRichButton.addEventListener('click', function () {
    flushTyping();
    const width = readTabWidth();
    if (width === null || source === null) return;
    const styled = new TextDecoder(source.encoding).decode(colorune.convert(source.bytes, options(width, true)));
    const text = new TextDecoder(source.encoding).decode(source.bytes);
    copy({ 'text/html': '<br>' + styled, 'text/plain': text }, 'The code is on the clipboard with its colours, for editors.');
  });

  downloadButton.addEventListener('click', function () {
    flushTyping();
    if (fragment === null) return;
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

  readTabWidth();
  Promise.all([colorune.ready, sheetLoaded]).then(function () {
    ready = true;
    say('Ready: choose or drop a file, or type some source.', false);
    convertSource(performance.now(), false);
  }, function (error) {
    say('The converter could not start: ' + error, false);
  });
})();
