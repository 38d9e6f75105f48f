#ifndef COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_
#define COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_

// Classifies 64 input bytes at once: for each class of byte that matters to the
// conversion, a 64-bit mask whose bit i is set when byte i is of that class.
// The state machine (state_machine_body.h) then visits only the set bits (count
// trailing zeros, clear the lowest bit) and copies the bytes between them
// unchanged, instead of looking at every byte. SSE2, which every x86-64
// processor has, classifies 16 bytes per instruction, AVX2 32; elsewhere the
// byte class table gives the same masks.

#include <cstdint>

#if defined(__AVX2__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "highlighter/char_class.h"
#include "highlighter/isa.h"

inline namespace COLORUNE_ISA {

struct BlockClasses {
  std::uint64_t word = 0;       // letters, digits and "_"
  std::uint64_t digit = 0;
  std::uint64_t high = 0;       // 0x80 to 0xFF
  std::uint64_t line_feed = 0;
  std::uint64_t space = 0;      // only when asked for
  std::uint64_t special = 0;    // written otherwise than as they are: "&", "<", ">", tab,
                                // and as asked, space and line feed
  std::uint64_t sparse = 0;     // what plain text must see besides words: the special
                                // bytes and 0x22 to 0x27 (" # $ % & ') and "/"
};

#if defined(__AVX2__) || defined(__SSE2__)
#define COLORUNE_VECTOR_CLASSIFIER 1

// The few vector operations the classifier needs, for the widest registers the
// build allows. Constants are read from memory, which costs no instruction of
// its own, rather than made in registers at every block.
namespace vector {
#if defined(__AVX2__)
using Vector = __m256i;
inline constexpr int kWidth = 32;
inline Vector load(const unsigned char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline Vector equal(Vector a, Vector b) { return _mm256_cmpeq_epi8(a, b); }
inline Vector signed_less(Vector a, Vector b) { return _mm256_cmpgt_epi8(b, a); }
inline Vector add(Vector a, Vector b) { return _mm256_add_epi8(a, b); }
inline Vector either(Vector a, Vector b) { return _mm256_or_si256(a, b); }
inline std::uint64_t top_bits(Vector v) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(v)); }
inline Vector every_byte(unsigned char b) { return _mm256_set1_epi8(static_cast<char>(b)); }
#else
using Vector = __m128i;
inline constexpr int kWidth = 16;
inline Vector load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline Vector equal(Vector a, Vector b) { return _mm_cmpeq_epi8(a, b); }
inline Vector signed_less(Vector a, Vector b) { return _mm_cmplt_epi8(a, b); }
inline Vector add(Vector a, Vector b) { return _mm_add_epi8(a, b); }
inline Vector either(Vector a, Vector b) { return _mm_or_si128(a, b); }
inline std::uint64_t top_bits(Vector v) { return static_cast<std::uint32_t>(_mm_movemask_epi8(v)); }
inline Vector every_byte(unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); }
#endif

// A vector with every byte [value].
struct alignas(32) Splat {
  unsigned char bytes[32];
  constexpr explicit Splat(int value) : bytes() {
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(value);
  }
  Vector get() const { return load(bytes); }
};

// x in [low, low + count) is, after adding 128 - low (mod 256), a signed byte
// below count - 128: SSE2 and AVX2 compare only signed bytes.
struct Range {
  Splat shift;
  Splat limit;
  constexpr Range(int low, int count) : shift(128 - low), limit(count - 128) {}
  Vector holds(Vector x) const { return signed_less(add(x, shift.get()), limit.get()); }
};

inline constexpr Range kLetters('a', 26);
inline constexpr Range kDigits('0', 10);
inline constexpr Range kQuotesToApostrophe(0x22, 6);  // " # $ % & '
inline constexpr Splat kCaseBit(0x20);
inline constexpr Splat kBitOne(0x02);
inline constexpr Splat kGreaterThan('>');
inline constexpr Splat kUnderscore('_');
inline constexpr Splat kLineFeed('\n');
inline constexpr Splat kTab('\t');
inline constexpr Splat kSpace(' ');
inline constexpr Splat kAmpersand('&');
inline constexpr Splat kSlash('/');
}  // namespace vector
#endif

