#ifndef COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_
#define COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_

#include "highlighter/converter_state.h"

// ASCII classes of a CharCode, whatever the locale. End of input (-1) and every
// code with a byte above 0x7F belong to none of them: the low byte of such a code
// is above 0x7F, so it is never a letter, a digit or "_".

constexpr bool is_ascii_letter(CharCode c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr bool is_ascii_digit(CharCode c) { return c >= '0' && c <= '9'; }

/// A letter or "_": starts a word.
constexpr bool is_word_start(CharCode c) { return is_ascii_letter(c) || c == '_'; }

/// A letter, digit or "_": continues a word.
constexpr bool is_word_char(CharCode c) { return is_word_start(c) || is_ascii_digit(c); }

#endif  // COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_
