// Checks the converter page in the browser that renders it, and writes the
// verdict into #verdict: "PASS", or one line for each problem. webCases and
// webFiles (made by tests/web_test.sh) hold sources in base64 with what the
// native program writes for them.
(function () {
  'use strict';
  const verdict = document.getElementById('verdict');
  const problems = [];
  const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  const sameBytes = (a, b) => a.length === b.length && a.every((x, i) => x === b[i]);
  const textOfHtml = (html) => new DOMParser().parseFromString(html, 'text/html').body.textContent;
  const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

  async function until(condition) {
    for (let i = 0; i < 200 && !condition(); ++i) await sleep(25);
    return condition();
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

  // A file given to the page's file input, with the options at their defaults.
  async function checkFile(file) {
    for (const id of ['line-numbers', 'no-pre', 'utf8', 'modern']) document.getElementById(id).checked = false;
    document.getElementById('tab-width').value = '4';
    document.getElementById('encoding').value = 'auto';
    const input = document.getElementById('file');
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytesOf(file.input)], file.name));
    input.files = transfer.files;
    input.dispatchEvent(new Event('change'));
    const status = document.getElementById('status');
    if (!(await until(() => status.textContent.startsWith('Converted ' + file.name)))) {
      problems.push(file.name + ': not converted (' + status.textContent + ')');
      return;
    }
    const expected = new TextDecoder(file.encoding).decode(bytesOf(file.expected));
    if (document.getElementById('utf8').checked !== file.utf8) problems.push(file.name + ': UTF-8 reading not guessed right');
    if (document.getElementById('fragment').value !== expected) problems.push(file.name + ': the copy text is not the decoded fragment');
    const preview = document.getElementById('preview');
    if (preview.textContent !== textOfHtml(expected)) problems.push(file.name + ': the preview does not show the source text');
    for (const selector of ['pre > code', 'strong.keyword', 'em.comment', 'em.string', 'span.preprocessor']) {
      if (preview.querySelector(selector) === null) problems.push(file.name + ': no ' + selector + ' in the preview');
    }
    const keyword = preview.querySelector('strong.keyword');
    if (keyword && getComputedStyle(keyword).color === getComputedStyle(preview.querySelector('code')).color) {
      problems.push(file.name + ': keywords are not coloured by the style sheet');
    }
  }

  colorune.ready.then(async function () {
    checkConversions();
    for (const file of webFiles) await checkFile(file);
    verdict.textContent = problems.length === 0 ? 'PASS' : problems.join('\n');
  }).catch(function (error) {
    verdict.textContent = 'error: ' + error;
  });
})();
