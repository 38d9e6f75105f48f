#include "highlighter/reader.h"

#include <cstring>

void refill_window(ConverterState& state) {
  const std::size_t kept = state.in_limit - state.in_next;
  std::memmove(state.in_buffer, state.in_buffer + state.in_next, kept);
  state.window_offset += state.in_next;
  state.in_next = 0;
  state.in_limit = kept;
  while (!state.input_ended && state.in_limit < kInputBufferSize) {
    const std::size_t wanted = kInputBufferSize - state.in_limit;
    const std::size_t read = std::fread(state.in_buffer + state.in_limit, 1, wanted, state.input);
    state.in_limit += read;
    // fread gives less only at the end of the input or on an error.
    if (read < wanted) {
      if (std::ferror(state.input)) state.read_failed = true;
      state.input_ended = true;
    }
  }
}
