#ifndef COLORUNE_HIGHLIGHTER_CONVERTER_STATE_H_
#define COLORUNE_HIGHLIGHTER_CONVERTER_STATE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

/// What the command line asks of one conversion.
struct Options {
  bool line_numbers = false;     // -l: a line-number element at the start of every line
  bool no_pre = false;           // -p: no <pre>; spaces as &nbsp;, line feeds as <br>
  std::uint32_t tab_width = 4;   // -t<n>: tab stops every n columns, 1 to 99
  bool utf8 = false;             // -u: read whole UTF-8 sequences instead of byte pairs
  bool modern = false;           // -m: the C and C++ of today (keywords, numbers, raw literals)
  bool style = false;            // -s: the look of the style sheet in each tag, for pages without it
};

/// The kind of text the conversion is in where it stopped: between two blocks
/// of input, or at the end of the input window.
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

// The input window holds this many bytes; the fuzz and sanitizer builds make it
// tiny, so that every token meets its edge somewhere.
#ifdef COLORUNE_SMALL_BUFFERS
inline constexpr std::size_t kInputBufferSize = 128;
inline constexpr std::size_t kOutputBufferSize = 256;
#else
inline constexpr std::size_t kInputBufferSize = std::size_t{1} << 16;
// The output is about two and a half times the input; written to a file, fewer
// and larger writes cost the kernel less (measured: a sixth less time than with
// 64 KiB).
inline constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;
#endif
// The input window has this many bytes more than it ever holds, so that the
// classifier can read a whole block of 64 bytes at its end, and a word can be
// compared 16 bytes at once.
inline constexpr std::size_t kInputSlack = 64;
// The longest line feed written otherwise: "<br>\n", then the next line's number
// element (with its style, with -s) with its pads and 20 digits.
inline constexpr std::size_t kLongestLineFeedText = 192;
// The most one block of 64 input bytes can add to the output, but for long
// copies of input bytes: a tab without <pre> (99 times "&nbsp;") for each byte,
// and a short copy of bytes from before the block. The output buffer has this
// much room past kOutputBufferSize, so that a block is written without a check
// for room.
inline constexpr std::size_t kBlockOutputBound = 64 * 640 + 1024;

/// Everything one conversion run needs. The buffers are fixed, so the memory of a
/// run does not grow with its input; the record is large, so keep it static or on
/// the heap of the caller, not in a small stack frame.
struct ConverterState {
  std::FILE* input = nullptr;
  std::FILE* output = nullptr;
  Options options;

  bool baseline_only = false;  // tests: the state machine built for every processor, not the fastest
  bool read_failed = false;   // reading the input stopped on an error, not at its end
  bool write_failed = false;  // some output could not be written

  // The text being converted: where the last window left off.
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

  // What one block hands on to the next.
  std::uint64_t second_carry = 0;   // the next byte is the second byte of a pair
  std::uint64_t utf8_carry = 0;     // the next bytes that continue a UTF-8 sequence
  std::uint64_t word_carry = 0;     // the last byte was a word character

  // Columns, counted only where a tab needs them: the column of a byte is its
  // offset in the input, less the bytes before it that take no column of their
  // own (second bytes, UTF-8 continuation bytes), less column_origin.
  std::int64_t column_origin = 0;
  std::int64_t extra_bytes = 0;     // bytes so far that take no column of their own
  std::uint64_t line_number = 1;    // line being written

  // A count of the work done: 64 for each block classified, 1 for each byte
  // looked at one by one. No input may make it much more than its length.
  std::uint64_t work = 0;

  // Input window: in_buffer[in_next, in_limit) is read but not yet converted;
  // in_buffer[0] is byte window_offset of the input.
  std::size_t in_next = 0;
  std::size_t in_limit = 0;
  std::uint64_t window_offset = 0;
  bool input_ended = false;  // end of input (or a read error) has been met

  // Output not yet handed to the output stream.
  std::size_t out_length = 0;

  // What the next line feed that is written otherwise is written as: "\n" or
  // "<br>\n", and with line numbers the next line's number element, whose last
  // digit most often is all that changes from one line to the next.
  char line_feed_text[kLongestLineFeedText + 16] = {};
  std::size_t line_feed_length = 0;
  std::size_t line_feed_last_digit = 0;  // index of the number's last digit

  alignas(64) unsigned char in_buffer[kInputBufferSize + kInputSlack];
  alignas(64) char out_buffer[kOutputBufferSize + kBlockOutputBound];
};

#endif  // COLORUNE_HIGHLIGHTER_CONVERTER_STATE_H_
