#include "highlighter/reader.h"

#include <cstring>

bool fill_input(ConverterState& state, std::size_t count) {
  std::size_t available = state.in_limit - state.in_next;
  while (available < count && !state.input_ended) {
    // Keep the unread bytes (at most three) at the front and read after them.
    std::memmove(state.in_buffer, state.in_buffer + state.in_next, available);
    state.in_next = 0;
    state.in_limit = available;
    const std::size_t read =
        std::fread(state.in_buffer + available, 1, kInputBufferSize - available, state.input);
    if (read == 0) {
      if (std::ferror(state.input)) state.read_failed = true;
      state.input_ended = true;
    }
    state.in_limit += read;
    available += read;
  }
  return available >= count;
}

CharCode read_utf8_rest(ConverterState& state, int first) {
  // How many bytes follow the lead byte, and the range of the first of them,
  // which rules out overlong forms, surrogates and code points past U+10FFFF.
  std::size_t following = 0;
  int low = 0x80;
  int high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    following = 1;
  } else if (first >= 0xE0 && first <= 0xEF) {
    following = 2;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    following = 3;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return kLoneByte | first;  // a continuation byte, C0, C1 or F5 to FF
  }

  // Look at the following bytes before taking them: a sequence cut short leaves
  // them all to be read as characters of their own.
  fill_input(state, following);
  const std::size_t available = state.in_limit - state.in_next;
  const unsigned char* next = state.in_buffer + state.in_next;
  if (available < following || next[0] < low || next[0] > high) return kLoneByte | first;
  for (std::size_t i = 1; i < following; ++i) {
    if (next[i] < 0x80 || next[i] > 0xBF) return kLoneByte | first;
  }
  state.in_next += following;

  switch (following) {
    case 1: return kTwoBytes | first | (next[0] << 8);
    case 2: return kThreeBytes | first | (next[0] << 8) | (next[1] << 16);
    default: return kFourBytes | first | (next[0] << 8) | ((next[1] & 0x3F) << 16) | ((next[2] & 0x3F) << 22);
  }
}
