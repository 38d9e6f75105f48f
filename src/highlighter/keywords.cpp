#include "highlighter/keywords.h"

#include <cstring>

bool is_keyword(std::string_view word, bool modern) {
  if (word.empty() || word.size() > kLongestKeyword) return false;
  unsigned char padded[kLongestKeyword] = {};  // the 16 readable bytes the lookup compares
  std::memcpy(padded, word.data(), word.size());
  return is_keyword_in_window(padded, word.size(), modern);
}
