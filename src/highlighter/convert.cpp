// The frame of the fragment around the state machine's walk over the input,
// one window at a time.

#include "highlighter/convert.h"

#include "highlighter/emitter.h"
#include "highlighter/markup.h"
#include "highlighter/reader.h"
#include "highlighter/state_machine.h"

void convert(ConverterState& state) {
  const Markup& markup = markup_for(state.options.style);
  if (!state.options.no_pre) write_bytes(state, markup.pre_open.text, markup.pre_open.length);
  write_bytes(state, markup.code_open.text, markup.code_open.length);
  write_line_prefix(state);
  compose_line_feed_text(state);

  do {
    refill_window(state);
    walk_window(state);
  } while (!state.input_ended || state.in_next < state.in_limit);

  close_open_element(state);
  write_markup(state, kCodeClose);
  if (!state.options.no_pre) write_markup(state, kPreClose);
  flush_output(state);
}
