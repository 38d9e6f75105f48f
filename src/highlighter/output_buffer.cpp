#include "highlighter/output_buffer.h"

void write_bytes_in_pieces(OutputBuffer& out, const char* bytes, std::size_t count) {
  for (;;) {
    const std::size_t room = out.length < out.capacity ? out.capacity - out.length : 0;
    const std::size_t piece = count < room ? count : room;
    std::memcpy(out.data + out.length, bytes, piece);
    out.length += piece;
    bytes += piece;
    count -= piece;
    if (count == 0) return;
    out.drain(out);
  }
}
