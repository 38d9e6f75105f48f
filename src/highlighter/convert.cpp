// The frame of the fragment and the scan loop. Each turn looks at the lookahead
// and hands it on:
//
//   anything      -> written plain
//
// A scanner is entered with the lookahead on the character that selected it and
// returns with the lookahead on the first character it did not consume.

#include "highlighter/convert.h"

#include "highlighter/emitter.h"
#include "highlighter/markup.h"
#include "highlighter/reader.h"

void convert(ConverterState& state) {
  if (!state.options.no_pre) write_markup(state, kPreOpen);
  write_markup(state, kCodeOpen);
  write_line_prefix(state);

  state.lookahead = read_char(state);
  while (state.lookahead != kEndOfInput) {
    emit_char(state, state.lookahead);
    state.lookahead = read_char(state);
  }

  write_markup(state, kCodeClose);
  if (!state.options.no_pre) write_markup(state, kPreClose);
  flush_output(state);
}
