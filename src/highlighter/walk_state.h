#ifndef COLORUNE_HIGHLIGHTER_WALK_STATE_H_
#define COLORUNE_HIGHLIGHTER_WALK_STATE_H_

// What the walk of one window keeps at hand: the block being walked and its
// masks, where the output stands, and the walk's own state; and how a walker
// says where the walk goes next. Part of the state machine's body
// (state_machine_body.h), built once for each instruction set.

#include <cstdint>
#include <cstring>

#include "highlighter/block_classifier.h"
#include "highlighter/isa.h"
#include "highlighter/machine_state.h"
#include "highlighter/markup.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"

inline namespace COLORUNE_ISA {
namespace {

constexpr std::uint64_t bits_below(unsigned n) { return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1; }
// The bits from [n] on, for n from 0 to 63.
constexpr std::uint64_t bits_from(unsigned n) { return ~std::uint64_t{0} << n; }
// The bits past [n], for n from 1 to 64: no branch for 64.
constexpr std::uint64_t bits_past(unsigned n) { return ~std::uint64_t{1} << (n - 1); }
// The low [n] bits, for n from 1 to 64.
constexpr std::uint64_t low_bits(unsigned n) { return ~std::uint64_t{0} >> (64 - n); }
inline unsigned lowest_bit(std::uint64_t x) { return static_cast<unsigned>(__builtin_ctzll(x)); }
inline unsigned highest_bit(std::uint64_t x) { return 63u - static_cast<unsigned>(__builtin_clzll(x)); }

// How many word characters run from [bit] on in the block: to its end when
// they fill it (where the count of trailing zeros of 0 would be undefined).
inline unsigned run_length(std::uint64_t word, unsigned bit) {
  const std::uint64_t after = ~(word >> bit);
  return after == 0 ? 64 : static_cast<unsigned>(__builtin_ctzll(after));
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

// Where the bytes of the block to walk end.
inline const unsigned char* block_end(const Block& b) { return b.bytes + b.count; }

// The bit of [p] in the block.
inline unsigned bit_of(const Block& b, const unsigned char* p) { return static_cast<unsigned>(p - b.bytes); }

// Ends the walk of the window at [p], where what the bytes are depends on bytes
// not read yet: the next window walks them again. Returns p, where the walk
// goes on then.
inline const unsigned char* stop_at(Walk& w, const unsigned char* p) {
  w.stop = p;
  return p;
}

}  // namespace
}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_WALK_STATE_H_
