#ifndef COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_
#define COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_

// The body of the state machine, built once for each instruction set the
// program is made for (state_machine.cpp, state_machine_avx2.cpp; see isa.h).
// No std::min and the like here: the linker could keep this variant's build of
// such a template for all of them.
//
// Per block of 64 bytes: classify (masks of word characters, line feeds, the
// bytes plain text must see, the bytes written otherwise than as they are),
// find the second bytes of pairs (no syntax there) or the UTF-8 sequences, then
// hand the block to the walker of the current context, which visits the events
// of its context in order and returns the bit where the next context begins:
//
//   plain text     word runs (keywords, the modern reading's numbers and raw
//                  literal prefixes), quotes, "/" + "*" or "/", "#"
//   literal        its quote, a backslash (escapes one character), and in the
//                  modern reading a line feed (ends it, outside the element)
//   raw literal    ")" followed by its delimiter and a double quote
//   block comment  "/" right after a "*" of the body
//   line comment   a line feed that no backslash comes right before
//   directive      "/" (a comment inside it), a line feed whose last character
//                  of the directive's own text before it is no backslash
//
// and in every context the bytes written otherwise: "&", "<", ">" (also as
// second bytes), tabs, and as the options ask, spaces and line feeds. Bytes
// between events are copied in one piece.

#include <cstdint>
#include <cstring>

#include "highlighter/block_classifier.h"
#include "highlighter/char_class.h"
#include "highlighter/input_window.h"
#include "highlighter/line_numbers.h"
#include "highlighter/machine_state.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"
#include "highlighter/isa.h"
#include "highlighter/keywords.h"
#include "highlighter/markup.h"

