#include "highlighter/scanners.h"

#include <cstddef>

#include "highlighter/char_class.h"
#include "highlighter/emitter.h"
#include "highlighter/markup.h"
#include "highlighter/reader.h"
#include "highlighter/runs.h"

void scan_word(ConverterState& state) {
  // The lookahead is the window's last byte read: when the whole piece stands in
  // the window, write it from there.
  if (state.in_next > 0 && state.in_buffer[state.in_next - 1] == state.lookahead) {
    const unsigned char* const first = state.in_buffer + state.in_next - 1;
    const unsigned char* const end = window_word_end(state, first);
    if (end != nullptr) {
      emit_word(state, first, static_cast<std::size_t>(end - first));
      state.in_next = static_cast<std::size_t>(end - state.in_buffer);
      state.lookahead = read_char(state);
      return;
    }
  }

  // 256 bytes: room for a full piece and its terminator, and for the fixed-size
  // copy emit_word makes of a short word.
  unsigned char word[kLongestWordPiece + 1];
  static_assert(sizeof word >= kBufferSlack);
  std::size_t count = 0;
  // A longer run is cut here; the scan loop goes on with the next character,
  // which starts a new word (a letter or "_") or is written plain (a digit).
  while (count < kLongestWordPiece && is_word_char(state.lookahead)) {
    word[count++] = static_cast<unsigned char>(state.lookahead);
    state.lookahead = read_char(state);
  }
  emit_word(state, word, count);
}

void scan_slash(ConverterState& state) {
  state.lookahead = read_char(state);  // past the "/"
  if (state.lookahead == '*') {
    scan_block_comment(state);
  } else if (state.lookahead == '/') {
    scan_line_comment(state);
  } else {
    // A lone "/": what follows is left to the next turn of the scan loop, so a
    // quote right after it still starts a literal.
    emit_char(state, '/');
  }
}

void scan_block_comment(ConverterState& state) {
  write_markup(state, kCommentOpen);
  emit_text(state, "/*");
  // The opener's "*" is not prev, so "/*/" does not close the comment. prev holds
  // whole characters: the second byte of a two-byte character is never a "*".
  CharCode prev = 0;
  for (;;) {
    if (prev != '*' && copy_block_comment_run(state)) prev = 0;  // the run holds no "*"
    state.lookahead = read_char(state);
    if (state.lookahead == kEndOfInput) break;
    emit_char(state, state.lookahead);
    if (prev == '*' && state.lookahead == '/') break;
    prev = state.lookahead;
  }
  write_markup(state, kCommentClose);
  state.lookahead = read_char(state);
}

void scan_line_comment(ConverterState& state) {
  write_markup(state, kCommentOpen);
  emit_text(state, "//");
  // A backslash right before the line feed continues the comment on the next
  // line; only the one character before the line feed counts.
  CharCode prev = 0;
  for (;;) {
    if (copy_line_comment_run(state)) prev = 0;  // the run holds no backslash
    state.lookahead = read_char(state);
    if (state.lookahead == kEndOfInput) break;
    emit_char(state, state.lookahead);  // a line feed brings the next line's prefix inside
    if (state.lookahead == '\n' && prev != '\\') break;
    prev = state.lookahead;
  }
  write_markup(state, kCommentClose);
  state.lookahead = read_char(state);
}

void scan_quoted(ConverterState& state) {
  const CharCode quote = state.lookahead;
  bool escaped = false;  // the previous character was an escaping backslash
  write_markup(state, kStringOpen);
  emit_char(state, quote);
  // A line feed does not end a literal: an unclosed one runs on to its quote or
  // to end of input.
  for (;;) {
    if (copy_literal_run(state)) escaped = false;  // the run holds no quote or backslash
    state.lookahead = read_char(state);
    if (state.lookahead == kEndOfInput) break;
    emit_char(state, state.lookahead);
    if (state.lookahead == quote && !escaped) break;
    escaped = state.lookahead == '\\' && !escaped;  // a backslash escapes exactly one character
  }
  write_markup(state, kStringClose);
  state.lookahead = read_char(state);
}

void scan_directive(ConverterState& state) {
  write_markup(state, kDirectiveOpen);
  emit_char(state, '#');
  // The last character the directive itself emitted: characters inside comments
  // and a lone "/" leave it alone, so "\" then a comment then the line feed still
  // continues the directive. Quotes mean nothing here.
  CharCode prev = 0;
  for (;;) {
    if (copy_directive_run(state)) prev = 0;  // the run holds no backslash
    state.lookahead = read_char(state);
    while (state.lookahead == '/') {
      state.lookahead = read_char(state);
      if (state.lookahead == '*') {
        scan_block_comment(state);  // lookahead: the character after the comment
      } else if (state.lookahead == '/') {
        // The line comment has taken the end of the line: the directive ends
        // with it, and the lookahead stays where the comment left it.
        scan_line_comment(state);
        write_markup(state, kDirectiveClose);
        return;
      } else {
        emit_char(state, '/');
      }
    }
    if (state.lookahead == kEndOfInput) break;
    emit_char(state, state.lookahead);
    if (state.lookahead == '\n' && prev != '\\') break;
    prev = state.lookahead;
  }
  write_markup(state, kDirectiveClose);
  state.lookahead = read_char(state);
}