/// Fills [classes] for the 64 bytes from [bytes] on (all 64 must be readable).
/// Spaces are special with [kSpaces] and line feeds with [kLineFeeds].
template <bool kSpaces, bool kLineFeeds>
inline void classify_block(const unsigned char* bytes, BlockClasses& classes) {
  BlockClasses c;
#if defined(COLORUNE_VECTOR_CLASSIFIER)
  using namespace vector;
  for (int at = 0; at < 64; at += kWidth) {
    const Vector v = load(bytes + at);
    const auto bits = [&](Vector x) { return top_bits(x) << at; };
    // Setting bit 5 makes a capital letter small and no other byte a letter.
    const Vector letter = kLetters.holds(either(v, kCaseBit.get()));
    const Vector digit = kDigits.holds(v);
    c.digit |= bits(digit);
    c.word |= bits(either(either(letter, digit), equal(v, kUnderscore.get())));
    c.high |= bits(v);  // the top bit of each byte
    const Vector line_feed = equal(v, kLineFeed.get());
    c.line_feed |= bits(line_feed);
    // "<" and ">" differ in bit 1 alone, and no other byte gives ">" with it set.
    Vector special = either(either(equal(v, kAmpersand.get()), equal(v, kTab.get())),
                            equal(either(v, kBitOne.get()), kGreaterThan.get()));
    if (kSpaces) {
      const Vector space = equal(v, kSpace.get());
      c.space |= bits(space);
      special = either(special, space);
    }
    if (kLineFeeds) special = either(special, line_feed);
    c.special |= bits(special);
    c.sparse |= bits(either(special, either(kQuotesToApostrophe.holds(v), equal(v, kSlash.get()))));
  }
#else
  ByteClass special = kClassEscape | kClassTab;
  if (kSpaces) special |= kClassSpace;
  if (kLineFeeds) special |= kClassLineFeed;
  const ByteClass sparse = special | kClassQuote | kClassHash | kClassSlash | kClassOtherSparse;
  for (int i = 0; i < 64; ++i) {
    const ByteClass k = kByteClasses[bytes[i]];
    const auto bit = [&](ByteClass wanted) { return static_cast<std::uint64_t>((k & wanted) != 0) << i; };
    c.word |= bit(kClassWordStart | kClassDigit);
    c.digit |= bit(kClassDigit);
    c.high |= bit(kClassHigh);
    c.line_feed |= bit(kClassLineFeed);
    c.space |= bit(kSpaces ? kClassSpace : 0);
    c.special |= bit(special);
    c.sparse |= bit(sparse);
  }
#endif
  classes = c;
}

/// The bytes equal to [byte] among the 64 from [bytes] on: for the classes only
/// some contexts need ("*" in a block comment, a backslash in a literal), made
/// when a block needs them.
inline std::uint64_t byte_bits(const unsigned char* bytes, unsigned char byte) {
  std::uint64_t result = 0;
#if defined(COLORUNE_VECTOR_CLASSIFIER)
  using namespace vector;
  const Vector wanted = every_byte(byte);
  for (int at = 0; at < 64; at += kWidth) result |= top_bits(equal(load(bytes + at), wanted)) << at;
#else
  for (int i = 0; i < 64; ++i) result |= static_cast<std::uint64_t>(bytes[i] == byte) << i;
#endif
  return result;
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
#if defined(__POPCNT__)
  return static_cast<unsigned>(__builtin_popcountll(x));
#else
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<unsigned>((x * 0x0101010101010101) >> 56);
#endif
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_BLOCK_CLASSIFIER_H_
