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
};

/// One source character:
///   -1          end of input;
///   0x00..0x7F  a one-byte character, the byte itself;
///   bit 7 set   a character that starts with a byte from 0x80 to 0xFF, that
///               byte in bits 0-7 (so its low byte is always above 0x7F and it
///               is never mistaken for syntax), its other bytes above them as
///               bits 28-29 tell:
///     0 (kTwoBytes)    second byte in bits 8-15: a pair of the default reading,
///                      or a two-byte UTF-8 sequence;
///     1 (kLoneByte)    no other byte: a byte that ended the input before its
///                      second byte, or, reading UTF-8, a byte that starts no
///                      complete sequence;
///     2 (kThreeBytes)  a UTF-8 sequence, second and third bytes in bits 8-15
///                      and 16-23;
///     3 (kFourBytes)   a UTF-8 sequence, second byte in bits 8-15, the low six
///                      bits of the third and fourth bytes in bits 16-21 and
///                      22-27 (their top bits are always 10).
using CharCode = std::int32_t;

inline constexpr CharCode kEndOfInput = -1;
inline constexpr int kFormShift = 28;
inline constexpr CharCode kTwoBytes = 0 << kFormShift;
inline constexpr CharCode kLoneByte = 1 << kFormShift;
inline constexpr CharCode kThreeBytes = 2 << kFormShift;
inline constexpr CharCode kFourBytes = 3 << kFormShift;

inline constexpr std::size_t kInputBufferSize = std::size_t{1} << 16;
// The output is about two and a half times the input; written to a file, fewer
// and larger writes cost the kernel less (measured: a sixth less time than with
// 64 KiB).
inline constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;
// Both buffers have this many bytes more than they ever hold, so that a short
// run can be copied as one fixed-size block (see write_window_bytes) and the
// classifier can read a whole block of 64 bytes at the end of the window.
inline constexpr std::size_t kBufferSlack = 64;

/// Everything one conversion run needs. The buffers are fixed, so the memory of a
/// run does not grow with its input; the record is large, so keep it static or on
/// the heap of the caller, not in a small stack frame.
struct ConverterState {
  std::FILE* input = nullptr;
  std::FILE* output = nullptr;
  CharCode lookahead = kEndOfInput;  // next character no scanner has handled yet
  std::int64_t column = 0;           // columns written on this line, tabs expanded
  std::uint64_t line_number = 1;     // line being written
  Options options;

  bool read_failed = false;   // reading the input stopped on an error, not at its end
  bool write_failed = false;  // some output could not be written

  // Input window: in_buffer[in_next, in_limit) is read but not yet handed out.
  std::size_t in_next = 0;
  std::size_t in_limit = 0;
  bool input_ended = false;  // end of input (or a read error) has been met

  // Output not yet handed to the output stream.
  std::size_t out_length = 0;

  // The decimal digits of line_text_number, kept for the next line's prefix,
  // which most often needs only its last digit changed.
  std::uint64_t line_text_number = 0;
  std::size_t line_text_length = 0;
  char line_text[24] = {};

  unsigned char in_buffer[kInputBufferSize + kBufferSlack];
  char out_buffer[kOutputBufferSize + kBufferSlack];
};

#endif  // COLORUNE_HIGHLIGHTER_CONVERTER_STATE_H_