inline namespace COLORUNE_ISA {
namespace {

constexpr std::uint64_t bits_below(unsigned n) { return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1; }
// The bits from [n] on, for n from 0 to 63.
constexpr std::uint64_t bits_from(unsigned n) { return ~std::uint64_t{0} << n; }
// The bits past [n], for n from 1 to 64: no branch for 64.
constexpr std::uint64_t bits_past(unsigned n) { return ~std::uint64_t{1} << (n - 1); }
inline unsigned lowest_bit(std::uint64_t x) { return static_cast<unsigned>(__builtin_ctzll(x)); }
inline unsigned highest_bit(std::uint64_t x) { return 63u - static_cast<unsigned>(__builtin_clzll(x)); }

// How many word characters run from [bit] on in the block: to its end when
// they fill it (where the count of trailing zeros of 0 would be undefined).
inline unsigned run_length(std::uint64_t word, unsigned bit) {
  const std::uint64_t after = ~(word >> bit);
  return after == 0 ? 64 : static_cast<unsigned>(__builtin_ctzll(after));
}

/// A longer run of word characters is cut into pieces of this length, each
/// looked up and written as a word of its own.
constexpr std::size_t kLongestWordPiece = 255;
/// A raw literal's delimiter has at most this many characters.
constexpr std::size_t kLongestDelimiter = 16;

constexpr bool is_delimiter_char(unsigned char c) { return c >= 0x21 && c <= 0x7E && c != '(' && c != ')' && c != '\\'; }
constexpr bool is_exponent(unsigned char c) { return c == 'e' || c == 'E' || c == 'p' || c == 'P'; }

// The words that, right before a double quote, open a raw literal.
bool is_raw_prefix(const unsigned char* word, std::size_t length) {
  switch (length) {
    case 1: return word[0] == 'R';
    case 2: return (word[0] == 'L' || word[0] == 'u' || word[0] == 'U') && word[1] == 'R';
    case 3: return word[0] == 'u' && word[1] == '8' && word[2] == 'R';
    default: return false;
  }
}

// One block of the window and its classes. Every mask but seconds is limited to
// the bytes to walk, and but for output and plain, to syntax (no second bytes).
struct Block {
  const unsigned char* bytes;
  unsigned count;             // bytes to walk: 1 to 64
  std::uint64_t valid;        // bits_below(count)
  std::uint64_t seconds;      // second bytes of pairs (the default reading)
  std::uint64_t carry_out;    // the byte after the block is a second byte
  std::uint64_t utf8_spill;   // the bytes after the block that continue a UTF-8 sequence
  std::uint64_t extras;       // bytes that take no column of their own
  std::uint64_t word;         // word characters
  std::uint64_t digit;
  std::uint64_t word_starts;  // the first byte of each run of them
  std::uint64_t line_feed;
  std::uint64_t space;        // without <pre>
  std::uint64_t output;       // bytes written otherwise than as they are
  std::uint64_t stops;        // bytes that may end plain text: quotes, "/", "#" (and "$", "%")
  unsigned origin_from;       // column_origin accounts for the line feeds below this bit

  // The syntax bytes equal to one of a few values that only some contexts look
  // for, made when a context first asks in this block (see syntax_bits).
  std::uint64_t asked[6];
  unsigned asked_made;
};

// The few bytes syntax_bits is asked for.
enum Asked : unsigned { kAskedQuote, kAskedApostrophe, kAskedBackslash, kAskedStar, kAskedSlash, kAskedParen };
constexpr unsigned char kAskedByte[] = {'"', '\'', '\\', '*', '/', ')'};

// The syntax bytes of the block equal to kAskedByte[asked]: made once per block.
inline std::uint64_t syntax_bits(Block& b, Asked asked) {
  if ((b.asked_made >> asked) & 1) return b.asked[asked];
  b.asked_made |= 1u << asked;
  return b.asked[asked] = byte_bits(b.bytes, kAskedByte[asked]) & ~b.seconds & b.valid;
}

// Where the output stands: the next byte to write, and the first input byte
// not yet written. A local of the walk, handed only to functions that are
// inlined, so that it stays in registers: in memory (out.length, or a
// record whose address a call was given) any byte written through a char
// pointer could change it as far as the compiler knows, and it would be loaded
// and stored again around every write.
struct Cursor {
  char* out;
  const unsigned char* copied;
};

// Everything else the walk of one window keeps at hand.
struct Walk {
  MachineState& machine;
  OutputBuffer& out;
  const Options& options;
  const unsigned char* const window;
  const unsigned char* const limit;
  const std::uint64_t window_offset;  // where window[0] stands in the input
  const bool at_end;  // no input after the window
  const bool modern;
  const bool no_pre;
  const bool line_numbers;
  const Tags& open_tags;  // the run's opening tags (markup.h)
  Context context;  // machine.token.context while the window is walked
  const unsigned char* stop = nullptr;       // where the walk ended short of the limit
  bool fresh_run = false;                    // the window's last byte ended a run: the next starts one
  const unsigned char* run_start = nullptr;  // kWordRun
  const unsigned char* escaped_at = nullptr; // kLiteral: the byte a backslash escapes
  const unsigned char* body_start = nullptr; // block comments: the first byte after "/*"
  const unsigned char* anchor = nullptr;     // directives: where their own text goes on
  bool anchor_backslash = false;             // ... and whether a backslash came last before it

  std::int64_t offset_of(const unsigned char* p) const {
    return static_cast<std::int64_t>(window_offset) + (p - window);
  }
};

// ---- Writing ----------------------------------------------------------------

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

// ---- Columns and the bytes written otherwise ---------------------------------

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

// ---- Words and numbers -------------------------------------------------------

// A keyword of [length] letters at [word], in its element.
__attribute__((always_inline)) inline void write_keyword(Walk& w, Cursor& c, const unsigned char* word,
                                                         std::size_t length) {
  copy_to(w, c, word);
  open_element(w, c, Element::kKeyword);
  std::memcpy(c.out, word, kLongestKeyword);  // a word of the window, which has room past it
  c.out += length;
  close_element(c, Element::kKeyword);
  c.copied = word + length;
}

// A word of [length] bytes at [word] that may be a keyword, and [after] the
// byte after it (nullptr when that is not in the window yet): a keyword is
// written as one. Returns true when, in the modern reading, the word is the
// prefix of a raw literal that [after] opens; the raw literal then begins there.
__attribute__((always_inline)) inline bool take_word(Walk& w, Cursor& c, const unsigned char* word, std::size_t length,
                                                    bool modern, const unsigned char* after) {
  if (is_keyword_in_window(word, length, modern)) {
    write_keyword(w, c, word, length);
    return false;
  }
  if (modern && after != nullptr && *after == '"' && is_raw_prefix(word, length)) {
    w.context = Context::kRawLiteralStart;
    return true;
  }
  return false;
}

// The modern reading's number, from [p] on, where [last] is the byte before p
// and everything before belongs to the number: it takes word characters, ".",
// an apostrophe unless one came just before, and a sign right after an exponent
// letter. Returns where it ends; at the window's limit, kNumber carries it on.
__attribute__((always_inline)) inline const unsigned char* take_number(Walk& w, const unsigned char* p, unsigned char last) {
  const unsigned char* const start = p;
  for (;; ++p) {
    if (p == w.limit) {
      if (!w.at_end) {
        w.context = Context::kNumber;
        w.machine.token.number_last = last;
      }
      break;
    }
    const unsigned char byte = *p;
    const bool takes = is_word_char(byte) || byte == '.' || (byte == '\'' && last != '\'') ||
                       ((byte == '+' || byte == '-') && is_exponent(last));
    if (!takes) break;
    last = byte;
  }
  w.machine.work += static_cast<std::uint64_t>(p - start);
  return p;
}

// A run of word characters [first, end) in plain text, where end is the first
// byte after it or the window's limit. Writes its keywords and returns where
// plain text goes on; a run that ends in something else (a number that goes
// on, a raw literal, a piece cut by the window) sets the context, or stops the
// walk before a piece that may still grow into a keyword.
__attribute__((always_inline)) inline const unsigned char* take_run(Walk& w, Cursor& c, const unsigned char* first,
                                                                   const unsigned char* end) {
  const bool open_end = end == w.limit && !w.at_end;
  const unsigned char* piece = first;
  for (;;) {
    if (is_ascii_digit(*piece)) {
      if (w.modern) return take_number(w, end, end[-1]);  // the rest of the run is the number's
      // Digits never start a word: they are written plain, and a word starts
      // after them.
      const unsigned char* p = piece;
      while (p < end && is_ascii_digit(*p)) ++p;
      w.machine.work += static_cast<std::uint64_t>(p - piece);
      if (p == end) {
        w.fresh_run = open_end;
        return end;
      }
      piece = p;
    }
    const auto rest = static_cast<std::size_t>(end - piece);
    const std::size_t length = rest < kLongestWordPiece ? rest : kLongestWordPiece;
    const unsigned char* const piece_end = piece + length;
    if (piece_end == end && open_end) {
      if (length <= kLongestKeyword) {
        w.stop = piece;  // may yet be a keyword: read again with the next window
        return piece;
      }
      w.context = Context::kWordPiece;
      w.machine.token.piece_left = static_cast<std::uint16_t>(kLongestWordPiece - length);
      return end;
    }
    const bool last = piece_end == end;
    if (take_word(w, c, piece, length, w.modern, last && end < w.limit ? end : nullptr) || last) return end;
    piece = piece_end;  // cut: the rest is a run of its own
  }
}

// A run of word characters [first, end) that ends inside the window, before a
// byte that is no word character: most often a word that may be a keyword,
// which is looked up here; anything else is take_run's.
__attribute__((always_inline)) inline const unsigned char* take_closed_run(Walk& w, Cursor& c, const unsigned char* first,
                                                                          const unsigned char* end) {
  const auto length = static_cast<std::size_t>(end - first);
  if (length > kLongestKeyword || is_ascii_digit(*first)) return take_run(w, c, first, end);
  take_word(w, c, first, length, w.modern, end);
  return end;
}

// ---- The walkers: each walks the events of its context from bit [from] on and
// returns the bit where the next context begins (the block's end, when it goes
// on). A bit past 64 means bytes after the block that the walker has taken:
// ASCII bytes that need no escaping and hold no tab or line feed.

// The low [n] bits, for n from 1 to 64.
constexpr std::uint64_t low_bits(unsigned n) { return ~std::uint64_t{0} >> (64 - n); }

// Plain text: words (a keyword is looked up where the word ends in the block;
// anything else is take_run's), quotes, "/" + "*" or "/", "#".
template <bool kModern>
__attribute__((always_inline)) inline unsigned walk_plain_text(Walk& w, Block& b, Cursor& c, unsigned from) {
  std::uint64_t events = (b.word_starts | b.stops | b.output) & bits_from(from);
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
        if (take_word(w, c, p, length, kModern, b.bytes + end)) return end;
        continue;
      }
      // A number that ends in this block: plain text, with nothing to write.
      if (digit & (end < b.count)) {
        const unsigned char after = b.bytes[end];
        const bool plain_number = kModern ? after != '.' && after != '\'' && after != '+' && after != '-'
                                          : ((~b.digit >> bit) & low_bits(length)) == 0;
        if (plain_number) continue;
      }
      const unsigned char* next;
      if (end < b.count) {
        next = take_closed_run(w, c, p, b.bytes + end);
      } else if (end == 64 && b.bytes + 64 < w.limit) {  // goes on in the next block
        w.run_start = p;
        w.context = Context::kWordRun;
        return 64;
      } else {
        next = take_run(w, c, p, b.bytes + end);
      }
      const auto next_bit = static_cast<unsigned>(next - b.bytes);
      if (w.context != Context::kPlainText || w.stop != nullptr || next_bit >= 64) return next_bit;
      events &= bits_from(next_bit);
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
        return bit + 1;
      case '/':
        if (p + 1 == w.limit) {
          if (w.at_end) continue;
          w.stop = p;  // a comment or not: the next window tells
          return bit;
        }
        if (p[1] == '*' || p[1] == '/') {
          copy_to(w, c, p);
          open_element(w, c, Element::kComment);
          w.body_start = p + 2;
          w.context = p[1] == '*' ? Context::kBlockComment : Context::kLineComment;
          return bit + 2;
        }
        continue;  // a lone "/"
      case '#':
        copy_to(w, c, p);
        open_element(w, c, Element::kDirective);
        w.anchor = p + 1;
        w.anchor_backslash = false;
        w.context = Context::kDirective;
        return bit + 1;
      case '$':
      case '%': continue;
      default: events &= bits_past(bit + write_output_event(w, b, c, bit)); continue;
    }
  }
  return 64;
}

