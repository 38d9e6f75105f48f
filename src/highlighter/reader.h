#ifndef COLORUNE_HIGHLIGHTER_READER_H_
#define COLORUNE_HIGHLIGHTER_READER_H_

#include <cstddef>

#include "highlighter/converter_state.h"

/// Makes at least [count] unread bytes (at most 4) stand in the input window
/// unless the input ends first; false when fewer than [count] remain. A read
/// error ends the input like end of file, and sets read_failed. Once the end is
/// met it stays met.
bool fill_input(ConverterState& state, std::size_t count);

/// The next input byte (0..255), or -1 at end of input.
inline int read_byte(ConverterState& state) {
  if (state.in_next == state.in_limit && !fill_input(state, 1)) return -1;
  return state.in_buffer[state.in_next++];
}

/// The rest of a character whose first byte, [first], is from 0x80 to 0xFF and
/// has been read, when reading UTF-8.
CharCode read_utf8_rest(ConverterState& state, int first);

/// The next character of the input (see CharCode); after end of input every call
/// returns -1 again. By default a byte with the high bit set starts a two-byte
/// character whatever the byte after it is, so the second byte of a Shift_JIS
/// character (a backslash, a letter) is never taken for syntax. Reading UTF-8, a
/// well-formed sequence is one character and any other byte stands alone, so no
/// ASCII byte is ever taken into a character with others.
inline CharCode read_char(ConverterState& state) {
  const int first = read_byte(state);
  if (first < 0x80) return first;  // one-byte character, or end of input
  if (state.options.utf8) return read_utf8_rest(state, first);
  const int second = read_byte(state);
  if (second < 0) return kLoneByte | first;
  return first | (second << 8);
}

#endif  // COLORUNE_HIGHLIGHTER_READER_H_
