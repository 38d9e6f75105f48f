#ifndef COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_
#define COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_

// Classifies 64 input bytes at once: for each class of byte that matters to the
// fast runs (runs.h), a 64-bit mask whose bit i is set when byte i is of that
// class. The runs then visit only the set bits (count trailing zeros, clear the
// lowest bit) and copy the bytes between them unchanged, instead of looking at
// every byte. SSE2, which every x86-64 processor has, classifies 16 bytes per
// instruction; elsewhere the byte class table gives the same masks.

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "highlighter/char_class.h"

struct BlockMasks {
  std::uint64_t word = 0;       // letters, digits and "_"
  std::uint64_t high = 0;       // 0x80 to 0xFF
  std::uint64_t special = 0;    // written otherwise than as they are: "&", "<", ">", tab,
                                // and as asked, space and line feed
  std::uint64_t line_feed = 0;
  std::uint64_t space = 0;      // only when asked for
  std::uint64_t stop = 0;       // the classes asked for (kStops)
};

/// Fills [masks] for the 64 bytes from [bytes] on (all 64 must be readable).
/// [kStops] is a set of kClassQuote, kClassSlash, kClassHash, kClassStar,
/// kClassBackslash and kClassLineFeed: the bytes marked in masks.stop. Spaces
/// and line feeds are special with [spaces] and [line_feeds].
template <ByteClass kStops>
inline void classify_block(const unsigned char* bytes, bool spaces, bool line_feeds, BlockMasks& masks) {
#if defined(__SSE2__)
  for (int chunk = 0; chunk < 4; ++chunk) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * chunk));
    const auto is = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    // x - low < count, unsigned: SSE2 compares only signed bytes, so both sides
    // are moved down by 128 (the top bit flipped) first.
    const auto in_range = [&](__m128i x, char low, int count) {
      const __m128i offset = _mm_xor_si128(_mm_sub_epi8(x, _mm_set1_epi8(low)), _mm_set1_epi8(-128));
      return _mm_cmplt_epi8(offset, _mm_set1_epi8(static_cast<char>(count - 128)));
    };
    const auto bits = [&](__m128i x) {
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(x))) << (16 * chunk);
    };
    // Setting bit 5 makes a capital letter small and no other byte a letter.
    const __m128i letter = in_range(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26);
    masks.word |= bits(_mm_or_si128(_mm_or_si128(letter, in_range(v, '0', 10)), is('_')));
    masks.high |= bits(v);  // the top bit of each byte
    const __m128i line_feed = is('\n');
    __m128i special = _mm_or_si128(_mm_or_si128(is('&'), is('<')), _mm_or_si128(is('>'), is('\t')));
    if (spaces) {
      const __m128i space = is(' ');
      special = _mm_or_si128(special, space);
      masks.space |= bits(space);
    }
    if (line_feeds) special = _mm_or_si128(special, line_feed);
    masks.special |= bits(special);
    masks.line_feed |= bits(line_feed);
    __m128i stop = _mm_setzero_si128();
    if (kStops & kClassQuote) stop = _mm_or_si128(stop, _mm_or_si128(is('"'), is('\'')));
    if (kStops & kClassSlash) stop = _mm_or_si128(stop, is('/'));
    if (kStops & kClassHash) stop = _mm_or_si128(stop, is('#'));
    if (kStops & kClassStar) stop = _mm_or_si128(stop, is('*'));
    if (kStops & kClassBackslash) stop = _mm_or_si128(stop, is('\\'));
    if (kStops & kClassLineFeed) stop = _mm_or_si128(stop, line_feed);
    masks.stop |= bits(stop);
  }
#else
  ByteClass special = kClassEscape | kClassTab;
  if (spaces) special |= kClassSpace;
  if (line_feeds) special |= kClassLineFeed;
  for (int i = 0; i < 64; ++i) {
    const ByteClass c = kByteClasses[bytes[i]];
    const auto bit = [&](ByteClass classes) { return static_cast<std::uint64_t>((c & classes) != 0) << i; };
    masks.word |= bit(kClassWordStart | kClassDigit);
    masks.high |= bit(kClassHigh);
    masks.special |= bit(special);
    masks.line_feed |= bit(kClassLineFeed);
    if (spaces) masks.space |= bit(kClassSpace);
    masks.stop |= bit(kStops);
  }
#endif
}

/// The second bytes of pairs, given the high bytes of a block: every high byte
/// that is not itself a second byte starts a pair with the byte after it. In a
/// run of high bytes the first, third, fifth ... are first bytes, just as in a
/// run of backslashes the first, third ... escape the byte after them, so this
/// is the trick that fast JSON parsers use to find escaped characters: adding
/// the starts of the runs that begin on odd bits to the runs carries through
/// each such run, which flips the even/odd pattern for exactly those runs.
/// [carry] is 1 when bit 0 of the block is a second byte, and is set for the
/// next block.
inline std::uint64_t second_bytes(std::uint64_t high, std::uint64_t& carry) {
  constexpr std::uint64_t kEvenBits = 0x5555555555555555;
  const std::uint64_t firsts = high & ~carry;  // a second byte starts no pair
  const std::uint64_t follows_first = (firsts << 1) | carry;
  const std::uint64_t odd_starts = firsts & ~kEvenBits & ~follows_first;
  std::uint64_t runs_from_even_bits = 0;
  carry = __builtin_add_overflow(odd_starts, firsts, &runs_from_even_bits) ? 1 : 0;
  const std::uint64_t flip = runs_from_even_bits << 1;
  return (kEvenBits ^ flip) & follows_first;
}

/// The number of bits set. Baseline x86-64 has no instruction for it, and the
/// compiler's fallback is a call: this is the same arithmetic inline.
inline unsigned count_bits(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<unsigned>((x * 0x0101010101010101) >> 56);
}

#endif  // COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_