// A run that began in an earlier block.
__attribute__((always_inline)) inline unsigned walk_word_run(Walk& w, Block& b, Cursor& c, unsigned from) {
  const unsigned end = from + run_length(b.word, from);
  if (end == 64 && b.bytes + 64 < w.limit) return 64;
  w.context = Context::kPlainText;
  const unsigned char* const next =
      end < b.count ? take_closed_run(w, c, w.run_start, b.bytes + end) : take_run(w, c, w.run_start, b.bytes + end);
  return w.stop != nullptr ? 0 : static_cast<unsigned>(next - b.bytes);  // a stop may lie in an earlier block
}

// The rest of a word piece cut by the window: it takes up to piece_left more
// word characters; after that a run of its own begins.
__attribute__((always_inline)) inline unsigned walk_word_piece(Walk& w, Block& b, Cursor& c, unsigned from) {
  const unsigned end = from + run_length(b.word, from);
  const std::size_t left = w.machine.token.piece_left;
  if (end - from <= left) {
    // At the window's limit the next window tells; at the block's end, the next block.
    const bool goes_on = b.bytes + end == w.limit ? !w.at_end : end == 64;
    if (goes_on) {
      w.machine.token.piece_left = static_cast<std::uint16_t>(left - (end - from));
      return end;
    }
    w.context = Context::kPlainText;
    return end;
  }
  w.context = Context::kPlainText;
  const unsigned char* const cut = b.bytes + from + left;
  if (end == 64 && b.bytes + 64 < w.limit) {
    w.run_start = cut;
    w.context = Context::kWordRun;
    return 64;
  }
  return static_cast<unsigned>(take_run(w, c, cut, b.bytes + end) - b.bytes);
}

