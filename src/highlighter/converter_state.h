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
};

/// One source character:
///   -1                 end of input;
///   0x00..0x7F         a one-byte character, the byte itself;
///   bit 7 set          a two-byte character, first byte in bits 0-7 and second
///                      byte in bits 8-15 (so its low byte is always above 0x7F);
///   kLoneByte | byte   a byte from 0x80 to 0xFF that ended the input before its
///                      second byte; written back as that one byte.
/// Every code other than -1 and 0..0x7F has a low byte above 0x7F, so none of them
/// can be mistaken for syntax.
using CharCode = std::int32_t;

inline constexpr CharCode kEndOfInput = -1;
inline constexpr CharCode kLoneByte = 1 << 28;

inline constexpr std::size_t kInputBufferSize = std::size_t{1} << 16;
inline constexpr std::size_t kOutputBufferSize = std::size_t{1} << 16;

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

  unsigned char in_buffer[kInputBufferSize];
  char out_buffer[kOutputBufferSize];
};

#endif  // COLORUNE_HIGHLIGHTER_CONVERTER_STATE_H_
