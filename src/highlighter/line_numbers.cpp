#include "highlighter/line_numbers.h"

#include <cstdint>
#include <cstring>

#include "highlighter/markup.h"

namespace {

// Writes the line-number element for [line] at [out]; returns its end, and in
// [last_digit] where its last digit is.
char* write_line_number(const Options& options, std::uint64_t line, char* out, char*& last_digit) {
  const Tag& open = open_tags(options.style)[index_of(Element::kLineNumber)];
  std::memcpy(out, open.text, open.length);
  out += open.length;
  // Right-aligned in three places; from line 1000 on the number stands whole.
  const std::size_t pads = line < 10 ? 2 : line < 100 ? 1 : 0;
  for (std::size_t i = 0; i < pads; ++i) {
    if (options.no_pre) {
      std::memcpy(out, kNbsp, sizeof kNbsp - 1);
      out += sizeof kNbsp - 1;
    } else {
      *out++ = ' ';
    }
  }
  char digits[20];
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + line % 10);
    line /= 10;
  } while (line != 0);
  std::memcpy(out, digits + start, sizeof digits - start);
  out += sizeof digits - start;
  last_digit = out - 1;
  std::memcpy(out, kLineNumberEnd, sizeof kLineNumberEnd - 1);
  out += sizeof kLineNumberEnd - 1;
  const Tag& close = close_tag(Element::kLineNumber);
  std::memcpy(out, close.text, close.length);
  return out + close.length;
}

}  // namespace

void write_line_prefix(const LineFeedText& lines, const Options& options, OutputBuffer& out) {
  if (!options.line_numbers) return;
  char text[kLongestLineFeedText];
  char* last_digit = nullptr;
  const char* const end = write_line_number(options, lines.line_number, text, last_digit);
  write_bytes(out, text, static_cast<std::size_t>(end - text));
}

void compose_line_feed_text(LineFeedText& lines, const Options& options) {
  char* out = lines.text;
  if (options.no_pre) {
    std::memcpy(out, kBreak, sizeof kBreak - 1);
    out += sizeof kBreak - 1;
  } else {
    *out++ = '\n';
  }
  if (options.line_numbers) {
    char* last_digit = nullptr;
    out = write_line_number(options, lines.line_number + 1, out, last_digit);
    lines.last_digit = static_cast<std::size_t>(last_digit - lines.text);
  }
  lines.length = static_cast<std::size_t>(out - lines.text);
}