__attribute__((always_inline)) inline unsigned walk_number(Walk& w, Block& b, unsigned from) {
  w.context = Context::kPlainText;
  return static_cast<unsigned>(take_number(w, b.bytes + from, w.machine.token.number_last) - b.bytes);
}

// The double quote of a raw literal, and its delimiter up to "(": anything else
// before the "(" makes it an ordinary literal from that character on.
__attribute__((always_inline)) inline unsigned walk_raw_literal_start(Walk& w, Block& b, Cursor& c, unsigned from) {
  const unsigned char* const quote = b.bytes + from;
  const unsigned char* p = quote + 1;
  while (p < w.limit && static_cast<std::size_t>(p - quote) <= kLongestDelimiter && is_delimiter_char(*p)) ++p;
  w.machine.work += static_cast<std::uint64_t>(p - quote);
  if (p == w.limit && !w.at_end) {
    w.stop = quote;  // the next window tells
    return from;
  }
  copy_to(w, c, quote);
  open_element(w, c, Element::kString);
  copy_escaped(w, c, quote, p);
  if (p < w.limit && *p == '(') {
    w.machine.token.delimiter_length = static_cast<std::uint8_t>(p - quote - 1);
    std::memcpy(w.machine.token.delimiter, quote + 1, w.machine.token.delimiter_length);
    w.context = Context::kRawLiteral;
    return static_cast<unsigned>(p + 1 - b.bytes);
  }
  w.machine.token.quote = '"';
  w.escaped_at = nullptr;
  w.context = Context::kLiteral;
  return static_cast<unsigned>(p - b.bytes);
}

