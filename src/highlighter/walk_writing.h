#ifndef COLORUNE_HIGHLIGHTER_WALK_WRITING_H_
#define COLORUNE_HIGHLIGHTER_WALK_WRITING_H_

// How the walk writes: tags, the input's bytes copied in pieces, and the bytes
// written otherwise than as they are (entities, tabs to the next tab stop,
// spaces and line feeds without <pre>, line numbers). Part of the state
// machine's body (state_machine_body.h).

#include <cstdint>
#include <cstring>

#include "highlighter/block_classifier.h"
#include "highlighter/line_numbers.h"
#include "highlighter/markup.h"
#include "highlighter/walk_state.h"

inline namespace COLORUNE_ISA {
namespace {

template <std::size_t N>
__attribute__((always_inline)) inline void put(Cursor& c, const char (&text)[N]) {
  std::memcpy(c.out, text, N - 1);
  c.out += N - 1;
}

// A tag (markup.h): one fixed-size copy, short for
// all but the styled opening tags.
__attribute__((always_inline)) inline void put(Cursor& c, const Tag& tag) {
  if (tag.length <= 32) {
    std::memcpy(c.out, tag.text, 32);
  } else {
    std::memcpy(c.out, tag.text, Tag::kRoom);
  }
  c.out += tag.length;
}

__attribute__((always_inline)) inline void open_element(const Walk& w, Cursor& c, Element element) {
  put(c, w.open_tags[index_of(element)]);
}

__attribute__((always_inline)) inline void close_element(Cursor& c, Element element) { put(c, close_tag(element)); }

// Hands the cursor's output to out.length, or takes it back from there
// after a write that checks for room itself (making room again for the rest of
// the block).
void sync(OutputBuffer& out, const Cursor& c) { out.length = static_cast<std::size_t>(c.out - out.data); }
char* reload(OutputBuffer& out) {
  reserve_output(out, kBlockOutputBound);
  return out.data + out.length;
}

__attribute__((noinline)) char* copy_long(OutputBuffer& buffer, char* out, const unsigned char* from,
                                          std::size_t count) {
  buffer.length = static_cast<std::size_t>(out - buffer.data);
  write_bytes(buffer, reinterpret_cast<const char*>(from), count);
  return reload(buffer);
}

// Writes the window's bytes from copied up to [to] as they are. A piece of up
// to kShortCopy bytes, the common case, is copied in blocks of 32 bytes (the
// window and the buffer have room past their ends), which needs no call.
constexpr std::size_t kShortCopy = 512;
static_assert(kShortCopy + 64 * 600 + 32 <= kBlockOutputBound);
__attribute__((always_inline)) inline void copy_to(Walk& w, Cursor& c, const unsigned char* to) {
  const unsigned char* from = c.copied;
  c.copied = to;
  const auto count = static_cast<std::size_t>(to - from);
  if (count > kShortCopy) {
    c.out = copy_long(w.out, c.out, from, count);
    return;
  }
  char* const end = c.out + count;
  for (char* out = c.out;; out += 32, from += 32) {
    std::memcpy(out, from, 32);
    if (out + 32 >= end) break;
  }
  c.out = end;
}

// A few ASCII bytes, escaped: a raw literal's delimiter.
inline void copy_escaped(Walk& w, Cursor& c, const unsigned char* from, const unsigned char* to) {
  copy_to(w, c, from);
  for (const unsigned char* p = from; p < to; ++p) {
    switch (*p) {
      case '&': put(c, kAmp); break;
      case '<': put(c, kLt); break;
      case '>': put(c, kGt); break;
      default: *c.out++ = static_cast<char>(*p); break;
    }
  }
  c.copied = to;
}

// Columns, and the bytes written otherwise than as they are.


inline std::int64_t extras_before(const Walk& w, const Block& b, unsigned bit) {
  return w.machine.columns.extra_bytes + (b.extras != 0 ? count_bits(b.extras & bits_below(bit)) : 0);
}

// Moves column_origin to the start of the last line that begins below [bit].
inline void catch_up_lines(Walk& w, Block& b, unsigned bit) {
  const std::uint64_t feeds = b.line_feed & bits_below(bit) & ~bits_below(b.origin_from);
  if (feeds == 0) return;
  const unsigned last = highest_bit(feeds);
  w.machine.columns.origin = w.offset_of(b.bytes + last + 1) - extras_before(w, b, last + 1);
  b.origin_from = last + 1;
}

// [count] times "&nbsp;", ten at a time in fixed-size moves.
__attribute__((always_inline)) inline void put_nbsp(Cursor& c, std::int64_t count) {
  static_assert(sizeof kNbsp - 1 == 6);
  static constexpr char kTenNbsp[] = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
  for (;;) {
    std::memcpy(c.out, kTenNbsp, 60);
    if (count <= 10) break;
    c.out += 60;
    count -= 10;
  }
  c.out += 6 * count;
}

// Enough spaces for the widest tab.
constexpr char kSpaces[] =
    "                                                                                                    ";
static_assert(sizeof kSpaces - 1 >= 99);

// A run of tabs in the block: the first goes to the next tab stop, each other
// one a whole tab width on. Returns how many tabs it wrote.
__attribute__((always_inline)) inline unsigned write_tabs(Walk& w, Block& b, Cursor& c, unsigned bit) {
  const unsigned char* const p = b.bytes + bit;
  unsigned tabs = 1;
  while (bit + tabs < b.count && p[tabs] == '\t') ++tabs;  // a byte after a tab is no second byte
  copy_to(w, c, p);
  c.copied = p + tabs;
  catch_up_lines(w, b, bit);
  const std::int64_t extras = extras_before(w, b, bit);
  const std::int64_t column = w.offset_of(p) - extras - w.machine.columns.origin;
  const std::int64_t width = w.options.tab_width;
  // The common widths are powers of two, where a mask spares a division.
  const std::int64_t past_stop = (width & (width - 1)) == 0 ? column & (width - 1) : column % width;
  std::int64_t spaces = width - past_stop + width * (tabs - 1);
  w.machine.columns.origin = w.offset_of(p + tabs) - extras - (column + spaces);
  b.origin_from = bit + tabs;
  if (w.no_pre) {
    put_nbsp(c, spaces);
  } else {
    for (; spaces > 99; spaces -= 99) {
      std::memcpy(c.out, kSpaces, 99);
      c.out += 99;
    }
    std::memcpy(c.out, kSpaces, 99);
    c.out += spaces;
  }
  return tabs;
}

// A line feed that is written otherwise (with line numbers, or without <pre>):
// inside whatever element holds it, followed by the next line's number.
__attribute__((always_inline)) inline void write_line_feed(Walk& w, Cursor& c, const unsigned char* p) {
  copy_to(w, c, p);
  c.copied = p + 1;
  // One fixed-size move; a longer one for the styled line numbers of -s.
  static_assert(sizeof w.machine.lines.text >= kLongestLineFeedText);
  if (w.machine.lines.length <= 64) {
    std::memcpy(c.out, w.machine.lines.text, 64);
  } else {
    std::memcpy(c.out, w.machine.lines.text, kLongestLineFeedText);
  }
  c.out += w.machine.lines.length;
  advance_line_feed_text(w.machine.lines, w.options);
}

// A run of spaces without <pre>: returns how many it wrote.
__attribute__((always_inline)) inline unsigned write_spaces(Walk& w, const Block& b, Cursor& c, unsigned bit) {
  const unsigned char* const p = b.bytes + bit;
  copy_to(w, c, p);
  const std::uint64_t rest = ~(b.space >> bit);
  const unsigned count = rest == 0 ? 64 : lowest_bit(rest);
  put_nbsp(c, count);
  c.copied = p + count;
  return count;
}

// An event of b.output: returns how many bits it covered.
__attribute__((always_inline)) inline unsigned write_output_event(Walk& w, Block& b, Cursor& c, unsigned bit) {
  const unsigned char* const p = b.bytes + bit;
  switch (*p) {
    case '&': copy_to(w, c, p); put(c, kAmp); c.copied = p + 1; return 1;
    case '<': copy_to(w, c, p); put(c, kLt); c.copied = p + 1; return 1;
    case '>': copy_to(w, c, p); put(c, kGt); c.copied = p + 1; return 1;
    case '\t': return write_tabs(w, b, c, bit);
    case ' ': return write_spaces(w, b, c, bit);
    default: write_line_feed(w, c, p); return 1;
  }
}

}  // namespace
}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_WALK_WRITING_H_
