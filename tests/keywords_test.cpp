// The keyword table and its lookup: the table agrees with the reference
// converter's own lists, and the lookup agrees with the table.

#include "highlighter/keywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "reference_converter.h"

namespace {

// The plain definition: equal to some entry of the table that belongs to the
// reading.
bool in_table(const std::string& word, bool modern) {
  return std::any_of(std::begin(keyword_table), std::end(keyword_table), [&](const Keyword& k) {
    return k.word == word && (modern || k.reading == Reading::kClassic);
  });
}

TEST(Keywords, TheTableAgreesWithTheReferenceWordByWord) {
  for (const bool modern : {false, true}) {
    std::set<std::string_view> table;
    for (const Keyword& k : keyword_table) {
      if (modern || k.reading == Reading::kClassic) table.insert(k.word);
    }
    const std::vector<std::string_view> listed = reference_keywords(modern);
    const std::set<std::string_view> reference(listed.begin(), listed.end());
    for (const std::string_view word : reference) {
      EXPECT_TRUE(table.count(word)) << word << " is the reference's keyword, not the table's; modern " << modern;
    }
    for (const std::string_view word : table) {
      EXPECT_TRUE(reference.count(word)) << word << " is the table's keyword, not the reference's; modern " << modern;
    }
  }
}

TEST(Keywords, LookupAgreesWithTheTableOnWordsAndNearMisses) {
  std::set<std::string> words = {"",       "a",      "export", "and",   "or",     "not",   "xor",
                                 "bitand", "NULL",   "include", "define", "string", "size_t", "nullptr",
                                 "constexpr", "override", "final", "_", "x"};
  for (const Keyword& keyword : keyword_table) {
    const std::string w(keyword.word);
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
  for (bool modern : {false, true}) {
    for (const std::string& word : words) {
      EXPECT_EQ(in_table(word, modern), is_keyword(word, modern)) << '"' << word << '"' << modern;
      EXPECT_EQ(in_table(word, modern), is_keyword(word.c_str(), modern)) << '"' << word << '"' << modern;
      std::string padded = word + std::string(16, 'x');  // the window compares 16 bytes at once
      if (!word.empty()) {
        EXPECT_EQ(in_table(word, modern),
                  is_keyword_in_window(reinterpret_cast<const unsigned char*>(padded.data()), word.size(), modern))
            << '"' << word << '"' << modern;
      }
    }
  }
}

}  // namespace