__attribute__((always_inline)) inline unsigned walk_literal(Walk& w, Block& b, Cursor& c, unsigned from) {
  std::uint64_t events = syntax_bits(b, w.machine.token.quote == '"' ? kAskedQuote : kAskedApostrophe) |
                         syntax_bits(b, kAskedBackslash) | b.output;
  if (w.modern) events |= b.line_feed;
  events &= bits_from(from);
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
      return bit + 1;
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
      return bit;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return 64;
}

__attribute__((always_inline)) inline unsigned walk_raw_literal(Walk& w, Block& b, Cursor& c, unsigned from) {
  std::uint64_t events = (syntax_bits(b, kAskedParen) | b.output) & bits_from(from);
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
      w.stop = p;  // the next window tells
      return bit;
    }
    const unsigned char* const end = p + 1 + closer;
    copy_escaped(w, c, p, end);
    close_element(c, Element::kString);
    w.context = Context::kPlainText;
    return static_cast<unsigned>(end - b.bytes);
  }
  return 64;
}

__attribute__((always_inline)) inline unsigned walk_block_comment(Walk& w, Block& b, Cursor& c, unsigned from) {
  // A "*" of the opener is no "*" of the body: "/*/" does not close.
  const std::uint64_t body = w.body_start <= b.bytes ? ~std::uint64_t{0}
                             : w.body_start >= b.bytes + 64 ? 0
                                                            : ~bits_below(static_cast<unsigned>(w.body_start - b.bytes));
  const std::uint64_t stars = syntax_bits(b, kAskedStar) & body;
  const std::uint64_t closers = syntax_bits(b, kAskedSlash) & ((stars << 1) | (w.machine.token.after_star ? 1 : 0));
  std::uint64_t events = (closers | b.output) & bits_from(from);
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
      return bit + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return 64;
}

