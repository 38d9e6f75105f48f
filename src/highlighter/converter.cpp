#include "highlighter/converter.h"

#include <cstring>

#include "highlighter/line_numbers.h"
#include "highlighter/markup.h"

namespace {

// Walks [bytes, bytes + limit), all of it when [at_end]; returns how many bytes
// it converted.
std::size_t walk_bytes(Converter& c, const unsigned char* bytes, std::size_t limit, bool at_end) {
  InputWindow input;
  input.bytes = bytes;
  input.limit = limit;
  input.offset = c.walked;
  input.at_end = at_end;
  c.walk(c.machine, input, c.out, c.options);
  c.walked += input.next;
  return input.next;
}

// Walks the held bytes and keeps those the walk left, at the front.
void walk_held(Converter& c, bool at_end) {
  const std::size_t done = walk_bytes(c, c.held_bytes, c.held, at_end);
  c.held -= done;
  std::memmove(c.held_bytes, c.held_bytes + done, c.held);
}

}  // namespace

void start_conversion(Converter& c, bool baseline_only) {
  c.walk = choose_walk(baseline_only);
  const Tags& open = open_tags(c.options.style);
  if (!c.options.no_pre) write_tag(c.out, open[index_of(Element::kPre)]);
  write_tag(c.out, open[index_of(Element::kCode)]);
  write_line_prefix(c.machine.lines, c.options, c.out);
  compose_line_feed_text(c.machine.lines, c.options);
}

void feed_conversion(Converter& c, const unsigned char* bytes, std::size_t count) {
  while (count > 0 && !c.out.failed) {
    if (c.held > 0 || count < kHeldRoom) {
      const std::size_t take = count < kHeldRoom - c.held ? count : kHeldRoom - c.held;
      std::memcpy(c.held_bytes + c.held, bytes, take);
      c.held += take;
      bytes += take;
      count -= take;
      if (c.held < kHeldRoom) return;  // all taken: wait for more
      walk_held(c, false);
      // The few bytes the walk left came from this piece: the next walk reads
      // them where they are.
      if (count > 0 && c.held <= take) {
        bytes -= c.held;
        count += c.held;
        c.held = 0;
      }
      continue;
    }
    // The bytes past the walk's limit are readable, as the walk needs.
    const std::size_t limit = count - kInputSlack < kLongestWalk ? count - kInputSlack : kLongestWalk;
    const std::size_t done = walk_bytes(c, bytes, limit, false);
    bytes += done;
    count -= done;
  }
}

void finish_conversion(Converter& c) {
  walk_held(c, true);
  close_open_element(c.machine.token, c.out);
  write_tag(c.out, close_tag(Element::kCode));
  if (!c.options.no_pre) write_tag(c.out, close_tag(Element::kPre));
}
