#ifndef COLORUNE_HIGHLIGHTER_WALK_BLOCKS_H_
#define COLORUNE_HIGHLIGHTER_WALK_BLOCKS_H_

// A block of 64 bytes classified into the masks the walkers use, with the
// second bytes of pairs (or the UTF-8 sequences) taken out of the syntax; and
// what one block hands on to the next. Part of the state machine's body
// (state_machine_body.h).

#include <cstdint>

#include "highlighter/block_classifier.h"
#include "highlighter/char_class.h"
#include "highlighter/walk_contexts.h"
#include "highlighter/walk_state.h"

inline namespace COLORUNE_ISA {
namespace {

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

}  // namespace
}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_WALK_BLOCKS_H_