__attribute__((always_inline)) inline unsigned walk_line_comment(Walk& w, Block& b, Cursor& c, unsigned from) {
  const std::uint64_t backslashes = syntax_bits(b, kAskedBackslash);
  // A backslash right before the line feed continues the comment.
  const std::uint64_t ends = b.line_feed & ~((backslashes << 1) | (w.machine.token.after_backslash ? 1 : 0));
  std::uint64_t events = (ends | b.output) & bits_from(from);
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
      return bit + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return 64;
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

__attribute__((always_inline)) inline unsigned walk_directive(Walk& w, Block& b, Cursor& c, unsigned from) {
  std::uint64_t events =
      (syntax_bits(b, kAskedSlash) | b.line_feed | b.output) & bits_from(from);
  while (events != 0) {
    const unsigned bit = lowest_bit(events);
    const unsigned char* const p = b.bytes + bit;
    events &= events - 1;
    if (*p == '/') {
      if (p + 1 == w.limit) {
        if (w.at_end) continue;
        w.stop = p;  // a comment or not: the next window tells
        return bit;
      }
      if (p[1] == '*' || p[1] == '/') {
        if (p[1] == '*') w.machine.token.saved_backslash = directive_backslash_before(w, b, p);
        copy_to(w, c, p);
        open_element(w, c, Element::kComment);
        w.body_start = p + 2;
        w.context = p[1] == '*' ? Context::kDirectiveBlockComment : Context::kDirectiveLineComment;
        return bit + 2;
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
      return bit + 1;
    }
    events &= bits_past(bit + write_output_event(w, b, c, bit));
  }
  return 64;
}

// ---- Blocks -----------------------------------------------------------------

// The masks of a block from its classes, for the bytes in [syntax] (no second
// bytes), with [escapes] written otherwise too.
__attribute__((always_inline)) inline void take_classes(Block& b, const BlockClasses& c, std::uint64_t syntax,
                                                        std::uint64_t escapes, std::uint64_t word_carry) {
  b.word = c.word & syntax;
  b.word_starts = b.word & ~((b.word << 1) | word_carry);
  b.line_feed = c.line_feed & syntax;
  b.space = c.space & syntax;
  b.digit = c.digit & syntax;
  b.output = (c.special & syntax) | escapes;
  b.stops = c.sparse & ~c.special & syntax;
}

// Reading UTF-8: the continuation bytes of the block's well-formed sequences go
// into b.extras; a sequence the window's limit cuts short ends the walk before
// it, unless the input ends there. Returns the bit to walk to.
unsigned find_utf8_sequences(Walk& w, Block& b, std::uint64_t high) {
  std::uint64_t continuation = w.machine.carry.utf8 & b.valid;
  std::uint64_t spill = 0;
  std::uint64_t leads = high & b.valid & ~continuation;
  while (leads != 0) {
    const unsigned bit = lowest_bit(leads);
    leads &= leads - 1;
    const unsigned char* const p = b.bytes + bit;
    // How many bytes follow the lead byte, and the range of the first of them,
    // which rules out overlong forms, surrogates and code points past U+10FFFF.
    const unsigned char first = *p;
    unsigned following = 0;
    unsigned char low = 0x80;
    unsigned char high_end = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
      following = 1;
    } else if (first >= 0xE0 && first <= 0xEF) {
      following = 2;
      if (first == 0xE0) low = 0xA0;
      if (first == 0xED) high_end = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
      following = 3;
      if (first == 0xF0) low = 0x90;
      if (first == 0xF4) high_end = 0x8F;
    }
    w.machine.work += following + 1;
    bool whole = following > 0;
    for (unsigned i = 1; i <= following && whole; ++i) {
      if (p + i == w.limit) {
        if (!w.at_end) {  // cut by the window: the next one tells
          b.extras = continuation;
          return bit;
        }
        whole = false;
        break;
      }
      const unsigned char c = p[i];
      whole = i == 1 ? (c >= low && c <= high_end) : (c >= 0x80 && c <= 0xBF);
    }
    if (!whole) continue;
    const std::uint64_t run = (std::uint64_t{1} << following) - 1;
    if (bit + 1 < 64) continuation |= run << (bit + 1);
    if (bit + 1 + following > 64) spill = run >> (64 - (bit + 1));
    leads &= ~continuation;
  }
  b.extras = continuation;
  b.utf8_spill = spill;
  return b.count;
}

// The classes of a block that holds a byte above 0x7F, or follows one that
// does: the pairs (or UTF-8 sequences) change what is syntax.
__attribute__((noinline)) void classify_wide_characters(Walk& w, Block& b, const BlockClasses& c) {
  MachineState& machine = w.machine;
  const std::uint64_t high = c.high & b.valid;
  std::uint64_t seconds = 0;
  if (w.options.utf8) {
    const unsigned walk_to = find_utf8_sequences(w, b, high);
    if (walk_to < b.count) {
      w.stop = b.bytes + walk_to;
      b.count = walk_to;
      b.valid = bits_below(walk_to);
    }
  } else {
    std::uint64_t carry = machine.carry.second;
    seconds = second_bytes(high, carry);
    b.carry_out = carry;
    b.extras = seconds & b.valid;
  }
  b.seconds = seconds;
  // A second byte "<", ">" or "&" (which Shift_JIS never has) comes from text in
  // another encoding, and is escaped lest it open a tag in the page.
  const std::uint64_t escapes =
      seconds == 0 ? 0 : (byte_bits(b.bytes, '&') | byte_bits(b.bytes, '<') | byte_bits(b.bytes, '>')) & seconds & b.valid;
  take_classes(b, c, ~seconds & b.valid, escapes, machine.carry.word);
}

// Classifies the block at [bytes], of which [count] bytes are in the window.
__attribute__((always_inline)) inline void classify(Walk& w, Block& b, const unsigned char* bytes, unsigned count) {
  MachineState& machine = w.machine;
  BlockClasses c;
  if (w.no_pre) {
    classify_block<true, true>(bytes, c);  // without <pre>, line feeds are written otherwise too
  } else if (w.line_numbers) {
    classify_block<false, true>(bytes, c);
  } else {
    classify_block<false, false>(bytes, c);
  }
  machine.work += 64;
  b.bytes = bytes;
  b.count = count;
  b.valid = bits_below(count);
  b.origin_from = 0;
  b.asked_made = 0;
  b.seconds = 0;
  b.carry_out = 0;
  b.utf8_spill = 0;
  b.extras = 0;
  if (((c.high & b.valid) | machine.carry.second | machine.carry.utf8) != 0) {
    classify_wide_characters(w, b, c);
    return;
  }
  take_classes(b, c, b.valid, 0, machine.carry.word);
}

// Settles the block, walked up to [at], and hands on what the next block needs.
void end_block(Walk& w, Block& b, const unsigned char* at) {
  MachineState& machine = w.machine;
  // A walk may stop before the block, on a piece of a word that began earlier.
  const std::ptrdiff_t distance = at - b.bytes;
  const unsigned walked = distance <= 0 ? 0u : distance >= 64 ? 64u : static_cast<unsigned>(distance);
  catch_up_lines(w, b, walked);
  if (b.extras != 0) machine.columns.extra_bytes += count_bits(b.extras & bits_below(walked));
  if (walked == 0) return;
  bool last_is_syntax = true;
  if (at > b.bytes + 64) {  // ASCII bytes taken past the block
    machine.carry.second = 0;
    machine.carry.utf8 = 0;
    machine.carry.word = is_word_char(at[-1]) ? 1 : 0;
  } else {
    machine.carry.second = walked == 64 ? b.carry_out : (b.seconds >> walked) & 1;
    machine.carry.utf8 = walked == 64 ? b.utf8_spill : 0;
    machine.carry.word = (b.word >> (walked - 1)) & 1;
    last_is_syntax = ((b.seconds >> (walked - 1)) & 1) == 0;
  }
  const unsigned char last = at[-1];
  switch (w.context) {
    case Context::kBlockComment:
    case Context::kDirectiveBlockComment:
      machine.token.after_star = last == '*' && last_is_syntax && at - 1 >= w.body_start;
      break;
    case Context::kLineComment:
    case Context::kDirectiveLineComment: machine.token.after_backslash = last == '\\' && last_is_syntax; break;
    case Context::kDirective:
      w.anchor_backslash = directive_backslash_before(w, b, at);
      w.anchor = at;
      break;
    default: break;
  }
}

__attribute__((always_inline)) inline unsigned walk_context(Walk& w, Block& b, Cursor& c, unsigned from) {
  switch (w.context) {
    case Context::kPlainText: break;  // the caller's own
    case Context::kWordRun: return walk_word_run(w, b, c, from);
    case Context::kWordPiece: return walk_word_piece(w, b, c, from);
    case Context::kNumber: return walk_number(w, b, from);
    case Context::kRawLiteralStart: return walk_raw_literal_start(w, b, c, from);
    case Context::kLiteral: return walk_literal(w, b, c, from);
    case Context::kRawLiteral: return walk_raw_literal(w, b, c, from);
    case Context::kBlockComment:
    case Context::kDirectiveBlockComment: return walk_block_comment(w, b, c, from);
    case Context::kLineComment:
    case Context::kDirectiveLineComment: return walk_line_comment(w, b, c, from);
    case Context::kDirective: return walk_directive(w, b, c, from);
  }
  return 64;
}

}  // namespace

