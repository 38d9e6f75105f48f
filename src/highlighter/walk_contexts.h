#ifndef COLORUNE_HIGHLIGHTER_WALK_CONTEXTS_H_
#define COLORUNE_HIGHLIGHTER_WALK_CONTEXTS_H_

// The walkers, one for each context: plain text, the rest of a word or number,
// literals, raw literals, comments and directives. Part of the state machine's
// body (state_machine_body.h).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "highlighter/char_class.h"
#include "highlighter/walk_state.h"
#include "highlighter/walk_words.h"
#include "highlighter/walk_writing.h"

inline namespace COLORUNE_ISA {
namespace {

// ---- The walkers: each walks the events of its context from [from] on and
// returns where the walk goes on: where the next context begins, or the block's
// end when the context goes on into the next block. Past the block's end are
// bytes after it that the walker has taken: ASCII bytes that need no escaping
// and hold no tab or line feed. A walk that must wait for the next window says
// so with stop_at.


// Plain text: words (a keyword is looked up where the word ends in the block;
// anything else is take_run's), quotes, "/" + "*" or "/", "#".
template <bool kModern>
__attribute__((always_inline)) inline const unsigned char* walk_plain_text(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  std::uint64_t events = (b.word_starts | b.stops | b.output) & bits_from(bit_of(b, from));
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    const unsigned char* const p = b.bytes + bit;
    if ((b.word_starts >> bit) & 1) {
      const unsigned length = run_length(b.word, bit);
      const unsigned end = bit + length;
      events &= events - 1;
      const bool digit = (b.digit >> bit) & 1;
      // The common case: a word that ends in this block and may be a keyword.
      if ((end < b.count) & (length <= kLongestKeyword) & !digit) {
        if (take_word(w, c, p, length, kModern, b.bytes + end)) return b.bytes + end;
        continue;
      }
      if (digit & (end < b.count) && take_number_in_block<kModern>(w, b, c, bit, end)) continue;
      const unsigned char* next;
      if (end < b.count) {
        next = take_closed_run(w, c, p, b.bytes + end);
      } else if (end == 64 && b.bytes + 64 < w.limit) {  // goes on in the next block
        w.run_start = p;
        w.context = Context::kWordRun;
        return block_end(b);
      } else {
        next = take_run(w, c, p, b.bytes + end);
      }
      if (w.context != Context::kPlainText || w.stop != nullptr || next >= b.bytes + 64) return next;
      events &= bits_from(bit_of(b, next));
      continue;
    }
    events &= events - 1;
    switch (*p) {
      case '"':
      case '\'':
        copy_to(w, c, p);
        open_element(w, c, Element::kString);
        w.machine.token.quote = *p;
        w.escaped_at = nullptr;
        w.context = Context::kLiteral;
        return p + 1;
      case '/':
        if (p + 1 == w.limit) {
          if (w.at_end) continue;
          return stop_at(w, p);  // a comment or not: the next window tells
        }
        if (p[1] == '*' || p[1] == '/') {
          copy_to(w, c, p);
          open_element(w, c, Element::kComment);
          w.body_start = p + 2;
          w.context = p[1] == '*' ? Context::kBlockComment : Context::kLineComment;
          return p + 2;
        }
        continue;  // a lone "/"
      case '#':
        copy_to(w, c, p);
        open_element(w, c, Element::kDirective);
        w.anchor = p + 1;
        w.anchor_backslash = false;
        w.context = Context::kDirective;
        return p + 1;
      case '$':
      case '%': continue;
      default: events &= bits_past(bit + write_output_event(w, b, c, bit)); continue;
    }
  }
  return block_end(b);
}

// A run that began in an earlier block.
__attribute__((always_inline)) inline const unsigned char* walk_word_run(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  const unsigned end = bit_of(b, from) + run_length(b.word, bit_of(b, from));
  if (end == 64 && b.bytes + 64 < w.limit) return block_end(b);
  w.context = Context::kPlainText;
  // (A stop may lie in an earlier block.)
  return end < b.count ? take_closed_run(w, c, w.run_start, b.bytes + end) : take_run(w, c, w.run_start, b.bytes + end);
}

// The rest of a word piece cut by the window: it takes up to piece_left more
// word characters; after that a run of its own begins.
__attribute__((always_inline)) inline const unsigned char* walk_word_piece(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  const unsigned start = bit_of(b, from);
  const unsigned end = start + run_length(b.word, start);
  const std::size_t left = w.machine.token.piece_left;
  if (end - start <= left) {
    // At the window's limit the next window tells; at the block's end, the next block.
    const bool goes_on = b.bytes + end == w.limit ? !w.at_end : end == 64;
    if (goes_on) {
      w.machine.token.piece_left = static_cast<std::uint16_t>(left - (end - start));
      return b.bytes + end;
    }
    w.context = Context::kPlainText;
    return b.bytes + end;
  }
  w.context = Context::kPlainText;
  const unsigned char* const cut = from + left;
  if (end == 64 && b.bytes + 64 < w.limit) {
    w.run_start = cut;
    w.context = Context::kWordRun;
    return block_end(b);
  }
  return take_run(w, c, cut, b.bytes + end);
}

__attribute__((always_inline)) inline const unsigned char* walk_number(Walk& w, Cursor& c, const unsigned char* from) {
  w.context = Context::kPlainText;
  return take_number(w, c, from, w.machine.token.number_last);
}

// The double quote of a raw literal, and its delimiter up to "(": anything else
// before the "(" makes it an ordinary literal from that character on.
__attribute__((always_inline)) inline const unsigned char* walk_raw_literal_start(Walk& w, Cursor& c, const unsigned char* from) {
  const unsigned char* const quote = from;
  const unsigned char* p = quote + 1;
  while (p < w.limit && static_cast<std::size_t>(p - quote) <= kLongestDelimiter && is_delimiter_char(*p)) ++p;
  w.machine.work += static_cast<std::uint64_t>(p - quote);
  if (p == w.limit && !w.at_end) {
    return stop_at(w, quote);  // the next window tells
  }
  copy_to(w, c, quote);
  open_element(w, c, Element::kString);
  copy_escaped(w, c, quote, p);
  if (p < w.limit && *p == '(') {
    w.machine.token.delimiter_length = static_cast<std::uint8_t>(p - quote - 1);
    std::memcpy(w.machine.token.delimiter, quote + 1, w.machine.token.delimiter_length);
    w.context = Context::kRawLiteral;
    return p + 1;
  }
  w.machine.token.quote = '"';
  w.escaped_at = nullptr;
  w.context = Context::kLiteral;
  return p;
}

__attribute__((always_inline)) inline const unsigned char* walk_literal(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  std::uint64_t events = syntax_bits(b, w.machine.token.quote == '"' ? kAskedQuote : kAskedApostrophe) |
                         syntax_bits(b, kAskedBackslash) | b.output;
  if (w.modern) events |= b.line_feed;
  events &= bits_from(bit_of(b, from));
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    const unsigned char* const p = b.bytes + bit;
    events &= events - 1;
    const unsigned char byte = *p;
    if (byte == w.machine.token.quote) {
      if (p == w.escaped_at) continue;
      copy_to(w, c, p + 1);
      close_element(c, Element::kString);
      w.context = Context::kPlainText;
      return p + 1;
    }
    if (byte == '\\') {
      if (p != w.escaped_at) w.escaped_at = p + 1;  // escapes exactly the next character
      continue;
    }
    if (byte == '\n' && w.modern && p != w.escaped_at) {
      // The literal ends with its line; the line feed is plain text's.
      copy_to(w, c, p);
      close_element(c, Element::kString);
      w.context = Context::kPlainText;
      return p;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return block_end(b);
}

__attribute__((always_inline)) inline const unsigned char* walk_raw_literal(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  std::uint64_t events = (syntax_bits(b, kAskedParen) | b.output) & bits_from(bit_of(b, from));
  const std::size_t closer = w.machine.token.delimiter_length + 1u;  // the delimiter, then a double quote
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    const unsigned char* const p = b.bytes + bit;
    events &= events - 1;
    if (*p != ')') {
      events &= bits_past(bit + write_output_event(w, b, c, bit));
      continue;
    }
    const auto in_window = static_cast<std::size_t>(w.limit - (p + 1));
    const std::size_t available = closer < in_window ? closer : in_window;
    std::size_t same = 0;
    while (same < available && p[1 + same] == (same + 1 < closer ? static_cast<unsigned char>(w.machine.token.delimiter[same]) : '"')) {
      ++same;
    }
    w.machine.work += same + 1;
    if (same < available) continue;
    if (available < closer) {
      if (w.at_end) continue;
      return stop_at(w, p);  // the next window tells
    }
    const unsigned char* const end = p + 1 + closer;
    copy_escaped(w, c, p, end);
    close_element(c, Element::kString);
    w.context = Context::kPlainText;
    return end;
  }
  return block_end(b);
}

__attribute__((always_inline)) inline const unsigned char* walk_block_comment(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  // A "*" of the opener is no "*" of the body: "/*/" does not close.
  const std::uint64_t body = w.body_start <= b.bytes ? ~std::uint64_t{0}
                             : w.body_start >= b.bytes + 64 ? 0
                                                            : ~bits_below(static_cast<unsigned>(w.body_start - b.bytes));
  const std::uint64_t stars = syntax_bits(b, kAskedStar) & body;
  const std::uint64_t closers = syntax_bits(b, kAskedSlash) & ((stars << 1) | (w.machine.token.after_star ? 1 : 0));
  std::uint64_t events = (closers | b.output) & bits_from(bit_of(b, from));
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    events &= events - 1;
    if ((closers >> bit) & 1) {
      const unsigned char* const p = b.bytes + bit;
      copy_to(w, c, p + 1);
      close_element(c, Element::kComment);
      if (w.context == Context::kDirectiveBlockComment) {
        w.anchor = p + 1;
        w.anchor_backslash = w.machine.token.saved_backslash;
        w.context = Context::kDirective;
      } else {
        w.context = Context::kPlainText;
      }
      return p + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return block_end(b);
}

__attribute__((always_inline)) inline const unsigned char* walk_line_comment(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  const std::uint64_t backslashes = syntax_bits(b, kAskedBackslash);
  // A backslash right before the line feed continues the comment.
  const std::uint64_t ends = b.line_feed & ~((backslashes << 1) | (w.machine.token.after_backslash ? 1 : 0));
  std::uint64_t events = (ends | b.output) & bits_from(bit_of(b, from));
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    events &= events - 1;
    if ((ends >> bit) & 1) {
      // The line feed, and the next line's number, are inside the element.
      const unsigned char* const p = b.bytes + bit;
      if ((b.output >> bit) & 1) {
        write_line_feed(w, c, p);
      } else {
        copy_to(w, c, p + 1);
      }
      close_element(c, Element::kComment);
      if (w.context == Context::kDirectiveLineComment) close_element(c, Element::kDirective);
      w.context = Context::kPlainText;
      return p + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return block_end(b);
}

// Whether the last character of the directive's own text before [p] (neither
// inside a comment nor a "/") is a backslash: then a line feed at p continues it.
bool directive_backslash_before(const Walk& w, const Block& b, const unsigned char* p) {
  for (const unsigned char* q = p; q > w.anchor;) {
    --q;
    if ((b.seconds >> (q - b.bytes)) & 1) return false;  // the second byte of a pair
    if (*q != '/') return *q == '\\';
  }
  return w.anchor_backslash;
}

__attribute__((always_inline)) inline const unsigned char* walk_directive(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  std::uint64_t events =
      (syntax_bits(b, kAskedSlash) | b.line_feed | b.output) & bits_from(bit_of(b, from));
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    const unsigned char* const p = b.bytes + bit;
    events &= events - 1;
    if (*p == '/') {
      if (p + 1 == w.limit) {
        if (w.at_end) continue;
        return stop_at(w, p);  // a comment or not: the next window tells
      }
      if (p[1] == '*' || p[1] == '/') {
        if (p[1] == '*') w.machine.token.saved_backslash = directive_backslash_before(w, b, p);
        copy_to(w, c, p);
        open_element(w, c, Element::kComment);
        w.body_start = p + 2;
        w.context = p[1] == '*' ? Context::kDirectiveBlockComment : Context::kDirectiveLineComment;
        return p + 2;
      }
      continue;  // a lone "/"
    }
    if (*p == '\n') {
      const bool goes_on = directive_backslash_before(w, b, p);
      if ((b.output >> bit) & 1) {
        write_line_feed(w, c, p);
      }
      if (goes_on) continue;
      copy_to(w, c, p + 1);
      close_element(c, Element::kDirective);
      w.context = Context::kPlainText;
      return p + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return block_end(b);
}


__attribute__((always_inline)) inline const unsigned char* walk_context(Walk& w, Block& b, Cursor& c, const unsigned char* from) {
  switch (w.context) {
    case Context::kPlainText: break;  // the caller's own
    case Context::kWordRun: return walk_word_run(w, b, c, from);
    case Context::kWordPiece: return walk_word_piece(w, b, c, from);
    case Context::kNumber: return walk_number(w, c, from);
    case Context::kRawLiteralStart: return walk_raw_literal_start(w, c, from);
    case Context::kLiteral: return walk_literal(w, b, c, from);
    case Context::kRawLiteral: return walk_raw_literal(w, b, c, from);
    case Context::kBlockComment:
    case Context::kDirectiveBlockComment: return walk_block_comment(w, b, c, from);
    case Context::kLineComment:
    case Context::kDirectiveLineComment: return walk_line_comment(w, b, c, from);
    case Context::kDirective: return walk_directive(w, b, c, from);
  }
  return block_end(b);
}

}  // namespace
}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_WALK_CONTEXTS_H_
