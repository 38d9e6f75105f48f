// Checks the converter page in the browser that renders it, and writes the
// verdict into #verdict: "PASS", or one line for each problem. webCases and
// webFiles (made by tests/web_test.sh) hold sources in base64 with what the
// native program writes for them.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const verdict = $('verdict');
  const problems = [];
  const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  const sameBytes = (a, b) => a.length === b.length && a.every((x, i) => x === b[i]);
  const textOfHtml = (html) => new DOMParser().parseFromString(html, 'text/html').body.textContent;
  const status = $('status');
  const preview = $('preview');  // the scrolling box; what it shows is in its shadow root
  const view = () => preview.shadowRoot.getElementById('shown');
  const encodingNames = { 'shift_jis': 'Shift_JIS', 'utf-8': 'UTF-8', 'euc-jp': 'EUC-JP', 'windows-1252': 'Windows-1252' };

  // Waits until [condition] holds, looked at on every change of the page and
  // every tenth of a second (the browser runs with a real clock). A condition
  // that never comes leaves the verdict unwritten, which fails the test too;
  // window.coloruneWaitingFor says which it was.
  let waitingFor = null;
  Object.defineProperty(window, 'coloruneWaitingFor', {
    get: () => waitingFor && waitingFor + ' (the status says: ' + status.textContent + ')',
  });
  function until(condition) {
    if (condition()) return Promise.resolve(true);
    waitingFor = condition.toString();
    return new Promise((resolve) => {
      const check = () => {
        if (!condition()) return;
        observer.disconnect();
        clearInterval(timer);
        waitingFor = null;
        resolve(true);
      };
      const observer = new MutationObserver(check);
      observer.observe(document.body, { subtree: true, childList: true, characterData: true, attributes: true });
      const timer = setInterval(check, 100);
    });
  }

  // The script's own conversion equals the program's, byte for byte.
  function checkConversions() {
    for (const c of webCases) {
      const got = colorune.convert(bytesOf(c.input), c.options);
      if (!sameBytes(got, bytesOf(c.expected))) problems.push(c.name + ' ' + JSON.stringify(c.options) + ': bytes differ');
    }
    for (const width of [0, 100, 2.5, '8']) {
      try {
        colorune.convert(new Uint8Array([9]), { tabWidth: width });
        problems.push('tabWidth ' + JSON.stringify(width) + ' was accepted');
      } catch (error) {
        if (!(error instanceof RangeError) || !/1 to 99/.test(error.message)) problems.push('tabWidth ' + width + ': ' + error);
      }
    }
  }

  function setOptions(o) {
    $('line-numbers').checked = !!o.lineNumbers;
    $('no-pre').checked = !!o.noPre;
    $('style').checked = !!o.style;
    $('modern').checked = !!o.modern;
    $('tab-width').value = String(o.tabWidth || 4);
  }

  async function giveFile(name, bytes) {
    const input = $('file');
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytes], name));
    input.files = transfer.files;
    status.textContent = '';  // so that an earlier conversion of the same name does not count
    input.dispatchEvent(new Event('change'));
    return until(() => status.textContent.startsWith('Converted ' + name));
  }

  async function type(text) {
    const paste = $('paste');
    paste.value = text;
    status.textContent = '';
    paste.dispatchEvent(new Event('input'));
    return until(() => status.textContent.startsWith('Converted the typed text'));
  }

  // A file given to the page's file input, with the options at their defaults.
  async function checkFile(file) {
    setOptions({});
    if (!(await giveFile(file.name, bytesOf(file.input)))) {
      problems.push(file.name + ': not converted (' + status.textContent + ')');
      return;
    }
    const expected = new TextDecoder(file.encoding).decode(bytesOf(file.expected));
    if (!status.textContent.includes('read as ' + encodingNames[file.encoding])) problems.push(file.name + ': encoding not guessed right');
    if ($('fragment').value !== expected) problems.push(file.name + ': the copy text is not the decoded fragment');
    await until(() => view().textContent === textOfHtml(expected));
    if (view().textContent !== textOfHtml(expected)) problems.push(file.name + ': the preview does not show the source text');
    for (const selector of ['pre > code', 'strong.keyword', 'em.comment', 'em.string', 'span.preprocessor']) {
      if (view().querySelector(selector) === null) problems.push(file.name + ': no ' + selector + ' in the preview');
    }
    const keyword = view().querySelector('strong.keyword');
    const coloured = () => getComputedStyle(keyword).color !== getComputedStyle(view().querySelector('code')).color;
    if (keyword && !(await until(coloured))) {
      problems.push(file.name + ': keywords are not coloured by the style sheet');
    }
  }

  // Typed text, then a Shift_JIS file: the file is read and shown as Shift_JIS,
  // not as the UTF-8 of the typed text; typing again shows the typed text, and
  // the file input no longer names the file.
  async function checkSourcesKeepTheirEncoding(sjis) {
    setOptions({});
    await type('int typed;');
    if (!(await giveFile(sjis.name, bytesOf(sjis.input)))) return problems.push('typed then file: not converted');
    await until(() => view().textContent.length > 0);
    if (view().textContent.includes('\ufffd') || $('fragment').value.includes('\ufffd')) {
      problems.push('typed then file: replacement characters in the Shift_JIS file');
    }
    if (!status.textContent.includes('read as Shift_JIS')) problems.push('typed then file: ' + status.textContent);
    if (!$('showing').textContent.includes(sjis.name)) problems.push('typed then file: the page does not say what it shows');
    await type('int again;');
    if ($('file').files.length !== 0) problems.push('typed after a file: the file input still names the file');
    if (!$('showing').textContent.includes('typed')) problems.push('typed after a file: the page does not say so');
  }

  // A file of a few megabytes: the page shows its beginning at once and fills
  // the rest in pieces, each piece in place with its height from the start (the
  // scroll height does not change as they fill, and the end of the preview is
  // the end of the file), keeps the fragment out of the text box, and copies and
  // downloads all of it.
  async function checkLargeFile(sjis) {
    setOptions({ lineNumbers: true });
    const one = bytesOf(sjis.input);
    const large = new Uint8Array(2000000);
    for (let at = 0; at < large.length; at += one.length) large.set(one.subarray(0, Math.min(one.length, large.length - at)), at);
    // What the preview holds when the conversion's own task has ended, before
    // the page has had time for more: one piece filled.
    const filled = () => view().querySelectorAll('.chunk:not(.pending)').length;
    let first = null;
    const observer = new MutationObserver(() => {
      if (first === null && view().querySelector('.chunk') !== null) first = filled();
    });
    observer.observe(preview.shadowRoot, { childList: true, subtree: true });
    const input = $('file');
    const transfer = new DataTransfer();
    transfer.items.add(new File([large], 'large.c'));
    input.files = transfer.files;
    input.dispatchEvent(new Event('change'));
    await until(() => status.textContent.startsWith('Converted large.c'));
    observer.disconnect();
    const height = preview.scrollHeight;
    const lines = colorune.convert(large, { lineNumbers: true }).filter((b) => b === 10).length;
    const pieces = view().querySelectorAll('.chunk').length;
    if (pieces * 300 < lines) problems.push('large file: ' + pieces + ' pieces in place for ' + lines + ' lines');
    if (first === null || first * 300 >= lines) problems.push('large file: the whole preview was built at once (' + first + ' pieces)');
    if ($('fragment').value !== '' || $('fragment-note').hidden) problems.push('large file: the fragment is in the text box');
    // End, before the pieces between are filled: the last line comes into view.
    preview.scrollTop = preview.scrollHeight;
    const numbers = () => view().querySelectorAll('.chunk:last-child .lineno');
    await until(() => numbers().length > 0);
    const last = numbers()[numbers().length - 1];
    await until(() => filled() === pieces);
    const box = preview.getBoundingClientRect();
    const end = last.getBoundingClientRect();
    const fragment = new TextDecoder('shift_jis').decode(colorune.convert(large, { lineNumbers: true }));
    const lastNumber = fragment.slice(fragment.lastIndexOf('class="lineno">') + 15).split('<')[0];
    if (last.textContent !== lastNumber) problems.push('large file: the last line number is ' + last.textContent + ', not ' + lastNumber);
    if (end.top < box.top || end.bottom > box.bottom + 1) {
      problems.push('large file: End does not show the last line (' + end.top + ' to ' + end.bottom + ' in ' + box.top + ' to ' + box.bottom + ')');
    }
    if (Math.abs(preview.scrollHeight - height) > 2) problems.push('large file: the scroll height went from ' + height + ' to ' + preview.scrollHeight);
    if ($('copy').disabled || $('download').disabled) problems.push('large file: copy or download is off');
  }

  // An error leaves nothing stale: no preview, no fragment, no copying.
  async function checkErrorClearsTheOutput() {
    setOptions({});
    await type('int x;');
    $('tab-width').value = '0';
    $('tab-width').dispatchEvent(new Event('input'));
    await until(() => status.textContent.startsWith('Not converted'));
    if (view().textContent !== '' || $('fragment').value !== '') problems.push('tab width 0: old output stays');
    if (!$('copy').disabled || !$('copy-rich').disabled || !$('download').disabled) problems.push('tab width 0: copy stays on');
    if (!status.textContent.startsWith('Not converted')) problems.push('tab width 0: the status says ' + status.textContent);
  }

  // The left of the first character after each line number.
  function codeLefts() {
    return [...view().querySelectorAll('.lineno')].map((number) => {
      let next = number.nextSibling;
      while (next && next.nodeType !== Node.TEXT_NODE) next = next.firstChild || next.nextSibling;
      if (!next) return null;
      const range = document.createRange();
      range.setStart(next, 0);
      range.setEnd(next, 1);
      return range.getBoundingClientRect();
    });
  }

  // -l: the code of lines 9 and 10 starts in the same column, in both modes.
  async function checkNumbersLineUp() {
    for (const noPre of [false, true]) {
      setOptions({ lineNumbers: true, noPre });
      await type(Array.from({ length: 12 }, (_, i) => 'x' + i + ';').join('\n') + '\n' + (noPre ? ' ' : ''));
      await until(() => view().querySelectorAll('.lineno').length >= 12);
      const lefts = codeLefts();
      if (Math.abs(lefts[8].left - lefts[9].left) > 1) problems.push('-l' + (noPre ? ' -p' : '') + ': lines 9 and 10 start apart');
    }
  }

  // -l -p in a narrow block: a long line's number stays on its line.
  async function checkNumbersStayWithTheirLines() {
    setOptions({ lineNumbers: true, noPre: true });
    preview.style.width = '390px';
    await type('short;\nint ' + Array.from({ length: 12 }, (_, i) => 'averyveryverylongname' + i).join(' ') + ';\nx;\n');
    await until(() => view().querySelectorAll('.lineno').length >= 3);
    for (const number of view().querySelectorAll('.lineno')) {
      let next = number.nextSibling;
      while (next && next.nodeType !== Node.TEXT_NODE) next = next.firstChild || next.nextSibling;
      if (!next) continue;
      const range = document.createRange();
      range.setStart(next, 0);
      range.setEnd(next, 1);
      if (Math.abs(range.getBoundingClientRect().top - number.getBoundingClientRect().top) > 1) {
        problems.push('-l -p at 390 px: line number ' + number.textContent.trim() + ' stands apart from its line');
      }
    }
    preview.style.width = '';
  }

  // The preview is one tab stop, and the fragment's text box has a name.
  function checkAccessibility() {
    for (const inner of view().querySelectorAll('pre, code')) {
      const overflow = getComputedStyle(inner).overflowX;
      if (overflow === 'auto' || overflow === 'scroll') problems.push('a second scrolling box in the preview: ' + inner.nodeName);
    }
    if ($('fragment').labels.length === 0) problems.push('the fragment text box has no label');
  }

  // Copy for editors: the fragment with inline styles as rich text, the source
  // as plain text; and those styles give, in a page with no style sheet, the
  // colours the sheet gives the plain fragment (its light scheme).
  async function checkCopyForEditors(sjis) {
    setOptions({ lineNumbers: true });
    if (!(await giveFile(sjis.name, bytesOf(sjis.input)))) return problems.push('copy for editors: not converted');
    let written = null;
    navigator.clipboard.write = (items) => { written = items; return Promise.resolve(); };
    $('copy-rich').click();
    await until(() => status.textContent.startsWith('The code is on the clipboard'));
    if (written === null) return problems.push('copy for editors: nothing written to the clipboard');
    const html = await (await written[0].getType('text/html')).text();
    const text = await (await written[0].getType('text/plain')).text();
    const styled = new TextDecoder('shift_jis').decode(colorune.convert(bytesOf(sjis.input), { lineNumbers: true, style: true }));
    if (html !== '<br>' + styled) problems.push('copy for editors: the rich text is not a line break and the -s fragment');
    if (text !== new TextDecoder('shift_jis').decode(bytesOf(sjis.input))) problems.push('copy for editors: the plain text is not the source');

    const frame = document.createElement('iframe');
    const loaded = new Promise((resolve) => frame.addEventListener('load', resolve, { once: true }));
    frame.srcdoc = '<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>' + styled + '</body></html>';
    document.body.appendChild(frame);
    await loaded;
    await until(() => view().querySelector('.lineno') !== null);
    for (const name of ['keyword', 'comment', 'string', 'preprocessor', 'lineno']) {
      const sheet = view().querySelector('.' + name);
      const inline = frame.contentDocument.querySelector('.' + name);
      if (!sheet || !inline) {
        problems.push('-s colours: no .' + name);
        continue;
      }
      const a = getComputedStyle(sheet);
      const b = frame.contentWindow.getComputedStyle(inline);
      for (const property of ['color', 'fontWeight', 'fontStyle']) {
        if (a[property] !== b[property]) problems.push('-s: .' + name + ' ' + property + ' ' + b[property] + ', the sheet ' + a[property]);
      }
    }
    frame.remove();
  }

  // The contrast of two colours, "rgb(...)" as computed.
  function contrast(a, b) {
    const luminance = (color) => {
      const [r, g, bl] = color.match(/[\d.]+/g).slice(0, 3).map((c) => {
        const v = Number(c) / 255;
        return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
      });
      return 0.2126 * r + 0.7152 * g + 0.0722 * bl;
    };
    const [x, y] = [luminance(a), luminance(b)].sort((p, q) => q - p);
    return (x + 0.05) / (y + 0.05);
  }
  // The background an element stands on: its own or its nearest ancestor's.
  function backgroundOf(element) {
    for (let e = element; e; e = e.parentElement || (e.getRootNode().host || null)) {
      const color = e.ownerDocument.defaultView.getComputedStyle(e).backgroundColor;
      if (color !== 'rgba(0, 0, 0, 0)' && color !== 'transparent') return color;
    }
    return 'rgb(255, 255, 255)';
  }

  // The preview shows a fragment as it looks where it is used: the plain one on
  // a page that links colorune.css alone, the -s one on a page with no style
  // sheet; and every part is legible on what it stands on (also for a reader
  // who prefers dark, when the check runs so).
  async function checkPreviewIsolated(sjis) {
    const properties = ['color', 'backgroundColor', 'fontFamily', 'fontSize', 'fontWeight', 'fontStyle', 'borderTopColor', 'paddingLeft'];
    const selectors = ['pre', 'code', '.keyword', '.comment', '.string', '.preprocessor', '.lineno'];
    for (const o of [{}, { lineNumbers: true }, { noPre: true, lineNumbers: true }, { style: true, lineNumbers: true },
                     { style: true, noPre: true }, { lineNumbers: true }]) {
      setOptions(o);
      const what = JSON.stringify(o);
      if (!(await giveFile(sjis.name, bytesOf(sjis.input)))) return problems.push(what + ': not converted');
      // The look as first shown, before the page has had time for more.
      const shown = new Map(selectors.map((selector) => {
        const element = view().querySelector(selector);
        const style = element && getComputedStyle(element);
        return [selector, element && { element, style: Object.fromEntries(properties.map((p) => [p, style[p]])) }];
      }));
      const frame = document.createElement('iframe');
      const loaded = new Promise((resolve) => frame.addEventListener('load', resolve, { once: true }));
      frame.srcdoc = '<!DOCTYPE html><html><head><meta charset="utf-8">' +
        (o.style ? '' : '<link rel="stylesheet" href="colorune.css">') + '</head><body>' + $('fragment').value + '</body></html>';
      document.body.appendChild(frame);
      await loaded;
      for (const selector of selectors) {
        const here = shown.get(selector) && shown.get(selector).element;
        const there = frame.contentDocument.querySelector(selector);
        if (!here !== !there) problems.push(what + ': ' + selector + ' only on one side');
        if (!here || !there) continue;
        const a = shown.get(selector).style;
        const b = frame.contentWindow.getComputedStyle(there);
        for (const property of properties) {
          if (a[property] !== b[property]) problems.push(what + ': ' + selector + ' ' + property + ' ' + a[property] + ' in the preview, ' + b[property] + ' in a page');
        }
        if (selector !== 'pre' && contrast(a.color, backgroundOf(here)) < 4.5) {
          problems.push(what + ': ' + selector + ' ' + a.color + ' on ' + backgroundOf(here) + ' is ' + contrast(a.color, backgroundOf(here)).toFixed(2) + ':1');
        }
      }
      frame.remove();
    }
    // Back from -s the sheet applies at once: the first piece is measured with it.
    for (const inline of [true, false]) {
      $('style').checked = inline;
      $('style').dispatchEvent(new Event('change'));
    }
    if (getComputedStyle(view().querySelector('.keyword')).color === getComputedStyle(view().querySelector('code')).color) {
      problems.push('back from -s: the sheet does not apply at once');
    }
  }

  // The preview in pieces of 300 lines keeps every line (an empty one at the
  // end of a piece too), and the heights given ahead are those laid out: with
  // pre, and without it (long lines of &nbsp; do not wrap).
  async function checkPiecesInPlace() {
    const lines = Array.from({ length: 700 }, (_, i) => (i % 3 === 2 ? '' : i % 10 === 0 ? 'int ' + 'long_name_'.repeat(30) + ';' : 'x;'));
    for (const noPre of [false, true]) {
      setOptions({ noPre });
      await type(lines.join('\n') + '\n');
      const height = preview.scrollHeight;
      await until(() => view().querySelector('.pending') === null);
      if (!noPre && view().textContent !== textOfHtml($('fragment').value)) problems.push('pieces: the preview lost lines');
      for (const chunk of view().querySelectorAll('.chunk')) chunk.style.contentVisibility = 'visible';
      if (Math.abs(preview.scrollHeight - height) > 2) {
        problems.push('pieces' + (noPre ? ' -p' : '') + ': ' + height + ' px given ahead, ' + preview.scrollHeight + ' laid out');
      }
    }
  }

  // A file's encoding: guessed by the rule (UTF-8, then Shift_JIS or EUC-JP,
  // Shift_JIS when both read cleanly, then Windows-1252 with a warning), and a
  // choice that holds for the files that follow until it is changed again.
  async function checkEncodingChoice(sjis) {
    setOptions({});
    const choose = (value) => {
      $('encoding').value = value;
      $('encoding').dispatchEvent(new Event('change'));
    };
    const note = $('encoding-note');
    const clean = (bytes, name) => { try { new TextDecoder(name, { fatal: true }).decode(bytes); return true; } catch (e) { return false; } };
    // 日本語のコメント in EUC-JP, in a comment.
    const euc = Uint8Array.from([0x2f, 0x2a, 0xc6, 0xfc, 0xcb, 0xdc, 0xb8, 0xec, 0xa4, 0xce, 0xa5, 0xb3, 0xa5, 0xe1, 0xa5, 0xf3,
                                 0xa5, 0xc8, 0x2a, 0x2f, 0x0a, 0x69, 0x6e, 0x74, 0x20, 0x78, 0x3b, 0x0a]);
    // Western text that decodes without error as Shift_JIS, into the user-defined area and half-width katakana.
    const latin = Uint8Array.from('/* Gr\u00f6\u00dfe, \u00c0 la carte */ int x;\n', (c) => c.charCodeAt(0));
    const guessed = clean(euc, 'shift_jis') ? 'Shift_JIS' : 'EUC-JP';
    for (const [name, bytes, expected, warns] of [['euc.c', euc, guessed, guessed === 'Shift_JIS'],
                                                  ['latin.c', latin, 'Windows-1252', true]]) {
      await giveFile(name, bytes);
      if (!status.textContent.includes('read as ' + expected)) problems.push(name + ': guessed as ' + status.textContent);
      if (!note.textContent.includes(expected) || note.classList.contains('warning') !== warns) {
        problems.push(name + ': the note says "' + note.textContent + '"');
      }
    }
    choose('euc-jp');
    await until(() => status.textContent.startsWith('Converted latin.c') && status.textContent.includes('EUC-JP'));
    await giveFile('euc.c', euc);
    if (!status.textContent.includes('read as EUC-JP') || view().textContent.includes('\ufffd')) problems.push('EUC-JP chosen: ' + status.textContent);
    await giveFile(sjis.name, bytesOf(sjis.input));
    if (!status.textContent.includes('read as EUC-JP')) problems.push('EUC-JP chosen, then a file: ' + status.textContent);
    if (!note.classList.contains('warning')) problems.push('Shift_JIS read as EUC-JP: no warning');
    choose('windows-1252');
    await until(() => status.textContent.includes('Windows-1252'));
    if (!note.classList.contains('warning') || !note.textContent.includes('Shift_JIS')) {
      problems.push('Shift_JIS read as Windows-1252: the note says "' + note.textContent + '"');
    }
    choose('guess');
    await giveFile(sjis.name, bytesOf(sjis.input));
    if (!status.textContent.includes('read as Shift_JIS')) problems.push('back to guessing: ' + status.textContent);
  }

  // Typing into a large text starts no conversion until the typing pauses;
  // then one, and the preview shows what was typed.
  async function checkTypingLargeText(sjis) {
    setOptions({});
    const text = new TextDecoder('shift_jis').decode(bytesOf(sjis.input));
    await type(text.repeat(Math.ceil(1800000 / text.length)));
    const convert = colorune.convert;
    let conversions = 0;
    colorune.convert = (...args) => { ++conversions; return convert(...args); };
    const paste = $('paste');
    for (let key = 0; key < 20; ++key) {
      paste.value += key % 2 ? 'y' : 'x';
      paste.dispatchEvent(new InputEvent('input', { inputType: 'insertText', data: 'x' }));
      await Promise.resolve();
    }
    await new Promise((resolve) => setTimeout(resolve, 0));
    if (conversions !== 0) problems.push('typing 20 keys: ' + conversions + ' conversions while typing');
    const size = new TextEncoder().encode(paste.value).length.toLocaleString('en');
    await until(() => status.textContent.startsWith('Converted the typed text: ' + size + ' bytes'));
    colorune.convert = convert;
    if (conversions !== 1) problems.push('typing 20 keys: ' + conversions + ' conversions after the pause');
    await until(() => view().textContent.endsWith('xyxyxyxyxyxyxyxyxyxy'));
  }

  // Copy for editors pasted into a rich-text editor: the code stays one box,
  // in an empty paragraph and at the end of a paragraph with text.
  async function checkRichPaste(sjis) {
    setOptions({ lineNumbers: true });
    await giveFile(sjis.name, bytesOf(sjis.input));
    let written = null;
    navigator.clipboard.write = (items) => { written = items; return Promise.resolve(); };
    $('copy-rich').click();
    await until(() => written !== null);
    const html = await (await written[0].getType('text/html')).text();
    const editor = document.createElement('div');
    editor.contentEditable = 'true';
    document.body.appendChild(editor);
    const code = textOfHtml(html);
    for (const start of ['<p>Text</p>', '<p><br></p>']) {
      editor.innerHTML = start;
      editor.focus();
      const range = document.createRange();
      range.selectNodeContents(editor.querySelector('p'));
      range.collapse(false);
      getSelection().removeAllRanges();
      getSelection().addRange(range);
      document.execCommand('insertHTML', false, html);
      const boxes = editor.querySelectorAll('pre');
      if (boxes.length !== 1 || boxes[0].textContent !== code) problems.push('pasted into ' + start + ': ' + boxes.length + ' boxes, not the whole code in one');
      const paragraph = editor.querySelector('p');
      if ((paragraph ? paragraph.textContent : '') !== (start === '<p>Text</p>' ? 'Text' : '')) problems.push('pasted into ' + start + ': the paragraph took code');
    }
    editor.remove();
  }

  // The tab width as -t reads it, and a file dropped anywhere on the page.
  async function checkTabWidthAndDrop() {
    setOptions({});
    await type('\tx;\n');
    for (const [text, width] of [['1e1', 1], ['+8', 8], [' 12abc', 12], ['4294967297', 1], ['-4294967295', 1], ['x', null], ['0', null]]) {
      $('tab-width').value = text;
      $('tab-width').dispatchEvent(new Event('input'));
      if (width === null) {
        if (!status.textContent.startsWith('Not converted')) problems.push('tab width "' + text + '" was taken');
        continue;
      }
      const expected = new TextDecoder().decode(colorune.convert(new TextEncoder().encode('\tx;\n'), { tabWidth: width, utf8: true, modern: true }));
      if ($('fragment').value !== expected) problems.push('tab width "' + text + '" is not ' + width);
      if (!$('tab-width-note').textContent.includes(String(width))) problems.push('tab width "' + text + '": the note says ' + $('tab-width-note').textContent);
    }
    setOptions({});
    const transfer = new DataTransfer();
    transfer.items.add(new File([new TextEncoder().encode('int dropped;\n')], 'dropped.c'));
    const drop = new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true });
    document.querySelector('h1').dispatchEvent(drop);
    if (!drop.defaultPrevented) problems.push('a file dropped on the heading: the browser would open it');
    await until(() => status.textContent.startsWith('Converted dropped.c'));
  }

  colorune.ready.then(async function () {
    // The page's own script is deferred, so it may not even listen yet when
    // colorune is ready: it says "Ready" once it does.
    await until(() => status.textContent.startsWith('Ready'));
    const sjis = webFiles.find((f) => f.encoding === 'shift_jis');
    if (location.hash === '#dark') {  // the look for a reader who prefers dark
      await checkPreviewIsolated(sjis);
      verdict.textContent = problems.length === 0 ? 'PASS' : problems.join('\n');
      return;
    }
    checkConversions();
    for (const file of webFiles) await checkFile(file);
    await checkSourcesKeepTheirEncoding(sjis);
    await checkErrorClearsTheOutput();
    await checkNumbersLineUp();
    await checkNumbersStayWithTheirLines();
    await checkCopyForEditors(sjis);
    checkAccessibility();
    await checkPreviewIsolated(sjis);
    await checkPiecesInPlace();
    await checkEncodingChoice(sjis);
    await checkRichPaste(sjis);
    await checkTabWidthAndDrop();
    await checkLargeFile(sjis);
    await checkTypingLargeText(sjis);
    verdict.textContent = problems.length === 0 ? 'PASS' : problems.join('\n');
  }).catch(function (error) {
    verdict.textContent = 'error: ' + error + '\n' + problems.join('\n');
  });
})();
