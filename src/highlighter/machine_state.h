#ifndef COLORUNE_HIGHLIGHTER_MACHINE_STATE_H_
#define COLORUNE_HIGHLIGHTER_MACHINE_STATE_H_

#include <cstddef>
#include <cstdint>

#include "highlighter/markup.h"

/// The kind of text the conversion is in where it stopped: between two blocks
/// of input, or at the end of an input window.
enum class Context : std::uint8_t {
  kPlainText,
  kWordRun,                // a run of word characters that began in an earlier block
  kWordPiece,              // the rest of a word piece longer than any keyword (piece_left)
  kNumber,                 // modern reading: a number (number_last)
  kRawLiteralStart,        // modern reading: the next byte opens a raw literal
  kLiteral,                // a string or character literal (quote, escaped)
  kRawLiteral,             // modern reading: the body of a raw literal (delimiter)
  kBlockComment,           // (after_star)
  kLineComment,            // (after_backslash)
  kDirective,              // (directive_backslash)
  kDirectiveBlockComment,  // a block comment inside a directive (and saved_backslash)
  kDirectiveLineComment,   // a line comment that ends the directive it is in
};

/// The elements open in a context, outermost first.
struct OpenElements {
  std::size_t count;
  Element elements[2];
};

constexpr OpenElements open_elements(Context context) {
  switch (context) {
    case Context::kLiteral:
    case Context::kRawLiteral: return {1, {Element::kString}};
    case Context::kBlockComment:
    case Context::kLineComment: return {1, {Element::kComment}};
    case Context::kDirective: return {1, {Element::kDirective}};
    case Context::kDirectiveBlockComment:
    case Context::kDirectiveLineComment: return {2, {Element::kDirective, Element::kComment}};
    default: return {0, {}};
  }
}

/// The token the conversion is in, with what it must remember of it.
struct TokenState {
  Context context = Context::kPlainText;
  unsigned char quote = 0;            // kLiteral: the quote that closes it
  bool escaped = false;               // kLiteral: a backslash escapes the window's first byte
  bool after_star = false;            // block comments: the last byte was a "*" of the body
  bool after_backslash = false;       // line comments: the last character was a backslash
  bool directive_backslash = false;   // directives: the last character of the directive's own
                                      // text (not a comment, not a "/") was a backslash
  bool saved_backslash = false;       // the same, from before a block comment inside a directive
  unsigned char number_last = 0;      // kNumber: the last byte of the number so far
  std::uint16_t piece_left = 0;       // kWordPiece: how many more characters the piece takes
  std::uint8_t delimiter_length = 0;  // kRawLiteral: the delimiter of its closing )delimiter"
  char delimiter[16] = {};
};

/// What one block hands on to the next, one bit each.
struct BlockCarry {
  std::uint64_t second = 0;  // the next byte is the second byte of a pair
  std::uint64_t utf8 = 0;    // the next bytes that continue a UTF-8 sequence
  std::uint64_t word = 0;    // the last byte was a word character
};

/// Columns, counted only where a tab needs them: the column of a byte is its
/// offset in the input, less the bytes before it that take no column of their
/// own (second bytes, UTF-8 continuation bytes), less origin.
struct Columns {
  std::int64_t origin = 0;
  std::int64_t extra_bytes = 0;  // bytes so far that take no column of their own
};

// The longest line feed written otherwise: "<br>\n", then the next line's number
// element (with its style, with -s) with its pads and 20 digits.
inline constexpr std::size_t kLongestLineFeedText = sizeof kBreak - 1 + longest_open_tag() + 2 * (sizeof kNbsp - 1) +
                                                    20 + sizeof kLineNumberEnd - 1 +
                                                    close_tag(Element::kLineNumber).length;

/// The line being written, and what the next line feed written otherwise is
/// written as: "\n" or "<br>\n", and with line numbers the next line's number
/// element, whose last digit most often is all that changes from one line to
/// the next.
struct LineFeedText {
  std::uint64_t line_number = 1;
  char text[kLongestLineFeedText + 16] = {};
  std::size_t length = 0;
  std::size_t last_digit = 0;  // index of the number's last digit
};

/// Everything the state machine carries from one window to the next.
struct MachineState {
  TokenState token;
  BlockCarry carry;
  Columns columns;
  LineFeedText lines;
  // A count of the work done: 64 for each block classified, 1 for each byte
  // looked at one by one. No input may make it much more than its length.
  std::uint64_t work = 0;
};

#endif  // COLORUNE_HIGHLIGHTER_MACHINE_STATE_H_
