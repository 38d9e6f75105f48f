// Checks the example page in the browser that renders it, and writes the verdict
// into #verdict: "PASS", or one line for each problem.
(function () {
  const problems = [];
  const fragments = {
    pre: document.querySelector('pre > code'),
    'no-pre': document.querySelector('#no-pre > code'),
  };

  // The source as the page should show it: tabs expanded at stops of 4.
  function expandTabs(text) {
    let out = '';
    let column = 0;
    for (const ch of text) {
      if (ch === '\t') {
        const n = 4 - (column % 4);
        out += ' '.repeat(n);
        column += n;
      } else {
        out += ch;
        column = ch === '\n' ? 0 : column + 1;
      }
    }
    return out;
  }
  const expected = expandTabs(document.getElementById('expected-source').value);

  // A colour as the browser computes it, from a value such as var(--name).
  function resolvedColor(value) {
    const probe = document.createElement('span');
    probe.style.color = value;
    document.body.appendChild(probe);
    const color = getComputedStyle(probe).color;
    probe.remove();
    return color;
  }

  const allowed = {
    SPAN: ['lineno', 'preprocessor'],
    STRONG: ['keyword'],
    EM: ['comment', 'string'],
  };

  for (const [mode, code] of Object.entries(fragments)) {
    if (!code) {
      problems.push(mode + ': fragment not found');
      continue;
    }
    // (c) Only the format's own elements: a "<" that escaped escaping would
    // have made an element of its own, or eaten text.
    for (const element of code.querySelectorAll('*')) {
      const classes = allowed[element.nodeName];
      const isBreak = element.nodeName === 'BR' && mode === 'no-pre';
      if (!isBreak && !(classes && classes.includes(element.className))) {
        problems.push(mode + ': unexpected element ' + element.outerHTML.slice(0, 60));
      }
    }
    // The text, line numbers left out, is the source with its tabs expanded.
    let text = '';
    (function walk(node) {
      for (const child of node.childNodes) {
        if (child.nodeType === Node.TEXT_NODE) {
          text += mode === 'pre' ? child.data : child.data.replace(/\n/g, '');
        } else if (child.nodeName === 'BR') {
          text += '\n';
        } else if (!child.classList.contains('lineno')) {
          walk(child);
        }
      }
    })(code);
    text = text.replace(/\u00a0/g, ' ');
    if (text !== expected) {
      let at = 0;
      while (at < text.length && text[at] === expected[at]) at++;
      problems.push(mode + ': text differs from the source at character ' + at + ': "' +
                    text.slice(at, at + 30) + '"');
    }
    // (a) The style sheet's look for each class.
    const look = {
      keyword: ['--colorune-keyword', (s) => Number(s.fontWeight) >= 600],
      comment: ['--colorune-comment', (s) => s.fontStyle === 'italic'],
      string: ['--colorune-string', (s) => s.fontStyle === 'normal'],
      preprocessor: ['--colorune-preprocessor', () => true],
      lineno: ['--colorune-lineno', (s) => s.userSelect === 'none' || s.webkitUserSelect === 'none'],
    };
    for (const [name, [property, check]] of Object.entries(look)) {
      const element = code.querySelector(':scope > .' + name);
      if (!element) {
        problems.push(mode + ': no .' + name + ' element');
        continue;
      }
      const style = getComputedStyle(element);
      if (style.color !== resolvedColor('var(' + property + ')')) {
        problems.push(mode + ': .' + name + ' has colour ' + style.color);
      }
      if (!check(style)) problems.push(mode + ': .' + name + ' lacks its font or selection style');
    }
    if (!/monospace/.test(getComputedStyle(code).fontFamily)) problems.push(mode + ': code is not monospace');
  }

  // (b) Both fragments show the same lines, indentation included. Spaces at the
  // end of a line are not shown without <pre> (an empty line's number loses the
  // space after its colon), so they are left out of the comparison.
  const shown = (code) =>
    code.innerText.replace(/\u00a0/g, ' ').replace(/\n+$/, '').split('\n').map((line) => line.trimEnd());
  if (fragments.pre && fragments['no-pre']) {
    const pre = shown(fragments.pre);
    const noPre = shown(fragments['no-pre']);
    if (pre.length !== noPre.length) problems.push('pre shows ' + pre.length + ' lines, no-pre ' + noPre.length);
    for (let i = 0; i < Math.min(pre.length, noPre.length); i++) {
      if (pre[i] !== noPre[i]) {
        problems.push('line ' + (i + 1) + ' differs: "' + pre[i] + '" / "' + noPre[i] + '"');
        break;
      }
    }
  }

  document.getElementById('verdict').textContent = problems.length === 0 ? 'PASS' : problems.join(' | ');
})();
