#ifndef COLORUNE_HIGHLIGHTER_KEYWORDS_H_
#define COLORUNE_HIGHLIGHTER_KEYWORDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "highlighter/isa.h"
#include "highlighter/keyword_table.h"

inline constexpr std::size_t kKeywordCount = std::size(keyword_table);

constexpr bool no_word_twice() {
  for (std::size_t i = 0; i < kKeywordCount; ++i) {
    for (std::size_t k = i + 1; k < kKeywordCount; ++k) {
      if (keyword_table[i].word == keyword_table[k].word) return false;
    }
  }
  return true;
}
static_assert(no_word_twice(), "a word stands twice in keyword_table");

/// The longest keyword: a longer word is never one.
constexpr std::size_t longest_keyword() {
  std::size_t longest = 0;
  for (const Keyword& keyword : keyword_table) longest = keyword.word.size() > longest ? keyword.word.size() : longest;
  return longest;
}
// The lookup compares 16 bytes at once.
inline constexpr std::size_t kLongestKeyword = 16;
static_assert(longest_keyword() <= kLongestKeyword, "a keyword longer than the lookup compares");

/// True when [word] is a keyword of the reading ([modern]: the modern one),
/// compared exactly and case-sensitively.
bool is_keyword(std::string_view word, bool modern = false);
inline bool is_keyword(const char* word, bool modern = false) { return is_keyword(std::string_view(word), modern); }

namespace keyword_lookup {

// Most words a scan meets are identifiers, not keywords, so the lookup must
// reject a word fast. A hash of the length and three letters (first, middle,
// last) gives every keyword a slot of its own; a word is then compared with the
// one keyword in its slot. The slots hold small indexes into a dense table,
// which stays in a few cache lines.
//
// The hash's factors are searched for at compile time, so that a new keyword
// is one line of keyword_table.h: with 2048 slots for about a hundred words a
// few thousand of the quarter million triples fit, and the search meets the
// first after a few hundred trials, far within what compilers evaluate.
inline constexpr std::size_t kSlotCount = 2048;

struct Factors {
  std::size_t length = 0;
  std::size_t ends = 0;  // the first and the middle letter
  std::size_t last = 0;
};

// Always inlined: a copy of its own, built for AVX2, could otherwise be the one
// the linker keeps for every caller (see isa.h).
__attribute__((always_inline)) constexpr std::size_t slot_of(const unsigned char* word, std::size_t length,
                                                             const Factors& f) {
  return (f.length * length + f.ends * (std::size_t{word[0]} + word[length / 2]) + f.last * std::size_t{word[length - 1]}) %
         kSlotCount;
}

constexpr std::size_t slot_of_keyword(const Keyword& keyword, const Factors& f) {
  unsigned char bytes[kLongestKeyword] = {};
  for (std::size_t i = 0; i < keyword.word.size(); ++i) bytes[i] = static_cast<unsigned char>(keyword.word[i]);
  return slot_of(bytes, keyword.word.size(), f);
}

// The first factors, each from 1 to 63, that give every keyword a slot of its
// own; all zero when there are none.
constexpr Factors find_factors() {
  std::uint32_t taken_in_trial[kSlotCount] = {};  // a slot is taken when it holds the trial's number
  std::uint32_t trial = 0;
  for (std::size_t length = 1; length < 64; ++length) {
    for (std::size_t ends = 1; ends < 64; ++ends) {
      for (std::size_t last = 1; last < 64; ++last) {
        ++trial;
        const Factors f{length, ends, last};
        bool fits = true;
        for (std::size_t i = 0; fits && i < kKeywordCount; ++i) {
          std::uint32_t& slot = taken_in_trial[slot_of_keyword(keyword_table[i], f)];
          fits = slot != trial;
          slot = trial;
        }
        if (fits) return f;
      }
    }
  }
  return {};
}

inline constexpr Factors kFactors = find_factors();
static_assert(kFactors.length != 0, "no hash factors give every keyword a slot of its own: make kSlotCount larger");

struct Entry {
  alignas(16) char text[kLongestKeyword] = {};  // zeros after the keyword
  // The length, with the top bit set for a modern keyword: a classic reading
  // then finds no length equal to it.
  std::uint8_t length_and_reading = 0;
};

struct Tables {
  std::array<std::uint8_t, kSlotCount> slots{};    // 0: no keyword hashes here
  std::array<Entry, kKeywordCount + 1> entries{};  // entry 0 has length 0 and matches no word
};
static_assert(kKeywordCount < 256, "the slots hold one-byte indexes");

constexpr Tables make_tables() {
  Tables tables{};
  for (std::size_t i = 0; i < kKeywordCount; ++i) {
    const Keyword& keyword = keyword_table[i];
    tables.slots[slot_of_keyword(keyword, kFactors)] = static_cast<std::uint8_t>(i + 1);
    Entry& entry = tables.entries[i + 1];
    for (std::size_t k = 0; k < keyword.word.size(); ++k) entry.text[k] = keyword.word[k];
    entry.length_and_reading =
        static_cast<std::uint8_t>(keyword.word.size() | (keyword.reading == Reading::kModern ? 0x80 : 0));
  }
  return tables;
}

inline constexpr Tables kTables = make_tables();

}  // namespace keyword_lookup

inline namespace COLORUNE_ISA {

/// is_keyword for [length] bytes at [word], 1 to 64 of them, where 16 bytes
/// from [word] on are readable (as in the input window): compared 16 bytes at
/// once, with no branch (most words are not keywords, and which are is not for
/// a branch predictor to guess).
inline bool is_keyword_in_window(const unsigned char* word, std::size_t length, bool modern) {
  const keyword_lookup::Entry& entry =
      keyword_lookup::kTables.entries[keyword_lookup::kTables.slots[keyword_lookup::slot_of(word, length,
                                                                                           keyword_lookup::kFactors)]];
  // In the modern reading the reading bit does not count.
  const unsigned ignored = modern ? 0x80u : 0u;
  const bool same_length = ((entry.length_and_reading ^ length) & ~ignored) == 0;
#if defined(__SSE2__)
  // Equal in the first [length] bytes; what follows the word does not count.
  const __m128i equal = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(word)),
                                       _mm_load_si128(reinterpret_cast<const __m128i*>(entry.text)));
  // The first [length] bits: for a length past 16 any mask will do, since no
  // keyword has that length.
  const unsigned first_bytes = (2u << ((length - 1) & 31)) - 1;
  const unsigned differ = ~static_cast<unsigned>(_mm_movemask_epi8(equal)) & first_bytes;
  return same_length & (differ == 0);
#else
  if (!same_length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(entry.text[i]) != word[i]) return false;
  }
  return true;
#endif
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_KEYWORDS_H_
