#include "highlighter/keywords.h"

#include <array>
#include <cstring>

constexpr std::string_view keyword_table[kKeywordCount] = {
    "auto",      "asm",          "bool",      "break",    "case",     "catch",
    "char",      "class",        "const",     "const_cast", "continue", "default",
    "delete",    "do",           "double",    "dynamic_cast", "else", "enum",
    "explicit",  "extern",       "false",     "float",    "for",      "friend",
    "goto",      "if",           "inline",    "int",      "long",     "mutable",
    "namespace", "new",          "operator",  "private",  "protected", "public",
    "register",  "reinterpret_cast", "return", "short",   "signed",   "sizeof",
    "static",    "static_cast",  "struct",    "switch",   "template", "this",
    "throw",     "true",         "try",       "typedef",  "typeid",   "typename",
    "union",     "unsigned",     "using",     "virtual",  "void",     "volatile",
    "wchar_t",   "while",
};

namespace {

// Most words a scan meets are identifiers, not keywords. A word is looked up
// only among the keywords of its own length and first letter, so most are
// rejected after one or two comparisons of the length and first byte.
constexpr std::size_t kLongestKeyword = 16;  // "reinterpret_cast"

struct Bucket {
  unsigned char count = 0;
  unsigned char entries[8] = {};  // indexes into keyword_table
};

// Buckets by length (0 to kLongestKeyword) and first letter a..z.
using BucketTable = std::array<std::array<Bucket, 26>, kLongestKeyword + 1>;

constexpr BucketTable make_buckets() {
  BucketTable table{};
  for (std::size_t i = 0; i < kKeywordCount; ++i) {
    const std::string_view word = keyword_table[i];
    Bucket& bucket = table[word.size()][static_cast<std::size_t>(word[0] - 'a')];
    // Overflowing a bucket makes this fail to compile: an index out of bounds
    // is not a constant expression.
    bucket.entries[bucket.count++] = static_cast<unsigned char>(i);
  }
  return table;
}

constexpr BucketTable kBuckets = make_buckets();

}  // namespace

bool is_keyword(std::string_view word) {
  if (word.size() < 2 || word.size() > kLongestKeyword) return false;
  if (word[0] < 'a' || word[0] > 'z') return false;  // every keyword is lower case
  const Bucket& bucket = kBuckets[word.size()][static_cast<std::size_t>(word[0] - 'a')];
  for (unsigned char n = 0; n < bucket.count; ++n) {
    if (std::memcmp(keyword_table[bucket.entries[n]].data(), word.data(), word.size()) == 0) return true;
  }
  return false;
}
