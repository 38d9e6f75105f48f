#ifndef COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_
#define COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_

#include <array>
#include <cstdint>

#include "highlighter/isa.h"

inline namespace COLORUNE_ISA {

// ASCII classes of a byte, whatever the locale: no byte above 0x7F is a letter,
// a digit or "_".

constexpr bool is_ascii_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr bool is_ascii_digit(int c) { return c >= '0' && c <= '9'; }

/// A letter or "_": starts a word.
constexpr bool is_word_start(int c) { return is_ascii_letter(c) || c == '_'; }

/// A letter, digit or "_": continues a word.
constexpr bool is_word_char(int c) { return is_word_start(c) || is_ascii_digit(c); }

// What a byte means to the block classifier's portable path (block_classifier.h):
// one of the classes below. A byte of no class is copied to the output as it is.
using ByteClass = std::uint16_t;
inline constexpr ByteClass kClassEscape = 1 << 0;      // & < >: written as entities
inline constexpr ByteClass kClassSpace = 1 << 1;       // space: "&nbsp;" without <pre>
inline constexpr ByteClass kClassTab = 1 << 2;         // expanded to the next tab stop
inline constexpr ByteClass kClassLineFeed = 1 << 3;    // ends a line; ends line comments and directives
inline constexpr ByteClass kClassHigh = 1 << 4;        // 0x80-0xFF: starts a character of several bytes
inline constexpr ByteClass kClassWordStart = 1 << 5;   // A-Z a-z _
inline constexpr ByteClass kClassDigit = 1 << 6;       // 0-9: continues a word
inline constexpr ByteClass kClassQuote = 1 << 7;       // " ': start and end literals
inline constexpr ByteClass kClassSlash = 1 << 8;       // /: may start a comment
inline constexpr ByteClass kClassHash = 1 << 9;        // #: starts a directive
inline constexpr ByteClass kClassStar = 1 << 10;       // *: may end a block comment
inline constexpr ByteClass kClassBackslash = 1 << 11;  // \: escapes, continues lines
inline constexpr ByteClass kClassOtherSparse = 1 << 12;  // $ %: among the bytes plain text looks at, for nothing

constexpr std::array<ByteClass, 256> make_byte_classes() {
  std::array<ByteClass, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    ByteClass c = 0;
    if (b == '&' || b == '<' || b == '>') c = kClassEscape;
    if (b == ' ') c = kClassSpace;
    if (b == '\t') c = kClassTab;
    if (b == '\n') c = kClassLineFeed;
    if (b >= 0x80) c = kClassHigh;
    if (is_word_start(b)) c = kClassWordStart;
    if (is_ascii_digit(b)) c = kClassDigit;
    if (b == '"' || b == '\'') c = kClassQuote;
    if (b == '/') c = kClassSlash;
    if (b == '#') c = kClassHash;
    if (b == '*') c = kClassStar;
    if (b == '\\') c = kClassBackslash;
    if (b == '$' || b == '%') c = kClassOtherSparse;
    classes[static_cast<std::size_t>(b)] = c;
  }
  return classes;
}

inline constexpr std::array<ByteClass, 256> kByteClasses = make_byte_classes();

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_CHAR_CLASS_H_
