#include "highlighter/keywords.h"

#include <cstring>

constexpr Keyword keyword_table[kKeywordCount] = {
    // The classic reading: C++ of 1998.
    {"auto", Reading::kClassic},         {"asm", Reading::kClassic},          {"bool", Reading::kClassic},
    {"break", Reading::kClassic},        {"case", Reading::kClassic},         {"catch", Reading::kClassic},
    {"char", Reading::kClassic},         {"class", Reading::kClassic},        {"const", Reading::kClassic},
    {"const_cast", Reading::kClassic},   {"continue", Reading::kClassic},     {"default", Reading::kClassic},
    {"delete", Reading::kClassic},       {"do", Reading::kClassic},           {"double", Reading::kClassic},
    {"dynamic_cast", Reading::kClassic}, {"else", Reading::kClassic},         {"enum", Reading::kClassic},
    {"explicit", Reading::kClassic},     {"extern", Reading::kClassic},       {"false", Reading::kClassic},
    {"float", Reading::kClassic},        {"for", Reading::kClassic},          {"friend", Reading::kClassic},
    {"goto", Reading::kClassic},         {"if", Reading::kClassic},           {"inline", Reading::kClassic},
    {"int", Reading::kClassic},          {"long", Reading::kClassic},         {"mutable", Reading::kClassic},
    {"namespace", Reading::kClassic},    {"new", Reading::kClassic},          {"operator", Reading::kClassic},
    {"private", Reading::kClassic},      {"protected", Reading::kClassic},    {"public", Reading::kClassic},
    {"register", Reading::kClassic},     {"reinterpret_cast", Reading::kClassic}, {"return", Reading::kClassic},
    {"short", Reading::kClassic},        {"signed", Reading::kClassic},       {"sizeof", Reading::kClassic},
    {"static", Reading::kClassic},       {"static_cast", Reading::kClassic},  {"struct", Reading::kClassic},
    {"switch", Reading::kClassic},       {"template", Reading::kClassic},     {"this", Reading::kClassic},
    {"throw", Reading::kClassic},        {"true", Reading::kClassic},         {"try", Reading::kClassic},
    {"typedef", Reading::kClassic},      {"typeid", Reading::kClassic},       {"typename", Reading::kClassic},
    {"union", Reading::kClassic},        {"unsigned", Reading::kClassic},     {"using", Reading::kClassic},
    {"virtual", Reading::kClassic},      {"void", Reading::kClassic},         {"volatile", Reading::kClassic},
    {"wchar_t", Reading::kClassic},      {"while", Reading::kClassic},
    // The modern reading adds C++11 to C++26 and C99 to C23. Words that are
    // keywords only in some places and common names elsewhere (import, module,
    // pre, post) are left out.
    {"alignas", Reading::kModern},       {"alignof", Reading::kModern},       {"char8_t", Reading::kModern},
    {"char16_t", Reading::kModern},      {"char32_t", Reading::kModern},      {"concept", Reading::kModern},
    {"consteval", Reading::kModern},     {"constexpr", Reading::kModern},     {"constinit", Reading::kModern},
    {"co_await", Reading::kModern},      {"co_return", Reading::kModern},     {"co_yield", Reading::kModern},
    {"decltype", Reading::kModern},      {"export", Reading::kModern},        {"noexcept", Reading::kModern},
    {"nullptr", Reading::kModern},       {"requires", Reading::kModern},      {"static_assert", Reading::kModern},
    {"thread_local", Reading::kModern},  {"contract_assert", Reading::kModern}, {"restrict", Reading::kModern},
    {"typeof", Reading::kModern},        {"typeof_unqual", Reading::kModern}, {"_Alignas", Reading::kModern},
    {"_Alignof", Reading::kModern},      {"_Atomic", Reading::kModern},       {"_BitInt", Reading::kModern},
    {"_Bool", Reading::kModern},         {"_Complex", Reading::kModern},      {"_Decimal128", Reading::kModern},
    {"_Decimal32", Reading::kModern},    {"_Decimal64", Reading::kModern},    {"_Generic", Reading::kModern},
    {"_Imaginary", Reading::kModern},    {"_Noreturn", Reading::kModern},     {"_Static_assert", Reading::kModern},
    {"_Thread_local", Reading::kModern}, {"and", Reading::kModern},           {"and_eq", Reading::kModern},
    {"bitand", Reading::kModern},        {"bitor", Reading::kModern},         {"compl", Reading::kModern},
    {"not", Reading::kModern},           {"not_eq", Reading::kModern},        {"or", Reading::kModern},
    {"or_eq", Reading::kModern},         {"xor", Reading::kModern},           {"xor_eq", Reading::kModern},
    {"final", Reading::kModern},         {"override", Reading::kModern},
};

namespace keyword_lookup {

// Not constexpr: reached while the tables are made at compile time, it stops
// the build.
void two_keywords_share_a_slot_choose_other_factors_in_slot_of() {}

constexpr Tables make_tables_now() {
  Tables tables{};
  std::size_t next = 1;
  for (const Keyword& keyword : keyword_table) {
    unsigned char bytes[kLongestKeyword] = {};
    for (std::size_t i = 0; i < keyword.word.size(); ++i) bytes[i] = static_cast<unsigned char>(keyword.word[i]);
    std::uint8_t& slot = tables.slots[slot_of(bytes, keyword.word.size())];
    if (slot != 0) two_keywords_share_a_slot_choose_other_factors_in_slot_of();
    slot = static_cast<std::uint8_t>(next);
    Entry& entry = tables.entries[next++];
    for (std::size_t i = 0; i < keyword.word.size(); ++i) entry.text[i] = keyword.word[i];
    entry.length_and_reading =
        static_cast<std::uint8_t>(keyword.word.size() | (keyword.reading == Reading::kModern ? 0x80 : 0));
  }
  return tables;
}

constexpr Tables kTables = make_tables_now();

}  // namespace keyword_lookup

bool is_keyword(std::string_view word, bool modern) {
  if (word.empty() || word.size() > kLongestKeyword) return false;
  unsigned char padded[kLongestKeyword] = {};  // the 16 readable bytes the lookup compares
  std::memcpy(padded, word.data(), word.size());
  return is_keyword_in_window(padded, word.size(), modern);
}
