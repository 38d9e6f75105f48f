#include "highlighter/keywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

// The plain definition: equal to some entry of the table.
bool in_table(const std::string& word) {
  return std::find(std::begin(keyword_table), std::end(keyword_table), word) != std::end(keyword_table);
}

TEST(Keywords, TableHasSixtyTwoDistinctWords) {
  const std::set<std::string_view> distinct(std::begin(keyword_table), std::end(keyword_table));
  EXPECT_EQ(62u, distinct.size());
  EXPECT_EQ("auto", keyword_table[0]);
  EXPECT_EQ("while", keyword_table[61]);
}

TEST(Keywords, LookupAgreesWithTheTableOnWordsAndNearMisses) {
  std::set<std::string> words = {"",       "a",      "export", "and",   "or",     "not",   "xor",
                                 "bitand", "NULL",   "include", "define", "string", "size_t", "nullptr",
                                 "constexpr", "override", "final", "_", "x"};
  for (std::string_view keyword : keyword_table) {
    const std::string w(keyword);
    words.insert(w);
    words.insert(w + "_");
    words.insert(w + "s");
    words.insert("_" + w);
    words.insert(w.substr(0, w.size() - 1));
    words.insert(w.substr(1));
    std::string upper = w;
    upper[0] = static_cast<char>(upper[0] - 'a' + 'A');
    words.insert(upper);
    for (std::size_t i = 0; i < w.size(); ++i) {
      std::string changed = w;
      changed[i] = changed[i] == 'z' ? 'a' : static_cast<char>(changed[i] + 1);
      words.insert(changed);
    }
  }
  int keywords_seen = 0;
  for (const std::string& word : words) {
    EXPECT_EQ(in_table(word), is_keyword(word)) << '"' << word << '"';
    EXPECT_EQ(in_table(word), is_keyword(word.c_str())) << '"' << word << '"';
    keywords_seen += is_keyword(word) ? 1 : 0;
  }
  EXPECT_EQ(62, keywords_seen);
}

}  // namespace
