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

/// Which reading a keyword belongs to: the classic words are keywords in both,
/// the modern ones (C++11 to C++26, C99 to C23) only in the modern reading (-m).
enum class Reading : std::uint8_t { kClassic, kModern };

struct Keyword {
  std::string_view word;
  Reading reading;
};

/// The words written as keyword elements: the 62 classic ones in their
/// reference order, then the 50 modern ones.
inline constexpr std::size_t kClassicKeywordCount = 62;
inline constexpr std::size_t kKeywordCount = 112;
extern const Keyword keyword_table[kKeywordCount];

/// The longest keyword ("reinterpret_cast"): a longer word is never one.
inline constexpr std::size_t kLongestKeyword = 16;

/// True when [word] is a keyword of the reading ([modern]: the modern one),
/// compared exactly and case-sensitively.
bool is_keyword(std::string_view word, bool modern = false);
inline bool is_keyword(const char* word, bool modern = false) { return is_keyword(std::string_view(word), modern); }

namespace keyword_lookup {

// Most words a scan meets are identifiers, not keywords, so the lookup must
// reject a word fast. A hash of the length and three letters (first, middle,
// last) gives every keyword a slot of its own (make_tables fails to compile
// otherwise); a word is then compared with the one keyword in its slot. The
// slots hold small indexes into a dense table, which stays in a few cache lines.
inline constexpr std::size_t kSlotCount = 512;

inline namespace COLORUNE_ISA {
constexpr std::size_t slot_of(const unsigned char* word, std::size_t length) {
  return (25 * length + 30 * (std::size_t{word[0]} + word[length / 2]) + 8 * std::size_t{word[length - 1]}) %
         kSlotCount;
}
}  // namespace COLORUNE_ISA

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

extern const Tables kTables;  // built at compile time in keywords.cpp

}  // namespace keyword_lookup

inline namespace COLORUNE_ISA {

/// is_keyword for [length] bytes at [word], 1 to 64 of them, where 16 bytes
/// from [word] on are readable (as in the input window): compared 16 bytes at
/// once, with no branch (most words are not keywords, and which are is not for
/// a branch predictor to guess).
inline bool is_keyword_in_window(const unsigned char* word, std::size_t length, bool modern) {
  const keyword_lookup::Entry& entry =
      keyword_lookup::kTables.entries[keyword_lookup::kTables.slots[keyword_lookup::slot_of(word, length)]];
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
