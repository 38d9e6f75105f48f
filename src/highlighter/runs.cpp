#include "highlighter/runs.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "highlighter/block_classifier.h"
#include "highlighter/char_class.h"
#include "highlighter/emitter.h"
#include "highlighter/keywords.h"
#include "highlighter/markup.h"

namespace {

constexpr std::uint64_t bits_below(unsigned n) { return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1; }

// The most one block of 64 input bytes can write, but for tabs and line feeds,
// which emit_char writes with checks of its own, and copies of input bytes,
// which RunOutput::window_bytes checks: a keyword element or an entity for each byte.
constexpr std::size_t kBlockOutputBound = 64 * sizeof kKeywordOpen + sizeof kKeywordClose + 2 * 64 + kBufferSlack;

// Where a run writes. The run keeps its own pointer into the output buffer:
// state.out_length, in memory, could otherwise be changed by any byte written
// (to the compiler, a char may alias anything), and would be loaded and stored
// again around every write.
struct RunOutput {
  ConverterState& state;
  char* next;

  explicit RunOutput(ConverterState& s) : state(s), next(s.out_buffer + s.out_length) {}
  void sync() { state.out_length = static_cast<std::size_t>(next - state.out_buffer); }
  // Back from a write with checks of its own, which may have used the room
  // reserved for the block: room is made again.
  void reload() {
    reserve_output(state, kBlockOutputBound);
    next = state.out_buffer + state.out_length;
  }

  // Constant text, for which reserve has made room.
  template <std::size_t N>
  void markup(const char (&text)[N]) {
    std::memcpy(next, text, N - 1);
    next += N - 1;
  }
  // Bytes of the window as they are: up to 32 as one fixed block (the window
  // and the buffer have room past their ends), more with a check for room.
  void window_bytes(const unsigned char* from, const unsigned char* to) {
    if (to <= from) return;
    const auto count = static_cast<std::size_t>(to - from);
    if (count <= 32) {
      std::memcpy(next, from, 32);
      next += count;
    } else {
      sync();
      write_window_bytes(state, from, count);
      reload();
    }
  }
  // Room for the writes of one block without checks.
  void reserve() {
    sync();
    reload();
  }
};

// A run of word characters [first, end) of the plain text: leading digits are
// written plain (digits never start a word); from the first letter or "_" on it
// is a word, cut in pieces of kLongestWordPiece, each looked up. Only a keyword
// needs writing of its own: [copied] is where the bytes not yet written begin.
inline void take_word_run(RunOutput& out, const unsigned char* first, const unsigned char* end,
                          const unsigned char*& copied) {
  const unsigned char* word = first;
  while (word < end) {
    while (word < end && is_ascii_digit(*word)) ++word;
    if (word == end) return;
    const std::size_t length = std::min(static_cast<std::size_t>(end - word), kLongestWordPiece);
    if (is_keyword_in_window(word, length)) {
      out.window_bytes(copied, word);
      out.markup(kKeywordOpen);
      out.window_bytes(word, word + length);
      out.markup(kKeywordClose);
      copied = word + length;
    }
    word += length;
  }
}

// The run, 64 bytes at a time. [kStops]: the classes the run must stop before.
// [kWords]: words are the run's to write (in plain text).
//
// Bytes that need nothing are not written one by one: [copied] marks the first
// byte not yet written, and the bytes up to an event (an escape, a tab, a line
// feed or a space that must be written otherwise, a keyword, a stop) go out in
// one copy. The column and line count are brought up to date only where a tab
// needs the column, at the end of a block and at the end of the run: [counted]
// marks the first byte they do not account for yet.
template <ByteClass kStops, bool kWords>
bool copy_run(ConverterState& state) {
  const unsigned char* const window = state.in_buffer;
  const unsigned char* const limit = window + state.in_limit;
  const unsigned char* const start = window + state.in_next;
  const bool utf8 = state.options.utf8;
  const bool line_feeds_written = state.options.line_numbers || state.options.no_pre;

  const unsigned char* copied = start;
  const unsigned char* counted = start;
  const unsigned char* word = nullptr;  // a word run that goes on past the block it began in
  const unsigned char* stop = limit;
  std::uint64_t second_carry = 0;       // the next block begins with a second byte
  std::uint64_t word_carry = 0;         // the last byte of the block was a word character
  RunOutput out(state);

  for (const unsigned char* block = start; block < limit; block += 64) {
    out.reserve();
    BlockMasks m;
    classify_block<kStops>(block, state.options.no_pre, line_feeds_written, m);
    const unsigned valid = limit - block >= 64 ? 64u : static_cast<unsigned>(limit - block);
    const std::uint64_t outside = ~bits_below(valid);  // past the end of the window

    // The second byte of a pair is no syntax: it is written raw (only "<", ">"
    // and "&" there are escaped), and with its first byte counts one column.
    // Reading UTF-8, every high byte is left to the reader.
    const std::uint64_t seconds = utf8 ? 0 : second_bytes(m.high, second_carry);
    const std::uint64_t syntax = ~seconds;
    std::uint64_t stops = (m.stop | (utf8 ? m.high : 0)) & syntax;
    // A first byte whose second byte is not in the window yet.
    if (!utf8 && block + 64 >= limit && ((m.high & syntax) >> (valid - 1) & 1)) stops |= std::uint64_t{1} << (valid - 1);
    stops |= outside;
    const std::uint64_t line_feeds = m.line_feed & syntax;
    const std::uint64_t words = m.word & syntax & ~outside;

    // Column and line count up to [to], a point of this block.
    const auto count_to = [&](const unsigned char* to) {
      if (counted < block) {  // a word carried over from the last block: all word characters
        state.column += block - counted;
        counted = block;
      }
      if (to <= counted) return;
      const auto from_bit = static_cast<unsigned>(counted - block);
      const auto to_bit = static_cast<unsigned>(to - block);
      const std::uint64_t range = bits_below(to_bit) & ~bits_below(from_bit);
      const std::uint64_t feeds = line_feeds & range;
      if (feeds != 0) {
        state.line_number += count_bits(feeds);
        const unsigned last = 63u - static_cast<unsigned>(__builtin_clzll(feeds));
        const std::uint64_t after_last = seconds & bits_below(to_bit) & ~bits_below(last + 1);
        state.column = static_cast<std::int64_t>(to_bit - last - 1) - (after_last != 0 ? count_bits(after_last) : 0);
      } else {
        const std::uint64_t in_range = seconds & range;
        state.column += static_cast<std::int64_t>(to_bit - from_bit) - (in_range != 0 ? count_bits(in_range) : 0);
      }
      counted = to;
    };

    std::uint64_t run_starts = 0;
    if (kWords) {
      run_starts = words & ~((words << 1) | word_carry);
      word_carry = words >> 63;
      if (word != nullptr) {
        // The word carried over ends at the first byte here that is no word character.
        const std::uint64_t ends = ~words;
        if (ends != 0) {
          const unsigned char* const end = block + __builtin_ctzll(ends);
          if (end >= limit) {  // it may go on past the window: the word scanner reads on
            stop = word;
            goto done;
          }
          take_word_run(out, word, end, copied);
          word = nullptr;
        } else if (block + 64 >= limit) {
          stop = word;
          goto done;
        }
      }
    }

    {
      std::uint64_t events = stops | m.special | run_starts;
      while (events != 0) {
        const unsigned i = static_cast<unsigned>(__builtin_ctzll(events));
        events &= events - 1;
        const unsigned char* const p = block + i;
        const std::uint64_t bit = std::uint64_t{1} << i;
        if (stops & bit) {
          count_to(p);
          stop = p;
          goto done;
        }
        if (kWords && (run_starts & bit)) {
          const std::uint64_t ends = ~words & ~bits_below(i + 1);
          if (ends == 0 && block + 64 < limit) {
            word = p;  // ends in a later block; nothing else happens in this one
            break;
          }
          const unsigned char* const end = block + (ends == 0 ? 64 : __builtin_ctzll(ends));
          if (end >= limit) {  // it may go on past the window: the word scanner reads on
            count_to(p);
            stop = p;
            goto done;
          }
          take_word_run(out, p, end, copied);
          continue;
        }
        // A second byte is written raw unless it is an escape.
        if ((seconds & bit) != 0 && *p != '&' && *p != '<' && *p != '>') continue;
        out.window_bytes(copied, p);
        copied = p + 1;
        switch (*p) {
          case '&': out.markup(kAmp); break;
          case '<': out.markup(kLt); break;
          case '>': out.markup(kGt); break;
          case ' ': {
            // The whole run of spaces in this block at once.
            const std::uint64_t rest = ~((m.space & ~outside) >> i);
            const unsigned spaces = rest == 0 ? 64u : static_cast<unsigned>(__builtin_ctzll(rest));
            for (unsigned n = 0; n < spaces; ++n) out.markup(kNbsp);
            events &= ~(bits_below(spaces) << i);
            copied = p + spaces;
            break;
          }
          default:  // a tab or a line feed, through emit_char, which needs the column
            count_to(p);
            out.sync();
            emit_char(state, *p);
            out.reload();
            counted = p + 1;
            break;
        }
      }
    }
    count_to(word != nullptr ? word : block + valid);
  }
  if (word != nullptr) stop = word;

done:
  // The column and line count stand at [stop]: a carried word that stops the
  // run was counted up to its start at the end of its block.
  out.window_bytes(copied, stop);
  out.sync();
  state.in_next = static_cast<std::size_t>(stop - window);
  return stop != start;
}

}  // namespace

