#include "highlighter/reader.h"

int refill_input(ConverterState& state) {
  if (state.input_ended) return -1;
  const std::size_t count = std::fread(state.in_buffer, 1, kInputBufferSize, state.input);
  if (count == 0) {
    // A read error ends the input like end of file does, but is remembered so
    // that the run does not report success.
    if (std::ferror(state.input)) state.read_failed = true;
    state.input_ended = true;
    state.in_next = state.in_limit = 0;
    return -1;
  }
  state.in_next = 1;
  state.in_limit = count;
  return state.in_buffer[0];
}
