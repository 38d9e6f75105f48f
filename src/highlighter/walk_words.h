#ifndef COLORUNE_HIGHLIGHTER_WALK_WORDS_H_
#define COLORUNE_HIGHLIGHTER_WALK_WORDS_H_

// Words and numbers: a run of word characters is cut into pieces, each looked
// up as a keyword; in the modern reading a digit starts a number, and a prefix
// word before a double quote a raw literal. Part of the state machine's body
// (state_machine_body.h).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "highlighter/char_class.h"
#include "highlighter/keywords.h"
#include "highlighter/walk_state.h"
#include "highlighter/walk_writing.h"

inline namespace COLORUNE_ISA {
namespace {

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
__attribute__((always_inline)) inline const unsigned char* take_number(Walk& w, [[maybe_unused]] Cursor& c,
                                                                       const unsigned char* p, unsigned char last) {
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

// A run of word characters from [bit] to [end] in the block that starts with a
// digit and ends before the block's end: true when it is all handled here, as
// it most often is. In the modern reading it is a number, which the byte after
// it does not continue; in the classic reading digits alone are. Either is
// written as it is, with the rest of the plain text.
template <bool kModern>
__attribute__((always_inline)) inline bool take_number_in_block([[maybe_unused]] Walk& w, const Block& b,
                                                                [[maybe_unused]] Cursor& c, unsigned bit,
                                                                unsigned end) {
  if constexpr (kModern) {
    const unsigned char after = b.bytes[end];
    return after != '.' && after != '\'' && after != '+' && after != '-';
  }
  return ((~b.digit >> bit) & low_bits(end - bit)) == 0;
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
      if (w.modern) return take_number(w, c, end, end[-1]);  // the rest of the run is the number's
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
        return stop_at(w, piece);  // may yet be a keyword: read again with the next window
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

}  // namespace
}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_WALK_WORDS_H_
