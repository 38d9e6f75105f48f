// The frame of the fragment and the scan loop. Each turn looks at the lookahead
// and hands it on, tested in this order:
//
//   letter or "_"     -> scan_word        (digits never start a word)
//   '"' or "'"        -> scan_quoted
//   "/"               -> scan_slash       (block comment, line comment, or "/")
//   "#"               -> scan_directive   (anywhere, not only at a line's start)
//   anything else     -> written plain
//
// A scanner is entered with the lookahead on the character that selected it and
// returns with the lookahead on the first character it did not consume. A
// two-byte character starts nothing: its low byte is above 0x7F.

#include "highlighter/convert.h"

#include "highlighter/char_class.h"
#include "highlighter/emitter.h"
#include "highlighter/markup.h"
#include "highlighter/reader.h"
#include "highlighter/runs.h"
#include "highlighter/scanners.h"

void convert(ConverterState& state) {
  if (!state.options.no_pre) write_markup(state, kPreOpen);
  write_markup(state, kCodeOpen);
  write_line_prefix(state);

  state.lookahead = read_char(state);
  while (state.lookahead != kEndOfInput) {
    if (is_word_start(state.lookahead)) {
      scan_word(state);
      continue;
    }
    switch (state.lookahead) {
      case '"':
      case '\'': scan_quoted(state); break;
      case '/': scan_slash(state); break;
      case '#': scan_directive(state); break;
      default:
        emit_char(state, state.lookahead);
        copy_plain_run(state);  // and the plain text after it, words included
        state.lookahead = read_char(state);
        break;
    }
  }

  write_markup(state, kCodeClose);
  if (!state.options.no_pre) write_markup(state, kPreClose);
  flush_output(state);
}
