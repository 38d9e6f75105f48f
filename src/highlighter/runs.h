#ifndef COLORUNE_HIGHLIGHTER_RUNS_H_
#define COLORUNE_HIGHLIGHTER_RUNS_H_

#include <cstddef>

#include "highlighter/converter_state.h"

// Fast runs: each takes characters straight from the input window, past the
// lookahead, for as long as they need no decision of the scanner it serves, and
// writes them exactly as emit_char would (runs of bytes that need no escaping in
// one copy). Each stops before the first character its scanner must see, before
// a character that is not whole in the window, and at the end of the window;
// the scanner then goes on with read_char. Each returns true when it took any
// character; none of the characters it takes is one its scanner compares with.

/// Plain text of the scan loop; words in it are written as the word scanner
/// would. Stops before a quote, "/", "#", or a word that may go on past the
/// window.
bool copy_plain_run(ConverterState& state);

/// Inside a block comment: stops before "*".
bool copy_block_comment_run(ConverterState& state);

/// Inside a line comment: stops before a line feed or a backslash.
bool copy_line_comment_run(ConverterState& state);

/// Inside a literal: stops before a quote or a backslash.
bool copy_literal_run(ConverterState& state);

/// Inside a directive: stops before "/", a line feed or a backslash.
bool copy_directive_run(ConverterState& state);

/// The longest piece of a word: a longer run of word characters is cut into
/// pieces of this length, each looked up and written as a word of its own.
inline constexpr std::size_t kLongestWordPiece = 255;

/// The end of the word piece that starts at [first], a letter or "_" in the input
/// window; nullptr when the piece may go on past the end of the window.
const unsigned char* window_word_end(const ConverterState& state, const unsigned char* first);

/// Writes a word: inside a keyword element when it is a keyword. At least
/// kBufferSlack bytes from [word] on must be readable (true of the input window
/// and of the word scanner's buffer), since a short word is copied as one block.
void emit_word(ConverterState& state, const unsigned char* word, std::size_t length);

#endif  // COLORUNE_HIGHLIGHTER_RUNS_H_
