#ifndef COLORUNE_HIGHLIGHTER_READER_H_
#define COLORUNE_HIGHLIGHTER_READER_H_

#include "highlighter/converter_state.h"

/// Refills the input window and returns its first byte, or -1 at end of input or
/// on a read error (which also sets read_failed). Once the end is met it stays met.
int refill_input(ConverterState& state);

/// The next input byte (0..255), or -1 at end of input.
inline int read_byte(ConverterState& state) {
  if (state.in_next < state.in_limit) return state.in_buffer[state.in_next++];
  return refill_input(state);
}

/// The next character of the input (see CharCode). A byte with the high bit set
/// starts a two-byte character whatever the byte after it is, so the second byte
/// of a Shift_JIS character (a backslash, a letter) is never taken for syntax.
/// After end of input every call returns -1 again.
inline CharCode read_char(ConverterState& state) {
  const int first = read_byte(state);
  if (first < 0x80) return first;  // one-byte character, or end of input
  const int second = read_byte(state);
  if (second < 0) return kLoneByte | first;
  return first | (second << 8);
}

#endif  // COLORUNE_HIGHLIGHTER_READER_H_
