#include "highlighter/runs.h"

#include <string_view>

#include "highlighter/char_class.h"
#include "highlighter/emitter.h"
#include "highlighter/keywords.h"
#include "highlighter/markup.h"

namespace {

// [kStops]: the classes the run must stop before. [kWords]: words are the run's
// to write (in plain text, where a word start is not copied blindly).
template <ByteClass kStops, bool kWords>
bool copy_run(ConverterState& state) {
  const unsigned char* const window = state.in_buffer;
  const unsigned char* const end = window + state.in_limit;
  const unsigned char* const start = window + state.in_next;
  const unsigned char* p = start;

  ByteClass not_copied = kStops | kClassEscape | kClassTab | kClassLineFeed | kClassHigh;
  if (kWords) not_copied |= kClassWordStart;
  if (state.options.no_pre) not_copied |= kClassSpace;

  while (p < end) {
    const unsigned char* q = p;
    while (q < end && (kByteClasses[*q] & not_copied) == 0) ++q;
    if (q != p) {
      write_window_bytes(state, p, static_cast<std::size_t>(q - p));
      state.column += q - p;
      p = q;
      if (p == end) break;
    }
    const ByteClass byte_class = kByteClasses[*p];
    if (byte_class & kStops) break;
    if (kWords && (byte_class & kClassWordStart)) {
      q = window_word_end(state, p);
      if (q == nullptr) break;  // left to the word scanner, which reads on
      emit_word(state, p, static_cast<std::size_t>(q - p));
      p = q;
    } else if (byte_class & kClassHigh) {
      // A pair of the default reading; a UTF-8 sequence is left to the reader.
      if (state.options.utf8 || p + 1 == end) break;
      emit_char(state, p[0] | (p[1] << 8));
      p += 2;
    } else {
      // The common escapes inline; a tab or a line feed through emit_char.
      switch (*p) {
        case ' ': write_markup(state, kNbsp); break;
        case '&': write_markup(state, kAmp); break;
        case '<': write_markup(state, kLt); break;
        case '>': write_markup(state, kGt); break;
        case '\n':
          if (state.options.line_numbers || state.options.no_pre) {
            emit_char(state, '\n');
          } else {
            write_byte(state, '\n');
            state.line_number += 1;
            state.column = 0;
          }
          ++p;
          continue;
        default: emit_char(state, *p); ++p; continue;  // a tab
      }
      state.column += 1;
      ++p;
    }
  }
  state.in_next = static_cast<std::size_t>(p - window);
  return p != start;
}

}  // namespace

bool copy_plain_run(ConverterState& state) {
  return copy_run<kClassQuote | kClassSlash | kClassHash, true>(state);
}

bool copy_block_comment_run(ConverterState& state) { return copy_run<kClassStar, false>(state); }

bool copy_line_comment_run(ConverterState& state) {
  return copy_run<kClassLineFeed | kClassBackslash, false>(state);
}

bool copy_literal_run(ConverterState& state) { return copy_run<kClassQuote | kClassBackslash, false>(state); }

bool copy_directive_run(ConverterState& state) {
  return copy_run<kClassSlash | kClassLineFeed | kClassBackslash, false>(state);
}

const unsigned char* window_word_end(const ConverterState& state, const unsigned char* first) {
  const unsigned char* const end = state.in_buffer + state.in_limit;
  const unsigned char* const limit =
      end - first > static_cast<std::ptrdiff_t>(kLongestWordPiece) ? first + kLongestWordPiece : end;
  const unsigned char* p = first + 1;
  while (p < limit && (kByteClasses[*p] & (kClassWordStart | kClassDigit))) ++p;
  // A piece that reaches the end of the window short of its full length may go
  // on after it.
  if (p == end && p - first < static_cast<std::ptrdiff_t>(kLongestWordPiece)) return nullptr;
  return p;
}

void emit_word(ConverterState& state, const unsigned char* word, std::size_t length) {
  // A word holds only letters, digits and "_": nothing to escape, one column each.
  const bool keyword = is_keyword(std::string_view(reinterpret_cast<const char*>(word), length));
  if (keyword) write_markup(state, kKeywordOpen);
  write_window_bytes(state, word, length);
  state.column += static_cast<std::int64_t>(length);
  if (keyword) write_markup(state, kKeywordClose);
}
