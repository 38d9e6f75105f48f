#ifndef COLORUNE_HIGHLIGHTER_SCANNERS_H_
#define COLORUNE_HIGHLIGHTER_SCANNERS_H_

#include "highlighter/converter_state.h"

// The token scanners of the scan loop. Each is entered with the lookahead on the
// character that selected it, writes its element, and returns with the
// lookahead on the first character it did not consume (-1 at end of input,
// where each closes its element).

/// A word: an ASCII letter or "_" followed by letters, digits and "_". Written
/// as a keyword element when it is a keyword. A run of more than 255 word
/// characters is cut into pieces of 255.
void scan_word(ConverterState& state);

/// A "/": a block or line comment when "*" or "/" follows, else a plain "/".
void scan_slash(ConverterState& state);

/// A block comment; entered with the lookahead on the "*" of its opener.
void scan_block_comment(ConverterState& state);

/// A line comment, up to and including its line feed; a backslash right before
/// the line feed continues it. Entered with the lookahead on its second "/".
void scan_line_comment(ConverterState& state);

/// A string or character literal, to its closing quote or to end of input.
void scan_quoted(ConverterState& state);

/// A preprocessor directive, from "#" to the end of its logical line; comments
/// inside it are comment elements.
void scan_directive(ConverterState& state);

#endif  // COLORUNE_HIGHLIGHTER_SCANNERS_H_
