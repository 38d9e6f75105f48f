// The 64-byte classifier against the plain rules, one byte at a time.

#include "highlighter/block_classifier.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(BlockClassifier, SecondBytesPairAsTheReaderDoes) {
  // Runs of high bytes of every length, across block boundaries: the reader
  // takes a high byte and whatever follows it as one character.
  std::mt19937_64 random(64);
  for (int trial = 0; trial < 20000; ++trial) {
    std::uint64_t blocks[3];
    for (std::uint64_t& b : blocks) b = random() & random() & (trial % 2 ? random() : ~0ull);  // dense and sparse
    std::uint64_t carry = 0;
    bool next_is_second = false;
    for (int k = 0; k < 3; ++k) {
      std::uint64_t expected = 0;
      for (int i = 0; i < 64; ++i) {
        if (next_is_second) {
          expected |= 1ull << i;
          next_is_second = false;
        } else {
          next_is_second = (blocks[k] >> i) & 1;
        }
      }
      ASSERT_EQ(expected, second_bytes(blocks[k], carry)) << trial << " block " << k;
      ASSERT_EQ(next_is_second ? 1u : 0u, carry);
    }
  }
}

TEST(BlockClassifier, MasksMatchTheByteClasses) {
  unsigned char bytes[64];
  for (int start = 0; start < 256; start += 64) {
    for (int i = 0; i < 64; ++i) bytes[i] = static_cast<unsigned char>(start + i);
    for (bool no_pre : {false, true}) {
      BlockClasses masks;
      if (no_pre) {
        classify_block<true, true>(bytes, masks);
      } else {
        classify_block<false, false>(bytes, masks);
      }
      for (int i = 0; i < 64; ++i) {
        const ByteClass c = kByteClasses[bytes[i]];
        const auto has = [&](std::uint64_t mask) { return ((mask >> i) & 1) != 0; };
        ByteClass special = kClassEscape | kClassTab;
        if (no_pre) special |= kClassSpace | kClassLineFeed;
        const ByteClass sparse = special | kClassQuote | kClassHash | kClassSlash | kClassOtherSparse;
        EXPECT_EQ((c & (kClassWordStart | kClassDigit)) != 0, has(masks.word)) << start + i;
        EXPECT_EQ((c & kClassHigh) != 0, has(masks.high)) << start + i;
        EXPECT_EQ(bytes[i] == '\n', has(masks.line_feed));
        EXPECT_EQ(no_pre && bytes[i] == ' ', has(masks.space));
        EXPECT_EQ((c & special) != 0, has(masks.special)) << start + i;
        EXPECT_EQ((c & sparse) != 0, has(masks.sparse)) << start + i;
      }
      EXPECT_EQ(std::uint64_t{1} << 37, byte_bits(bytes, static_cast<unsigned char>(start + 37)));
    }
  }
}

}  // namespace