bool copy_plain_run(ConverterState& state) {
  return copy_run<kClassQuote | kClassSlash | kClassHash, true>(state);
}

bool copy_block_comment_run(ConverterState& state) { return copy_run<kClassStar, false>(state); }

bool copy_line_comment_run(ConverterState& state) {
  return copy_run<kClassLineFeed | kClassBackslash, false>(state);
}

bool copy_literal_run(ConverterState& state) { return copy_run<kClassQuote | kClassBackslash, false>(state); }

bool copy_directive_run(ConverterState& state) {
  return copy_run<kClassSlash | kClassLineFeed | kClassBackslash, false>(state);
}

const unsigned char* window_word_end(const ConverterState& state, const unsigned char* first) {
  const unsigned char* const end = state.in_buffer + state.in_limit;
  const unsigned char* const limit =
      end - first > static_cast<std::ptrdiff_t>(kLongestWordPiece) ? first + kLongestWordPiece : end;
  const unsigned char* p = first + 1;
  while (p < limit && (kByteClasses[*p] & (kClassWordStart | kClassDigit))) ++p;
  // A piece that reaches the end of the window short of its full length may go
  // on after it.
  if (p == end && p - first < static_cast<std::ptrdiff_t>(kLongestWordPiece)) return nullptr;
  return p;
}

void emit_word(ConverterState& state, const unsigned char* word, std::size_t length) {
  // A word holds only letters, digits and "_": nothing to escape, one column each.
  const bool keyword = is_keyword_in_window(word, length);
  if (keyword) write_markup(state, kKeywordOpen);
  write_window_bytes(state, word, length);
  state.column += static_cast<std::int64_t>(length);
  if (keyword) write_markup(state, kKeywordClose);
}
