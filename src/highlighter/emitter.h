#ifndef COLORUNE_HIGHLIGHTER_EMITTER_H_
#define COLORUNE_HIGHLIGHTER_EMITTER_H_

#include <cstddef>
#include <cstring>

#include "highlighter/converter_state.h"

/// Hands the buffered output to the output stream; a short write sets write_failed.
void flush_output(ConverterState& state);

/// Writes bytes to the output as they are: for markup, never for source text.
inline void write_bytes(ConverterState& state, const char* bytes, std::size_t count) {
  if (count > kOutputBufferSize - state.out_length) {
    flush_output(state);
    if (count > kOutputBufferSize) {
      if (std::fwrite(bytes, 1, count, state.output) != count) state.write_failed = true;
      return;
    }
  }
  std::memcpy(state.out_buffer + state.out_length, bytes, count);
  state.out_length += count;
}

/// write_bytes for bytes of the input window ([bytes] points into in_buffer):
/// a run of up to kShortCopy bytes, the common case, is copied as one block of
/// that fixed size, which needs no call; only [count] bytes of it count.
inline void write_window_bytes(ConverterState& state, const unsigned char* bytes, std::size_t count) {
  // 32: copied in two 16-byte moves; a larger fixed copy becomes a slow string
  // instruction on baseline x86-64.
  constexpr std::size_t kShortCopy = 32;
  static_assert(kShortCopy <= kBufferSlack);
  if (count <= kShortCopy && state.out_length + kShortCopy <= kOutputBufferSize) {
    std::memcpy(state.out_buffer + state.out_length, bytes, kShortCopy);
    state.out_length += count;
    return;
  }
  write_bytes(state, reinterpret_cast<const char*>(bytes), count);
}

/// Makes room for [count] bytes of output, so that a caller may write them
/// without a check (see RunOutput in runs.cpp).
inline void reserve_output(ConverterState& state, std::size_t count) {
  if (count > kOutputBufferSize - state.out_length) flush_output(state);
}

inline void write_byte(ConverterState& state, char byte) {
  if (state.out_length == kOutputBufferSize) flush_output(state);
  state.out_buffer[state.out_length++] = byte;
}

/// Writes a constant tag or entity (see markup.h).
template <std::size_t N>
inline void write_markup(ConverterState& state, const char (&text)[N]) {
  write_bytes(state, text, N - 1);
}

/// Writes one source character as HTML text: escapes "&", "<" and ">", expands a
/// tab to the next tab stop, writes spaces and line feeds as "&nbsp;" and "<br>\n"
/// without <pre>, and after a line feed starts the next line with its number.
/// Advances column (and line_number at a line feed). Never given end of input.
void emit_char(ConverterState& state, CharCode c);

/// emit_char for each byte of a NUL-terminated ASCII string.
void emit_text(ConverterState& state, const char* text);

/// Writes the line-number element for line_number when line numbers are on.
void write_line_prefix(ConverterState& state);

#endif  // COLORUNE_HIGHLIGHTER_EMITTER_H_
