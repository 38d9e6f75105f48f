#ifndef COLORUNE_HIGHLIGHTER_EMITTER_H_
#define COLORUNE_HIGHLIGHTER_EMITTER_H_

#include <cstddef>
#include <cstring>

#include "highlighter/converter_state.h"
#include "highlighter/isa.h"

// The output buffer: markup and source text are gathered in state.out_buffer and
// handed to the output stream in large writes.

/// Hands the buffered output to the output stream; a short write sets write_failed.
void flush_output(ConverterState& state);

/// Writes the line-number element for line_number when line numbers are on.
void write_line_prefix(ConverterState& state);

/// Makes state.line_feed_text for the line after line_number.
void compose_line_feed_text(ConverterState& state);

inline namespace COLORUNE_ISA {

/// Makes sure [count] more bytes fit in the output buffer.
inline void reserve_output(ConverterState& state, std::size_t count) {
  if (state.out_length + count > kOutputBufferSize + kBlockOutputBound) flush_output(state);
}

/// Writes bytes to the output as they are: markup, or source text that needs no
/// escaping. Larger than the buffer, they go to the stream directly.
inline void write_bytes(ConverterState& state, const char* bytes, std::size_t count) {
  if (count > kOutputBufferSize) {
    flush_output(state);
    if (std::fwrite(bytes, 1, count, state.output) != count) state.write_failed = true;
    return;
  }
  reserve_output(state, count);
  std::memcpy(state.out_buffer + state.out_length, bytes, count);
  state.out_length += count;
}

/// Writes a constant tag or entity (see markup.h).
template <std::size_t N>
inline void write_markup(ConverterState& state, const char (&text)[N]) {
  write_bytes(state, text, N - 1);
}

/// After line_feed_text has been written: counts the new line and makes the
/// text for the next one.
inline void advance_line_feed_text(ConverterState& state) {
  ++state.line_number;
  if (!state.options.line_numbers) return;
  char& last = state.line_feed_text[state.line_feed_last_digit];
  if (last != '9') {
    ++last;
  } else {
    compose_line_feed_text(state);  // a carry, perhaps a digit more
  }
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_EMITTER_H_