/// walk_window for the instruction set this variant is built for.
void walk_window_variant(MachineState& machine, InputWindow& input, OutputBuffer& out, const Options& options) {
  Walk w{.machine = machine,
         .out = out,
         .options = options,
         .window = input.bytes,
         .limit = input.bytes + input.limit,
         .window_offset = input.offset,
         .at_end = input.at_end,
         .modern = options.modern,
         .no_pre = options.no_pre,
         .line_numbers = options.line_numbers,
         .open_tags = open_tags(options.style),
         .context = machine.token.context};
  Cursor c{out.data + out.length, input.bytes + input.next};
  const unsigned char* p = c.copied;
  // What the last window handed on, as pointers into this one.
  w.escaped_at = machine.token.escaped ? p : nullptr;
  w.body_start = p;
  w.anchor = p;
  w.anchor_backslash = machine.token.directive_backslash;

  while (p < w.limit) {
    if (c.out > out.data + out.capacity) {  // room for one block's writes
      sync(out, c);
      out.drain(out);
      c.out = out.data + out.length;
    }
    Block b;
    classify(w, b, p, w.limit - p >= 64 ? 64u : static_cast<unsigned>(w.limit - p));
    const unsigned char* const block_stop = w.stop;  // a UTF-8 sequence cut by the window
    w.stop = nullptr;
    unsigned bit = 0;
    do {
      if (w.context != Context::kPlainText) {
        bit = walk_context(w, b, c, bit);
      } else if (w.modern) {
        bit = walk_plain_text<true>(w, b, c, bit);
      } else {
        bit = walk_plain_text<false>(w, b, c, bit);
      }
    } while (bit < b.count && w.stop == nullptr);
    if (w.stop == nullptr) w.stop = block_stop;
    const unsigned char* const at = w.stop != nullptr ? w.stop : bit > 64 ? b.bytes + bit : b.bytes + b.count;
    end_block(w, b, at);
    if (w.stop != nullptr) break;
    p = at;
  }

  const unsigned char* const end = w.stop != nullptr ? w.stop : w.limit;
  copy_to(w, c, end);
  sync(out, c);
  input.next = static_cast<std::size_t>(end - input.bytes);
  machine.token.context = w.context;
  machine.token.escaped = w.escaped_at == end;
  machine.token.directive_backslash = w.anchor_backslash;
  if (w.stop != nullptr || w.fresh_run) machine.carry.word = 0;
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_
