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
  const preview = $('preview');

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
    input.dispatchEvent(new Event('change'));
    return until(() => status.textContent.startsWith('Converted ' + name));
  }

  async function type(text) {
    const paste = $('paste');
    paste.value = text;
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
    if ($('encoding').value !== file.encoding) problems.push(file.name + ': encoding not guessed right');
    if ($('fragment').value !== expected) problems.push(file.name + ': the copy text is not the decoded fragment');
    await until(() => preview.textContent === textOfHtml(expected));
    if (preview.textContent !== textOfHtml(expected)) problems.push(file.name + ': the preview does not show the source text');
    for (const selector of ['pre > code', 'strong.keyword', 'em.comment', 'em.string', 'span.preprocessor']) {
      if (preview.querySelector(selector) === null) problems.push(file.name + ': no ' + selector + ' in the preview');
    }
    const keyword = preview.querySelector('strong.keyword');
    if (keyword && getComputedStyle(keyword).color === getComputedStyle(preview.querySelector('code')).color) {
      problems.push(file.name + ': keywords are not coloured by the style sheet');
    }
  }

  // Typed text, then a Shift_JIS file: the file is read and shown as Shift_JIS,
  // not as the UTF-8 of the typed text; typing again shows the typed text, and
  // the file input no longer names the file.
  async function checkSourcesKeepTheirEncoding(sjis) {
    setOptions({});
    await type('int typed;');
    $('encoding').value = 'utf-8';
    if (!(await giveFile(sjis.name, bytesOf(sjis.input)))) return problems.push('typed then file: not converted');
    await until(() => preview.textContent.length > 0);
    if (preview.textContent.includes('\ufffd') || $('fragment').value.includes('\ufffd')) {
      problems.push('typed then file: replacement characters in the Shift_JIS file');
    }
    if ($('encoding').value !== 'shift_jis') problems.push('typed then file: the encoding stayed ' + $('encoding').value);
    if (!$('showing').textContent.includes(sjis.name)) problems.push('typed then file: the page does not say what it shows');
    await type('int again;');
    if ($('file').files.length !== 0) problems.push('typed after a file: the file input still names the file');
    if (!$('showing').textContent.includes('typed')) problems.push('typed after a file: the page does not say so');
  }

  // A file of a few megabytes: the page shows its beginning at once and adds the
  // rest in pieces, keeps the fragment out of the text box, and copies and
  // downloads all of it.
  async function checkLargeFile(sjis) {
    setOptions({ lineNumbers: true });
    const one = bytesOf(sjis.input);
    const large = new Uint8Array(2000000);
    for (let at = 0; at < large.length; at += one.length) large.set(one.subarray(0, Math.min(one.length, large.length - at)), at);
    // What the preview holds when the conversion's own task has ended, before
    // the page has had time for more: one piece.
    let first = null;
    const observer = new MutationObserver(() => {
      if (first === null && preview.querySelector('.chunk') !== null) first = preview.querySelectorAll('.chunk').length;
    });
    observer.observe(preview, { childList: true, subtree: true });
    const input = $('file');
    const transfer = new DataTransfer();
    transfer.items.add(new File([large], 'large.c'));
    input.files = transfer.files;
    input.dispatchEvent(new Event('change'));
    await until(() => status.textContent.startsWith('Converted large.c'));
    observer.disconnect();
    const lines = colorune.convert(large, { lineNumbers: true }).filter((b) => b === 10).length;
    if (first === null || first * 300 >= lines) problems.push('large file: the whole preview was built at once (' + first + ' pieces)');
    if ($('fragment').value !== '' || $('fragment-note').hidden) problems.push('large file: the fragment is in the text box');
    if (!(await until(() => preview.querySelectorAll('.chunk').length * 300 >= lines))) {
      problems.push('large file: the preview was not completed');
    }
    if ($('copy').disabled || $('download').disabled) problems.push('large file: copy or download is off');
  }

  // An error leaves nothing stale: no preview, no fragment, no copying.
  async function checkErrorClearsTheOutput() {
    setOptions({});
    await type('int x;');
    $('tab-width').value = '0';
    $('tab-width').dispatchEvent(new Event('input'));
    await until(() => status.textContent.startsWith('Not converted'));
    if (preview.textContent !== '' || $('fragment').value !== '') problems.push('tab width 0: old output stays');
    if (!$('copy').disabled || !$('copy-rich').disabled || !$('download').disabled) problems.push('tab width 0: copy stays on');
    if (!status.textContent.startsWith('Not converted')) problems.push('tab width 0: the status says ' + status.textContent);
  }

  // The left of the first character after each line number.
  function codeLefts() {
    return [...preview.querySelectorAll('.lineno')].map((number) => {
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
      await until(() => preview.querySelectorAll('.lineno').length >= 12);
      const lefts = codeLefts();
      if (Math.abs(lefts[8].left - lefts[9].left) > 1) problems.push('-l' + (noPre ? ' -p' : '') + ': lines 9 and 10 start apart');
    }
  }

  // -l -p in a narrow block: a long line's number stays on its line.
  async function checkNumbersStayWithTheirLines() {
    setOptions({ lineNumbers: true, noPre: true });
    preview.style.width = '390px';
    await type('short;\nint ' + Array.from({ length: 12 }, (_, i) => 'averyveryverylongname' + i).join(' ') + ';\nx;\n');
    await until(() => preview.querySelectorAll('.lineno').length >= 3);
    for (const number of preview.querySelectorAll('.lineno')) {
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
    for (const inner of preview.querySelectorAll('pre, code')) {
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
    if (html !== styled) problems.push('copy for editors: the rich text is not the -s fragment');
    if (text !== new TextDecoder('shift_jis').decode(bytesOf(sjis.input))) problems.push('copy for editors: the plain text is not the source');

    const frame = document.createElement('iframe');
    const loaded = new Promise((resolve) => frame.addEventListener('load', resolve, { once: true }));
    frame.srcdoc = '<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>' + styled + '</body></html>';
    document.body.appendChild(frame);
    await loaded;
    await until(() => preview.querySelector('.lineno') !== null);
    for (const name of ['keyword', 'comment', 'string', 'preprocessor', 'lineno']) {
      const sheet = preview.querySelector('.' + name);
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

  colorune.ready.then(async function () {
    checkConversions();
    for (const file of webFiles) await checkFile(file);
    const sjis = webFiles.find((f) => f.encoding === 'shift_jis');
    await checkSourcesKeepTheirEncoding(sjis);
    await checkErrorClearsTheOutput();
    await checkNumbersLineUp();
    await checkNumbersStayWithTheirLines();
    await checkCopyForEditors(sjis);
    checkAccessibility();
    await checkLargeFile(sjis);
    verdict.textContent = problems.length === 0 ? 'PASS' : problems.join('\n');
  }).catch(function (error) {
    verdict.textContent = 'error: ' + error + '\n' + problems.join('\n');
  });
})();
