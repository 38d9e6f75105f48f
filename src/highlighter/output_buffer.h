#ifndef COLORUNE_HIGHLIGHTER_OUTPUT_BUFFER_H_
#define COLORUNE_HIGHLIGHTER_OUTPUT_BUFFER_H_

#include <cstddef>
#include <cstring>

#include "highlighter/isa.h"
#include "highlighter/markup.h"

// The most one block of 64 input bytes can add to the output, but for long
// copies of input bytes: a tab without <pre> (99 times "&nbsp;") for each byte,
// and a short copy of bytes from before the block. The buffer has this much
// room past its capacity, so that a block is written without a check for room.
inline constexpr std::size_t kBlockOutputBound = 64 * 640 + 1024;

/// Where the conversion writes. Its owner decides where the bytes go: drain
/// hands data[0, length) on and empties the buffer, or makes it larger; either
/// way length is at most capacity afterwards. A drain that fails sets failed and
/// empties the buffer: the conversion may go on writing, and the owner reports
/// the failure.
struct OutputBuffer {
  char* data = nullptr;  // capacity + kBlockOutputBound bytes, and one for a final NUL
  std::size_t length = 0;
  std::size_t capacity = 0;
  void (*drain)(OutputBuffer& out) = nullptr;
  void* owner = nullptr;
  bool failed = false;
};

/// Writes bytes longer than the room left, a piece at a time.
void write_bytes_in_pieces(OutputBuffer& out, const char* bytes, std::size_t count);

inline namespace COLORUNE_ISA {

/// Makes sure [count] more bytes fit, for count up to kBlockOutputBound.
inline void reserve_output(OutputBuffer& out, std::size_t count) {
  if (out.length + count > out.capacity + kBlockOutputBound) out.drain(out);
}

/// Writes bytes as they are: markup, or source text that needs no escaping.
inline void write_bytes(OutputBuffer& out, const char* bytes, std::size_t count) {
  if (out.length + count > out.capacity + kBlockOutputBound) {
    write_bytes_in_pieces(out, bytes, count);
    return;
  }
  std::memcpy(out.data + out.length, bytes, count);
  out.length += count;
}

/// Writes a tag (see markup.h).
inline void write_tag(OutputBuffer& out, const Tag& tag) { write_bytes(out, tag.text, tag.length); }

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_OUTPUT_BUFFER_H_
